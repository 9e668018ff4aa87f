#include "services/jobs/MakeDmg.h"

#include "tests/services/jobs/e2e/JobsSupport.h"

#include <QProcess>
#include <QRegularExpression>

#include <functional>
#include <utility>

#include <sys/stat.h>

using testsupport::SimMac;
using testsupport::waitUntil;

namespace {

const QString kHdiutil = QStringLiteral("hdiutil");
const QString kImageName = QStringLiteral("Tavrun(2026-12-09 10:15:00)");
const QString kImage = "/Volumes/Dest/" + kImageName + ".dmg";

// The Create Disk Image screen as the worker sees it: it starts the copy when the image is ready.
class ImageScreen : public MakeDmgDelegate {
public:
    void copyFileToDmgWithFileName(const QString& text, float percent) override {
        reports.emplace_back(text, percent);
        if (onReport) {
            onReport(text, percent);
        }
    }
    void beginToCopyDmg() override {
        ++began;
        if (worker != nullptr && copyOnBegin) {
            worker->doCopyFilesToDmgWithDmg(items);
        }
    }
    void makeDmgFailWithError(const QString& error) override {
        ++failed;
        EXPECT_TRUE(error.isNull());
    }

    bool ended() const { return failed > 0 || (!reports.empty() && reports.back().second >= 100); }

    MakeDmg* worker = nullptr;
    QStringList items;
    bool copyOnBegin = true;
    std::vector<std::pair<QString, float>> reports;
    std::function<void(const QString&, float)> onReport;
    int began = 0;
    int failed = 0;
};

class Image : public ::testing::Test {
protected:
    void SetUp() override {
        source = sim.attach("usb-exfat", {"--name", "Src"});
        sim.attach("usb-exfat", {"--name", "Dest"});
        writeHostFile(sim.host("/Volumes/Src/docs/a.txt"), "alpha");
        writeHostFile(sim.host("/Volumes/Src/docs/deep/b.txt"), "beta");
        writeHostFile(sim.host("/Volumes/Src/photo.jpg"), "jpeg");
        worker = std::make_unique<MakeDmg>();
        worker->setMakeDmgDelegate(&screen);
        screen.worker = worker.get();
    }

    void TearDown() override {
        worker.reset();
        ASSERT_TRUE(settle());
        EXPECT_FALSE(QFileInfo::exists(sim.host(MakeDmg::kMountPoint))) << "no image is left attached";
    }

    void make(const QString& folder, qint64 size = 1000) {
        worker->makeTmpDmgWithPath(folder, kImageName, size);
        ASSERT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
        ASSERT_TRUE(settle());
    }

    // The content of an image file, attached the way a person opens it.
    QStringList contentOf(const QString& image) const {
        const testsupport::ToolRun attached = sim.run("/usr/bin/hdiutil", {"attach", image});
        EXPECT_EQ(attached.exitCode, 0) << attached.err.toStdString();
        const QString mountPoint = QString::fromUtf8(attached.out.split('\t').last().trimmed());
        const QStringList content = treeOf(sim.host(mountPoint), true);
        sim.run("/usr/bin/hdiutil", {"detach", mountPoint});
        return content;
    }

    SimMac sim;
    QString source;
    ImageScreen screen;
    std::unique_ptr<MakeDmg> worker;
};

TEST_F(Image, HoldsTheChosenItemsUnderTheirOwnNames) {
    screen.items = QStringList{"/Volumes/Src/docs", "/Volumes/Src/photo.jpg"};
    const QFile::Permissions destination = QFileInfo(sim.host("/Volumes/Dest")).permissions();
    make("/Volumes/Dest");
    EXPECT_EQ(QFileInfo(sim.host("/Volumes/Dest")).permissions(), destination);
    EXPECT_EQ(screen.failed, 0);
    EXPECT_EQ(screen.reports, (std::vector<std::pair<QString, float>>{{"Configuration setting ...", 10.0F},
                                                                      {"/Volumes/Src/docs", 10.0F},
                                                                      {"/Volumes/Src/docs", 50.0F},
                                                                      {"/Volumes/Src/photo.jpg", 100.0F}}));
    const QString& image = kImage;
    EXPECT_EQ(verbCalls(sim, kHdiutil, "create"),
              (QList<QStringList>{{"create", image, "-volname", "TavrunDmg", "-size", "50001000", "-fs",
                                   "HFS+", "-format", "UDRW", "-srcfolder", "/tmp/com.Belmora.clone"}}));
    EXPECT_EQ(verbCalls(sim, kHdiutil, "mount"), (QList<QStringList>{{"mount", image}}));
    EXPECT_EQ(verbCalls(sim, kHdiutil, "detach"), (QList<QStringList>{{"detach", "/Volumes/TavrunDmg"}}));
    EXPECT_FALSE(QFileInfo::exists(sim.host("/tmp/com.Belmora.clone")));
    EXPECT_EQ(contentOf(image), (QStringList{"docs", "docs/a.txt = alpha", "docs/deep",
                                             "docs/deep/b.txt = beta", "photo.jpg = jpeg"}));
}

TEST_F(Image, OnTheRootVolumeGoesIntoAPrivateFolder) {
    screen.items = QStringList{"/Volumes/Src/photo.jpg"};
    make("/", 0);
    EXPECT_EQ(screen.reports, (std::vector<std::pair<QString, float>>{{"Configuration setting ...", 10.0F},
                                                                      {"/Volumes/Src/photo.jpg", 10.0F},
                                                                      {"/Volumes/Src/photo.jpg", 100.0F}}));
    const QString image = "/Tavrun_dmg/" + kImageName + ".dmg";
    ASSERT_EQ(verbCalls(sim, kHdiutil, "create").size(), 1);
    EXPECT_EQ(verbCalls(sim, kHdiutil, "create").first().mid(1, 5),
              (QStringList{image, "-volname", "TavrunDmg", "-size", "50000000"}));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(sim.host("/Tavrun_dmg")).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0700U) << "no world-writable folder";
    EXPECT_TRUE(toolCalls(sim, "chmod").isEmpty());
    EXPECT_EQ(contentOf(image), QStringList{"photo.jpg = jpeg"});
}

TEST_F(Image, EmptySelectionDetachesAndEnds) {
    make("/Volumes/Dest");
    EXPECT_EQ(screen.reports.back(), std::pair(QString(), 100.0F));
    EXPECT_EQ(verbCalls(sim, kHdiutil, "detach").size(), 1);
}

// Each row makes the image road fail in its own way; the job says so, and nothing is left attached.
struct FailureRow {
    const char* name;
    std::function<void(const SimMac&, ImageScreen&)> prepare;
    int mounts;  // hdiutil calls expected
    int detaches;
    std::function<void(const SimMac&)> verify = {};
};

class ImageFailure : public Image, public ::testing::WithParamInterface<FailureRow> {};

TEST_P(ImageFailure, IsReportedAndLeavesNothingAttached) {
    screen.items = QStringList{"/Volumes/Src/docs", "/Volumes/Src/photo.jpg"};
    GetParam().prepare(sim, screen);
    make("/Volumes/Dest");
    EXPECT_EQ(screen.failed, 1);
    EXPECT_FALSE(screen.reports.back().second >= 100) << "no success after a failure";
    EXPECT_EQ(verbCalls(sim, kHdiutil, "mount").size(), GetParam().mounts);
    EXPECT_EQ(verbCalls(sim, kHdiutil, "detach").size(), GetParam().detaches);
    if (GetParam().verify) {
        GetParam().verify(sim);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Image, ImageFailure,
    ::testing::Values(
        FailureRow{"imageFileAlreadyThere",
                   [](const SimMac& sim, ImageScreen&) { writeHostFile(sim.host(kImage), "someone's file"); },
                   0, 0,
                   [](const SimMac& sim) {
                       QFile image(sim.host(kImage));
                       ASSERT_TRUE(image.open(QIODevice::ReadOnly));
                       EXPECT_EQ(image.readAll(), "someone's file") << "it is left as it was";
                   }},
        FailureRow{"createFails",
                   [](const SimMac& sim, ImageScreen&) {
                       sim.addFault({{"Tool", "hdiutil"}, {"Verb", "create"}, {"Action", "effectThenExit"}});
                   },
                   0, 0},
        FailureRow{"sameNameTwice",
                   [](const SimMac& sim, ImageScreen& screen) {
                       writeHostFile(sim.host("/Volumes/Src/other/photo.jpg"), "another jpeg");
                       screen.items << "/Volumes/Src/other/photo.jpg";
                   },
                   1, 1},
        FailureRow{"mountFails",
                   [](const SimMac& sim, ImageScreen&) {
                       sim.addFault({{"Tool", "hdiutil"}, {"Verb", "mount"}, {"Action", "exit"}});
                   },
                   1, 0}),
    [](const ::testing::TestParamInfo<FailureRow>& row) { return row.param.name; });

// Another image already holds "/Volumes/TavrunDmg": ours mounts beside it and nothing is copied into either.
TEST_F(Image, MountPointTakenByAnotherImage) {
    const QString other = attachImage(sim, "TavrunDmg");
    const QStringList before = treeOf(sim.host("/Volumes/TavrunDmg"));
    screen.items = QStringList{"/Volumes/Src/photo.jpg"};
    worker->makeTmpDmgWithPath("/Volumes/Dest", kImageName, 1000);
    ASSERT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
    ASSERT_TRUE(settle());
    EXPECT_EQ(screen.failed, 1);
    EXPECT_EQ(treeOf(sim.host("/Volumes/TavrunDmg")), before);
    EXPECT_EQ(verbCalls(sim, kHdiutil, "detach"), (QList<QStringList>{{"detach", "/Volumes/TavrunDmg 1"}}));
    sim.run("/usr/bin/hdiutil", {"detach", other});
}

// A cancel at any moment: nothing more is reported and no image stays attached.
void cancel(MakeDmg& worker) {
    worker.setIsCancelCopy(true);
    worker.stopMakeDmg();
}

struct CancelRow {
    const char* name;
    std::function<void(const SimMac&, ImageScreen&, MakeDmg&)> arrange;
    std::function<bool(const SimMac&, const ImageScreen&)> moment;  // then the test cancels
    std::size_t reports;                                            // all the reports the screen gets
};

class ImageCancel : public Image, public ::testing::WithParamInterface<CancelRow> {};

TEST_P(ImageCancel, LeavesNoImageAttached) {
    screen.items = QStringList{"/Volumes/Src/docs", "/Volumes/Src/photo.jpg"};
    GetParam().arrange(sim, screen, *worker);
    worker->makeTmpDmgWithPath("/Volumes/Dest", kImageName, 1000);
    ASSERT_TRUE(waitUntil([&] { return GetParam().moment(sim, screen); }, kJobTimeoutMs));
    cancel(*worker);
    ASSERT_TRUE(settle());
    waitUntil([] { return false; }, 100);
    EXPECT_EQ(screen.reports.size(), GetParam().reports);
    EXPECT_EQ(screen.failed, 0);
    EXPECT_EQ(verbCalls(sim, kHdiutil, "detach").size(), verbCalls(sim, kHdiutil, "mount").size());
}

INSTANTIATE_TEST_SUITE_P(
    Image, ImageCancel,
    ::testing::Values(
        CancelRow{"whileCreating",
                  [](const SimMac& sim, ImageScreen&, MakeDmg&) {
                      sim.addFault(
                          {{"Tool", "hdiutil"}, {"Verb", "create"}, {"Action", "delay"}, {"DelayMs", 500}});
                  },
                  [](const SimMac& sim, const ImageScreen&) {
                      return !verbCalls(sim, kHdiutil, "create").isEmpty();
                  },
                  1},
        CancelRow{"beforeTheCopy",
                  [](const SimMac&, ImageScreen& screen, MakeDmg&) { screen.copyOnBegin = false; },
                  [](const SimMac&, const ImageScreen& screen) { return screen.began > 0; }, 1},
        CancelRow{"duringTheCopy",
                  [](const SimMac&, ImageScreen& screen, MakeDmg& worker) {
                      screen.onReport = [&worker](const QString& text, float) {
                          if (text == u"/Volumes/Src/docs") {
                              cancel(worker);
                          }
                      };
                  },
                  [](const SimMac&, const ImageScreen& screen) { return screen.reports.size() >= 2; }, 2}),
    [](const ::testing::TestParamInfo<CancelRow>& row) { return row.param.name; });

}  // namespace

namespace {

const QString kArchive = "/Volumes/Dest/" + kImageName + ".zip";

// The names `unzip -l` lists in an archive.
QStringList listing(const QString& hostArchive) {
    QProcess unzip;
    unzip.start("unzip", {"-l", hostArchive});
    EXPECT_TRUE(unzip.waitForFinished(30000));
    QStringList names;
    static const QRegularExpression entry("^\\s*\\d+\\s+\\S+\\s+\\S+\\s+(.+)$");
    bool inTable = false;
    for (const QString& line : QString::fromUtf8(unzip.readAllStandardOutput()).split('\n')) {
        if (line.startsWith("---------")) {
            inTable = !inTable;
        } else if (const auto match = entry.match(line); inTable && match.hasMatch()) {
            names << match.captured(1);
        }
    }
    names.sort();
    return names;
}

std::unique_ptr<FileNode> node(const QString& path, bool folder, qint64 state, FileNode* father = nullptr) {
    auto n = std::make_unique<FileNode>(path, path.section('/', -1), folder, father);
    n->setState(state);
    return n;
}

class Archive : public Image {
protected:
    void SetUp() override {
        Image::SetUp();
        writeHostFile(sim.host("/Volumes/Src/skip.txt"), "not chosen");
        writeHostFile(sim.host("/Volumes/Src/$(reboot) a;b.txt"), "odd name");
        auto docs = node("/Volumes/Src/docs", true, 2);
        docs->children().push_back(node("/Volumes/Src/docs/a.txt", false, 1, docs.get()));
        docs->children().push_back(node("/Volumes/Src/docs/deep", true, 1, docs.get()));
        roots.push_back(std::move(docs));
        roots.push_back(node("/Volumes/Src/photo.jpg", false, 1));
        roots.push_back(node("/Volumes/Src/skip.txt", false, 0));
        roots.push_back(node("/Volumes/Src/$(reboot) a;b.txt", false, 1));
    }

    void zip() {
        worker->doZipWithPath(kArchive, roots);
        ASSERT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
        ASSERT_TRUE(settle());
    }

    FileNodeList roots;
};

TEST_F(Archive, ListsExactlyTheCheckedItems) {
    zip();
    EXPECT_EQ(screen.failed, 0);
    ASSERT_GE(screen.reports.size(), 2U);
    EXPECT_EQ(screen.reports.back(), std::pair(QString(), 100.0F));
    QString output;  // zip's output chunks, cut wherever the pipe cut them
    for (std::size_t i = 0; i + 1 < screen.reports.size(); ++i) {
        EXPECT_LT(screen.reports[i].second, 100.0F) << "100 only once zip has ended well";
        output += screen.reports[i].first;
    }
    EXPECT_EQ(output.count("  adding: "), 5) << output.toStdString();
    EXPECT_EQ(toolCalls(sim, "zip"),
              (QList<QStringList>{{"-r", kArchive, "/Volumes/Src/docs/a.txt", "/Volumes/Src/docs/deep",
                                   "/Volumes/Src/photo.jpg", "/Volumes/Src/$(reboot) a;b.txt"}}));
    EXPECT_EQ(
        listing(sim.host(kArchive)),
        (QStringList{"Volumes/Src/$(reboot) a;b.txt", "Volumes/Src/docs/a.txt", "Volumes/Src/docs/deep/",
                     "Volumes/Src/docs/deep/b.txt", "Volumes/Src/photo.jpg"}));
}

struct ZipFailureRow {
    const char* name;
    QVariantMap fault;
};

class ArchiveFailure : public Archive, public ::testing::WithParamInterface<ZipFailureRow> {};

TEST_P(ArchiveFailure, LeavesNoArchive) {
    sim.addFault(GetParam().fault);
    zip();
    EXPECT_EQ(screen.failed, 1);
    for (const auto& report : screen.reports) {
        EXPECT_LT(report.second, 100.0F);
    }
    EXPECT_FALSE(QFileInfo::exists(sim.host(kArchive)));
}

INSTANTIATE_TEST_SUITE_P(
    Archive, ArchiveFailure,
    ::testing::Values(ZipFailureRow{"nothingWritten",
                                    {{"Tool", "zip"}, {"Action", "exit"}, {"ExitStatus", 12}}},
                      ZipFailureRow{"writtenThenFailed",
                                    {{"Tool", "zip"}, {"Action", "effectThenExit"}, {"ExitStatus", 18}}},
                      ZipFailureRow{"killed", {{"Tool", "zip"}, {"Action", "signal"}, {"Signal", 9}}}),
    [](const ::testing::TestParamInfo<ZipFailureRow>& row) { return row.param.name; });

TEST_F(Archive, AlreadyThereIsNeitherChangedNorRemoved) {
    writeHostFile(sim.host(kArchive), "someone's archive");
    zip();
    EXPECT_EQ(screen.failed, 1);
    EXPECT_TRUE(toolCalls(sim, "zip").isEmpty());
    QFile file(sim.host(kArchive));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "someone's archive");
}

// zip has written its archive but not ended: a cancel stops it and takes the unfinished archive away.
TEST_F(Archive, CancelTerminatesZipAndLeavesNoArchive) {
    sim.addFault({{"Tool", "zip"}, {"Action", "hang"}, {"AfterEffect", true}});
    worker->doZipWithPath(kArchive, roots);
    ASSERT_TRUE(waitUntil([&] { return QFileInfo::exists(sim.host(kArchive)) && !screen.reports.empty(); },
                          kJobTimeoutMs));
    const std::size_t reports = screen.reports.size();
    worker->setIsCancelCopy(true);
    EXPECT_TRUE(worker->isCancelCopy());
    worker->stopMakeDmg();
    ASSERT_TRUE(settle());
    EXPECT_FALSE(QFileInfo::exists(sim.host(kArchive)));
    EXPECT_EQ(screen.reports.size(), reports) << "nothing is reported after a cancel";
    EXPECT_EQ(screen.failed, 0);
    const QJsonObject last = sim.calls().last();
    EXPECT_EQ(last.value("tool").toString(), "zip");
    EXPECT_EQ(last.value("phase").toString(), "start") << "zip was stopped before it ended";
}

}  // namespace

#include "services/jobs/MakeDmg.h"

#include "tests/services/jobs/e2e/JobsSupport.h"

#include <QProcess>
#include <QRegularExpression>

#include <functional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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
public:
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

using Reports = std::vector<std::pair<QString, float>>;

const QStringList kDocsAndPhoto{"/Volumes/Src/docs", "/Volumes/Src/photo.jpg"};
const Reports kDocsAndPhotoReports{{"Configuration setting ...", 10.0F},
                                   {"/Volumes/Src/docs", 10.0F},
                                   {"/Volumes/Src/docs", 50.0F},
                                   {"/Volumes/Src/photo.jpg", 100.0F}};
const QStringList kDocsAndPhotoContent{"docs", "docs/a.txt = alpha", "docs/deep", "docs/deep/b.txt = beta",
                                       "photo.jpg = jpeg"};
const QStringList kDetach{"detach", "/Volumes/TavrunDmg"};
const QStringList kForcedDetach{"detach", "/Volumes/TavrunDmg", "-force"};

// Each row ends with an image that holds exactly the chosen items, however its detach went.
struct ContentRow {
    const char* name;
    QStringList items;
    std::function<void(Image&)> prepare;
    Reports reports;
    QList<QStringList> detaches;
    QStringList content;
};

class ImageContent : public Image, public ::testing::WithParamInterface<ContentRow> {};

TEST_P(ImageContent, HoldsTheChosenItemsUnderTheirOwnNames) {
    screen.items = GetParam().items;
    if (GetParam().prepare) {
        GetParam().prepare(*this);
    }
    const QFile::Permissions destination = QFileInfo(sim.host("/Volumes/Dest")).permissions();
    make("/Volumes/Dest");
    EXPECT_EQ(QFileInfo(sim.host("/Volumes/Dest")).permissions(), destination);
    EXPECT_EQ(screen.failed, 0);
    EXPECT_EQ(screen.reports, GetParam().reports);
    const QString& image = kImage;
    ASSERT_FALSE(verbCalls(sim, kHdiutil, "create").isEmpty());
    EXPECT_EQ(verbCalls(sim, kHdiutil, "create").last(),
              (QStringList{"create", image, "-volname", "TavrunDmg", "-size", "50001000", "-fs", "HFS+",
                           "-format", "UDRW", "-srcfolder", "/tmp/com.Belmora.clone"}));
    EXPECT_EQ(verbCalls(sim, kHdiutil, "mount").last(), (QStringList{"mount", image}));
    EXPECT_EQ(verbCalls(sim, kHdiutil, "detach"), GetParam().detaches);
    EXPECT_FALSE(QFileInfo::exists(sim.host("/tmp/com.Belmora.clone")));
    EXPECT_EQ(contentOf(image), GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(
    Image, ImageContent,
    ::testing::Values(
        ContentRow{"plainItems", kDocsAndPhoto, {}, kDocsAndPhotoReports, {kDetach}, kDocsAndPhotoContent},
        ContentRow{"blankNameAndTrailingSlash",
                   {"/Volumes/Src/ ", "/Volumes/Src/docs/"},
                   [](Image& f) { writeHostFile(f.sim.host("/Volumes/Src/ "), "blank"); },
                   {{"Configuration setting ...", 10.0F},
                    {"/Volumes/Src/ ", 10.0F},
                    {"/Volumes/Src/ ", 50.0F},
                    {"/Volumes/Src/docs/", 100.0F}},
                   {kDetach},
                   {"  = blank", "docs", "docs/a.txt = alpha", "docs/deep", "docs/deep/b.txt = beta"}},
        ContentRow{"busyUntilForced",
                   kDocsAndPhoto,
                   [](Image& f) {
                       // Some process holds the image's volume from the middle of the copy on: the detach is
                       // tried three times, then forced.
                       f.screen.onReport = [&f](const QString&, float percent) {
                           if (percent == 50.0F) {
                               const QString volume =
                                   f.sim.info(MakeDmg::kMountPoint).value("DeviceIdentifier").toString();
                               f.sim.simctl({"set", volume, "Busy", "true"});
                           }
                       };
                   },
                   kDocsAndPhotoReports,
                   {kDetach, kDetach, kDetach, kForcedDetach},
                   kDocsAndPhotoContent},
        // An earlier job could not detach its image even by force; this one detaches it first, and removes
        // the file of that failed job, which stood at the same name.
        ContentRow{"staleImageOfAnEarlierJob",
                   kDocsAndPhoto,
                   [](Image& f) {
                       f.sim.addFault({{"Tool", "hdiutil"},
                                       {"Verb", "detach"},
                                       {"Action", "exit"},
                                       {"ExitStatus", 16},
                                       {"Times", 4}});
                       f.make("/Volumes/Dest");
                       EXPECT_EQ(f.screen.failed, 1);
                       EXPECT_TRUE(QFileInfo::exists(f.sim.host(MakeDmg::kMountPoint)));
                       f.screen.reports.clear();
                       f.screen.failed = 0;
                   },
                   kDocsAndPhotoReports,
                   {kDetach, kDetach, kDetach, kForcedDetach, kDetach, kDetach},
                   kDocsAndPhotoContent},
        // Another user made the work folder and planted a file in it: the job works in a folder of its own,
        // so the planted file never reaches the image.
        ContentRow{"workFolderOfAnotherUser",
                   kDocsAndPhoto,
                   [](Image& f) {
                       const QString folder = f.sim.host("/tmp/com.Belmora.clone");
                       writeHostFile(folder + "/planted.txt", "planted");
                       ASSERT_EQ(::chown(QFile::encodeName(folder).constData(), 65534, 65534), 0);
                   },
                   kDocsAndPhotoReports,
                   {kDetach},
                   kDocsAndPhotoContent}),
    [](const ::testing::TestParamInfo<ContentRow>& row) { return row.param.name; });

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

void imageRemoved(const SimMac& sim) {
    EXPECT_FALSE(QFileInfo::exists(sim.host(kImage))) << "the image this run made is removed";
}

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
                   0, 0, imageRemoved},
        FailureRow{"sameNameTwice",
                   [](const SimMac& sim, ImageScreen& screen) {
                       writeHostFile(sim.host("/Volumes/Src/other/photo.jpg"), "another jpeg");
                       screen.items << "/Volumes/Src/other/photo.jpg";
                   },
                   1, 1, imageRemoved},
        FailureRow{"itemWithoutAName", [](const SimMac&, ImageScreen& screen) { screen.items << "/"; }, 1, 1,
                   imageRemoved},
        FailureRow{"mountFails",
                   [](const SimMac& sim, ImageScreen&) {
                       sim.addFault({{"Tool", "hdiutil"}, {"Verb", "mount"}, {"Action", "exit"}});
                   },
                   1, 0, imageRemoved}),
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
    EXPECT_FALSE(QFileInfo::exists(sim.host(kImage)));
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
    EXPECT_EQ(screen.reports.size(), GetParam().reports);
    EXPECT_EQ(screen.failed, 0);
    EXPECT_EQ(verbCalls(sim, kHdiutil, "detach").size(), verbCalls(sim, kHdiutil, "mount").size());
    EXPECT_FALSE(QFileInfo::exists(sim.host(kImage))) << "the image this run made is removed";
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

// The names `zipinfo` lists in an archive; a symbolic link's name followed by "@".
QStringList listing(const QString& hostArchive) {
    QProcess unzip;
    unzip.start("unzip", {"-Z", hostArchive});
    EXPECT_TRUE(unzip.waitForFinished(30000));
    QStringList names;
    // "lrwxrwxrwx  3.0 unx        2 bx stor 26-Dec-09 12:14 Volumes/Src/docs/deep/up"
    static const QRegularExpression entry("^([-dl])\\S{9}\\s+(?:\\S+\\s+){7}(.+)$");
    for (const QString& line : QString::fromUtf8(unzip.readAllStandardOutput()).split('\n')) {
        if (const auto match = entry.match(line); match.hasMatch()) {
            names << match.captured(2) + (match.captured(1) == u"l" ? "@" : "");
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

// Each row adds to the chosen items; the archive holds exactly them.
struct ContentOfArchiveRow {
    const char* name;
    std::function<void(const SimMac&)> prepare;
    QStringList added;  // to the listing
};

class ArchiveContent : public Archive, public ::testing::WithParamInterface<ContentOfArchiveRow> {};

TEST_P(ArchiveContent, ListsExactlyTheCheckedItems) {
    if (GetParam().prepare) {
        GetParam().prepare(sim);
    }
    QStringList expected{"Volumes/Src/$(reboot) a;b.txt", "Volumes/Src/docs/a.txt", "Volumes/Src/docs/deep/",
                         "Volumes/Src/docs/deep/b.txt", "Volumes/Src/photo.jpg"};
    expected += GetParam().added;
    expected.sort();
    zip();
    EXPECT_EQ(screen.failed, 0);
    ASSERT_GE(screen.reports.size(), 2U);
    EXPECT_EQ(screen.reports.back(), std::pair(QString(), 100.0F));
    QString output;  // zip's output chunks, cut wherever the pipe cut them
    for (std::size_t i = 0; i + 1 < screen.reports.size(); ++i) {
        EXPECT_LT(screen.reports[i].second, 100.0F) << "100 only once zip has ended well";
        output += screen.reports[i].first;
    }
    EXPECT_EQ(output.count("  adding: "), expected.size()) << output.toStdString();
    EXPECT_EQ(
        toolCalls(sim, "zip"),
        (QList<QStringList>{{"-r", "-y", "-MM", kArchive, "/Volumes/Src/docs/a.txt", "/Volumes/Src/docs/deep",
                             "/Volumes/Src/photo.jpg", "/Volumes/Src/$(reboot) a;b.txt"}}));
    EXPECT_EQ(listing(sim.host(kArchive)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Archive, ArchiveContent,
    ::testing::Values(ContentOfArchiveRow{"checkedItems", {}, {}},
                      // Followed, the first would repeat the volume inside itself and the second would bring
                      // the host's own file into an archive of the simulated Mac.
                      ContentOfArchiveRow{"linksStoredAsLinks",
                                          [](const SimMac& sim) {
                                              const QString deep = sim.host("/Volumes/Src/docs/deep/");
                                              ASSERT_TRUE(QFile::link("../..", deep + "up"));
                                              ASSERT_TRUE(QFile::link("/etc/passwd", deep + "host"));
                                          },
                                          {"Volumes/Src/docs/deep/host@", "Volumes/Src/docs/deep/up@"}}),
    [](const ::testing::TestParamInfo<ContentOfArchiveRow>& row) { return row.param.name; });

struct ZipFailureRow {
    const char* name;
    QVariantMap fault;
    std::function<void(const SimMac&, FileNodeList&)> prepare = {};
};

class ArchiveFailure : public Archive, public ::testing::WithParamInterface<ZipFailureRow> {};

TEST_P(ArchiveFailure, LeavesNoArchive) {
    if (!GetParam().fault.isEmpty()) {
        sim.addFault(GetParam().fault);
    }
    if (GetParam().prepare) {
        GetParam().prepare(sim, roots);
    }
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
                      ZipFailureRow{"killed", {{"Tool", "zip"}, {"Action", "signal"}, {"Signal", 9}}},
                      // A checked item zip cannot find: gone since it was chosen, or named in bytes that are
                      // not UTF-8 (the name the program holds is not the name on the disk).
                      ZipFailureRow{"itemVanished",
                                    {},
                                    [](const SimMac& sim, FileNodeList&) {
                                        ASSERT_TRUE(QFile::remove(sim.host("/Volumes/Src/photo.jpg")));
                                    }},
                      ZipFailureRow{"nameNotUtf8",
                                    {},
                                    [](const SimMac& sim, FileNodeList& roots) {
                                        const QByteArray name = "/Volumes/Src/bad\xff.txt";
                                        const int fd =
                                            ::open((QFile::encodeName(sim.root()) + name).constData(),
                                                   O_CREAT | O_WRONLY, 0644);
                                        ASSERT_GE(fd, 0);
                                        ::close(fd);
                                        roots.push_back(node(QFile::decodeName(name), false, 1));
                                    }}),
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

#include "services/jobs/ItemNames.h"
#include "services/jobs/MakeDmg.h"

#include "tests/services/jobs/e2e/JobsSupport.h"

#include <QProcess>
#include <QRegularExpression>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
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

std::unique_ptr<FileNode> node(const QString& path, bool folder, qint64 state, FileNode* father = nullptr) {
    auto n = std::make_unique<FileNode>(path, path.section('/', -1, -1, QString::SectionSkipEmpty), folder,
                                        father);
    n->setState(state);
    return n;
}

// A checked root named by the bytes on disk, as a listing makes it.
std::unique_ptr<FileNode> nativeRoot(const QByteArray& folder, const QByteArray& name) {
    auto n = std::make_unique<FileNode>(nullptr, name.toStdString(), false);
    n->setPath(QString::fromUtf8(folder + '/' + name));
    return n;
}

// A file made by its bytes on disk.
void writeNative(const SimMac& sim, const QByteArray& macPath, const QByteArray& content) {
    QFile file;
    const int fd = ::open((QFile::encodeName(sim.root()) + macPath).constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle));
    file.write(content);
}

// Every entry below a host folder by its bytes ("\xE9" for a byte that is not UTF-8), sorted; a file's
// content after " = ", a link's target after " -> ".
QStringList bytesTreeOf(const QString& hostFolder) {
    namespace fs = std::filesystem;
    const fs::path top(QFile::encodeName(hostFolder).toStdString());
    QStringList names;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(top, error); !error && it != fs::end(it);
         it.increment(error)) {
        QString name = jobs::readablePath(it->path().lexically_relative(top).native());
        if (it->is_symlink()) {
            name += " -> " + jobs::readablePath(fs::read_symlink(it->path()).native());
        } else if (it->is_regular_file()) {
            std::ifstream file(it->path(), std::ios::binary);
            name += " = " + QString::fromStdString({std::istreambuf_iterator<char>(file), {}});
        }
        names << name;
    }
    names.sort();
    return names;
}

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
            worker->doCopyFilesToDmgWithDmg(roots);
        }
    }
    void makeDmgFailWithError(const QString& error) override { errors << error; }

    bool ended() const { return !errors.isEmpty() || (!reports.empty() && reports.back().second >= 100); }
    // The chosen items as checked roots.
    void choose(const SimMac& sim, const QStringList& paths) {
        for (const QString& path : paths) {
            roots.push_back(node(path, QFileInfo(sim.host(path)).isDir(), FileNode::kChecked));
        }
    }

    MakeDmg* worker = nullptr;
    FileNodeList roots;
    bool copyOnBegin = true;
    std::vector<std::pair<QString, float>> reports;
    std::function<void(const QString&, float)> onReport;
    int began = 0;
    QStringList errors;  // the reasons of failures
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
        const QStringList content = bytesTreeOf(sim.host(mountPoint));
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
    if (GetParam().prepare) {
        GetParam().prepare(*this);
    }
    screen.choose(sim, GetParam().items);
    const QFile::Permissions destination = QFileInfo(sim.host("/Volumes/Dest")).permissions();
    make("/Volumes/Dest");
    EXPECT_EQ(QFileInfo(sim.host("/Volumes/Dest")).permissions(), destination);
    EXPECT_EQ(screen.errors, QStringList());
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
                       f.screen.choose(f.sim, kDocsAndPhoto);
                       f.make("/Volumes/Dest");
                       EXPECT_EQ(f.screen.errors, QStringList{"hdiutil detach ended with status 16"});
                       EXPECT_TRUE(QFileInfo::exists(f.sim.host(MakeDmg::kMountPoint)));
                       f.screen.reports.clear();
                       f.screen.errors.clear();
                       f.screen.roots.clear();
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
    screen.choose(sim, {"/Volumes/Src/photo.jpg"});
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

// Each row makes the image road fail in its own way; the job says why, and nothing is left attached.
struct FailureRow {
    const char* name;
    QString reason;
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
    screen.choose(sim, {"/Volumes/Src/docs", "/Volumes/Src/photo.jpg"});
    GetParam().prepare(sim, screen);
    make("/Volumes/Dest");
    EXPECT_EQ(screen.errors, QStringList{GetParam().reason});
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
        FailureRow{"imageFileAlreadyThere", kImage + ": File exists",
                   [](const SimMac& sim, ImageScreen&) { writeHostFile(sim.host(kImage), "someone's file"); },
                   0, 0,
                   [](const SimMac& sim) {
                       QFile image(sim.host(kImage));
                       ASSERT_TRUE(image.open(QIODevice::ReadOnly));
                       EXPECT_EQ(image.readAll(), "someone's file") << "it is left as it was";
                   }},
        FailureRow{"createFails", "hdiutil create ended with status 1",
                   [](const SimMac& sim, ImageScreen&) {
                       sim.addFault({{"Tool", "hdiutil"}, {"Verb", "create"}, {"Action", "effectThenExit"}});
                   },
                   0, 0, imageRemoved},
        FailureRow{"noSpaceOnTheDestination", "hdiutil: create failed - No space left on device",
                   [](const SimMac& sim, ImageScreen&) {
                       const QVariantMap dest = sim.info("/Volumes/Dest");
                       sim.simctl({"set", dest.value("DeviceIdentifier").toString(), "UsedBytes",
                                   dest.value("TotalSize").toString()});
                   },
                   0, 0, imageRemoved},
        // Chosen apart, as a drop chooses them: both would be "photo.jpg" at the image's top.
        FailureRow{"twoRootsOfOneName", "/Volumes/Src/other/photo.jpg: File exists",
                   [](const SimMac& sim, ImageScreen& screen) {
                       writeHostFile(sim.host("/Volumes/Src/other/photo.jpg"), "another jpeg");
                       screen.choose(sim, {"/Volumes/Src/other/photo.jpg"});
                   },
                   1, 1, imageRemoved},
        FailureRow{"itemWithoutAName", "/: Invalid argument",
                   [](const SimMac& sim, ImageScreen& screen) { screen.choose(sim, {"/"}); }, 1, 1,
                   imageRemoved},
        FailureRow{"sourceGone", "/Volumes/Src/photo.jpg: No such file or directory",
                   [](const SimMac& sim, ImageScreen&) { QFile::remove(sim.host("/Volumes/Src/photo.jpg")); },
                   1, 1, imageRemoved},
        FailureRow{"sourceUnpluggedDuringTheCopy", "/Volumes/Src: No such file or directory",
                   [](const SimMac& sim, ImageScreen& screen) {
                       screen.onReport = [&sim](const QString& text, float) {
                           if (text == u"/Volumes/Src/docs") {
                               sim.detach(sim.info("/Volumes/Src").value("ParentWholeDisk").toString());
                           }
                       };
                   },
                   1, 1, imageRemoved},
        FailureRow{"mountFails", "hdiutil: mount failed - image not recognized",
                   [](const SimMac& sim, ImageScreen&) {
                       sim.addFault({{"Tool", "hdiutil"},
                                     {"Verb", "mount"},
                                     {"Action", "exit"},
                                     {"Stderr", "hdiutil: mount failed - image not recognized"}});
                   },
                   1, 0, imageRemoved}),
    [](const ::testing::TestParamInfo<FailureRow>& row) { return row.param.name; });

// Another image already holds "/Volumes/TavrunDmg": ours mounts beside it and nothing is copied into either.
TEST_F(Image, MountPointTakenByAnotherImage) {
    const QString other = attachImage(sim, "TavrunDmg");
    const QStringList before = treeOf(sim.host("/Volumes/TavrunDmg"));
    screen.choose(sim, {"/Volumes/Src/photo.jpg"});
    worker->makeTmpDmgWithPath("/Volumes/Dest", kImageName, 1000);
    ASSERT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
    ASSERT_TRUE(settle());
    EXPECT_EQ(
        screen.errors,
        QStringList{R"(The image was mounted at "/Volumes/TavrunDmg 1" instead of "/Volumes/TavrunDmg")"});
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
    std::optional<QStringList> heldAtDetach = {};  // what the image holds once the copy has stopped
};

class ImageCancel : public Image, public ::testing::WithParamInterface<CancelRow> {};

TEST_P(ImageCancel, LeavesNoImageAttached) {
    screen.choose(sim, {"/Volumes/Src/docs", "/Volumes/Src/photo.jpg"});
    GetParam().arrange(sim, screen, *worker);
    worker->makeTmpDmgWithPath("/Volumes/Dest", kImageName, 1000);
    ASSERT_TRUE(waitUntil([&] { return GetParam().moment(sim, screen); }, kJobTimeoutMs));
    cancel(*worker);
    if (GetParam().heldAtDetach) {
        ASSERT_TRUE(waitUntil([&] { return !verbCalls(sim, kHdiutil, "detach").isEmpty(); }, kJobTimeoutMs))
            << "the cancelled job detaches its image";
        EXPECT_EQ(bytesTreeOf(sim.host(MakeDmg::kMountPoint)), *GetParam().heldAtDetach);
    }
    ASSERT_TRUE(settle());
    EXPECT_EQ(screen.reports.size(), GetParam().reports);
    EXPECT_EQ(screen.errors, QStringList());
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
        // The cancel comes as the copy of "docs" starts: none of its files is copied (the image's detach
        // waits while the test looks).
        CancelRow{"duringTheCopy",
                  [](const SimMac& sim, ImageScreen& screen, MakeDmg& worker) {
                      sim.addFault(
                          {{"Tool", "hdiutil"}, {"Verb", "detach"}, {"Action", "delay"}, {"DelayMs", 3000}});
                      screen.onReport = [&worker](const QString& text, float) {
                          if (text == u"/Volumes/Src/docs") {
                              cancel(worker);
                          }
                      };
                  },
                  [](const SimMac&, const ImageScreen& screen) { return screen.reports.size() >= 2; }, 2,
                  QStringList()}),
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
    EXPECT_EQ(screen.errors, QStringList());
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
    QString reason;
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
    EXPECT_EQ(screen.errors, QStringList{GetParam().reason});
    for (const auto& report : screen.reports) {
        EXPECT_LT(report.second, 100.0F);
    }
    EXPECT_FALSE(QFileInfo::exists(sim.host(kArchive)));
}

INSTANTIATE_TEST_SUITE_P(
    Archive, ArchiveFailure,
    ::testing::Values(
        ZipFailureRow{"nothingWritten",
                      "zip ended with status 12",
                      {{"Tool", "zip"}, {"Action", "exit"}, {"ExitStatus", 12}}},
        ZipFailureRow{"writtenThenFailed",
                      "zip ended with status 18",
                      {{"Tool", "zip"}, {"Action", "effectThenExit"}, {"ExitStatus", 18}}},
        ZipFailureRow{"toolsOwnWords",
                      "zip I/O error: No space left on device\nzip error: Output file write failure",
                      {{"Tool", "zip"},
                       {"Action", "exit"},
                       {"ExitStatus", 14},
                       {"Stdout",
                        "  adding: Volumes/Src/photo.jpg (stored 0%)\n"
                        "zip I/O error: No space left on device\n"
                        "zip error: Output file write failure\n"}}},
        ZipFailureRow{"killed", "zip crashed", {{"Tool", "zip"}, {"Action", "signal"}, {"Signal", 9}}},
        ZipFailureRow{"destinationUnplugged",
                      "zip I/O error: No such file or directory\nzip error: Could not create output file (" +
                          kArchive.mid(1) + ")",
                      {},
                      [](const SimMac& sim, FileNodeList&) {
                          sim.detach(sim.info("/Volumes/Dest").value("ParentWholeDisk").toString());
                      }},
        // A checked item gone since it was chosen.
        ZipFailureRow{"itemVanished",
                      "/Volumes/Src/photo.jpg: No such file or directory",
                      {},
                      [](const SimMac& sim, FileNodeList&) {
                          ASSERT_TRUE(QFile::remove(sim.host("/Volumes/Src/photo.jpg")));
                      }}),
    [](const ::testing::TestParamInfo<ZipFailureRow>& row) { return row.param.name; });

TEST_F(Archive, AlreadyThereIsNeitherChangedNorRemoved) {
    writeHostFile(sim.host(kArchive), "someone's archive");
    zip();
    EXPECT_EQ(screen.errors, QStringList{kArchive + ": File exists"});
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
    EXPECT_EQ(screen.errors, QStringList());
    const QJsonObject last = sim.calls().last();
    EXPECT_EQ(last.value("tool").toString(), "zip");
    EXPECT_EQ(last.value("phase").toString(), "start") << "zip was stopped before it ended";
}

}  // namespace

namespace {

// The source's "disk": a link to the startup volume, partly checked, with its "Users" folder checked. A link
// is one item: no job goes through it to another disk's files.
void chooseThroughALink(Image& f) {
    ASSERT_TRUE(QFile::link("/", f.sim.host("/Volumes/Src/disk")));
    auto link = node("/Volumes/Src/disk", true, FileNode::kPartlyChecked);
    link->children().push_back(node("/Volumes/Src/disk/Users", true, FileNode::kChecked, link.get()));
    f.screen.roots.push_back(std::move(link));
}

// "locked" can be listed but not entered (mode 0644).
void chooseLockedFolder(Image& f) {
    writeHostFile(f.sim.host("/Volumes/Src/locked/s.txt"), "secret");
    ::chmod(QFile::encodeName(f.sim.host("/Volumes/Src/locked")).constData(), 0644);
    f.screen.choose(f.sim, {"/Volumes/Src/docs", "/Volumes/Src/locked"});
}

void chooseUnreadableFile(Image& f) {
    writeHostFile(f.sim.host("/Volumes/Src/docs/secret.txt"), "secret");
    ::chmod(QFile::encodeName(f.sim.host("/Volumes/Src/docs/secret.txt")).constData(), 0);
    f.screen.choose(f.sim, {"/Volumes/Src/docs"});
}

// "caf\xE9.txt" (not UTF-8) and "caf\uFFFD.txt", which the first reads as when decoded.
void chooseNamesAlikeButForTheirBytes(Image& f) {
    writeNative(f.sim, "/Volumes/Src/caf\xe9.txt", "e9");
    writeNative(f.sim, "/Volumes/Src/caf\xef\xbf\xbd.txt", "fffd");
    f.screen.roots.push_back(nativeRoot("/Volumes/Src", "caf\xe9.txt"));
    f.screen.roots.push_back(nativeRoot("/Volumes/Src", "caf\xef\xbf\xbd.txt"));
}

// The hostile trees and names, on both roads: each row's job ends with every chosen entry in the image or the
// archive, or fails naming the entry that is not and why, leaving nothing on the destination. A row run by a
// user without privileges makes its job in a process of the user "nobody".
struct EngineRow {
    const char* name;
    bool zip;
    bool unprivileged;
    std::function<void(Image&)> choose;  // makes the tree and the chosen roots
    QString failure;                     // a pattern the reason matches whole; empty: the job succeeds
    QStringList content = {};            // of the image or the archive that was made
};

void PrintTo(const EngineRow& row, std::ostream* out) {
    *out << row.name;
}

class Engines : public Image, public ::testing::WithParamInterface<EngineRow> {
protected:
    // The test's folder is removed by names read as UTF-8: the one that is not goes first.
    void TearDown() override {
        removeChain(sim.host("/Volumes/Src/chain"), "end.txt");
        ::unlink((QFile::encodeName(sim.root()) + "/Volumes/Src/caf\xe9.txt").constData());
        Image::TearDown();
    }

    // The job, run in this process; its failures' reasons.
    QStringList run(bool zip) {
        if (zip) {
            worker->doZipWithPath(kArchive, screen.roots);
        } else {
            worker->makeTmpDmgWithPath("/Volumes/Dest", kImageName, 1000);
        }
        EXPECT_TRUE(waitUntil([&] { return screen.ended(); }, kJobTimeoutMs));
        EXPECT_TRUE(settle());
        return screen.errors;
    }

    // The job, run by the user "nobody"; nothing when no such process can run.
    std::optional<QStringList> runUnprivileged(bool zip) {
        if (::geteuid() == 0) {
            ::chmod(QFile::encodeName(QFileInfo(sim.root()).path()).constData(), 0755);
            EXPECT_EQ(QProcess::execute("chown", {"-R", "65534:65534", sim.root()}), 0);
        }
        QStringList arguments{zip ? "zip" : "image", zip ? kArchive : "/Volumes/Dest"};
        for (const auto& root : screen.roots) {
            arguments << root->path();
        }
        QProcess job;
        job.start(MAKEDMG_AS_USER, arguments);
        EXPECT_TRUE(job.waitForFinished(kJobTimeoutMs)) << "the job of the user nobody ends";
        if (job.exitCode() == 77) {
            return std::nullopt;
        }
        const QStringList said = QString::fromUtf8(job.readAllStandardOutput()).trimmed().split('\n');
        return said.value(0) == u"failed" ? QStringList{said.mid(1).join('\n')} : QStringList();
    }
};

TEST_P(Engines, EveryChosenEntryIsInTheResultOrTheJobFailsNamingIt) {
    const EngineRow& row = GetParam();
    writeHostFile(sim.host("/Volumes/Src/other/photo.jpg"), "another jpeg");
    row.choose(*this);
    const QStringList destination = bytesTreeOf(sim.host("/Volumes/Dest"));
    const std::optional<QStringList> errors = row.unprivileged ? runUnprivileged(row.zip) : run(row.zip);
    if (!errors) {
        GTEST_SKIP() << "no process can run as the user nobody here";
    }
    if (!row.failure.isEmpty()) {
        ASSERT_EQ(errors->size(), 1) << errors->join('\n').toStdString();
        EXPECT_TRUE(QRegularExpression("^" + row.failure + "$").match(errors->first()).hasMatch())
            << errors->first().toStdString();
        EXPECT_EQ(bytesTreeOf(sim.host("/Volumes/Dest")), destination)
            << "nothing is left on the destination";
        return;
    }
    EXPECT_EQ(*errors, QStringList());
    EXPECT_EQ(row.zip ? listing(sim.host(kArchive)) : contentOf(kImage), row.content);
}

const QString kPermissionDenied = QStringLiteral(": Permission denied");

INSTANTIATE_TEST_SUITE_P(
    Engines, Engines,
    ::testing::Values(
        EngineRow{"imageOfAFolderListedButNotEntered", false, true, chooseLockedFolder,
                  "/Volumes/Src/locked/s\\.txt" + kPermissionDenied},
        EngineRow{"archiveOfAFolderListedButNotEntered", true, true, chooseLockedFolder,
                  "/Volumes/Src/locked/s\\.txt" + kPermissionDenied},
        EngineRow{"imageOfAnUnreadableFile", false, true, chooseUnreadableFile,
                  "/Volumes/Src/docs/secret\\.txt" + kPermissionDenied},
        EngineRow{"archiveOfAnUnreadableFile", true, true, chooseUnreadableFile,
                  "zip I/O error: .*\nzip error: File not found or no read permission \\(was zipping "
                  "Volumes/Src/docs/secret\\.txt\\)"},
        EngineRow{
            "archiveOfAFifo", true, false,
            [](Image& f) {
                ASSERT_EQ(::mkfifo(QFile::encodeName(f.sim.host("/Volumes/Src/fifo")).constData(), 0644), 0);
                f.screen.choose(f.sim, {"/Volumes/Src/docs", "/Volumes/Src/fifo"});
            },
            "/Volumes/Src/fifo: not stored in the archive \\(zip warning: ignoring FIFO \\(Named Pipe\\) "
            "- use -FI to read: Volumes/Src/fifo\\)"},
        EngineRow{"archiveOfATreeDeeperThanAPathCanBe", true, false,
                  [](Image& f) {
                      makeChain(f.sim.host("/Volumes/Src/chain"), 2200, "end.txt");
                      f.screen.choose(f.sim, {"/Volumes/Src/chain"});
                  },
                  "/Volumes/Src/chain(/d)+: File name too long"},
        EngineRow{"archiveOfNamesThatAreNotUtf8", true, false, chooseNamesAlikeButForTheirBytes,
                  "/Volumes/Src/caf\\\\xE9\\.txt: the name is not valid UTF-8, so zip cannot be given it"},
        EngineRow{"imageOfNamesThatAreNotUtf8",
                  false,
                  false,
                  chooseNamesAlikeButForTheirBytes,
                  {},
                  {"caf\\xE9.txt = e9", "caf\uFFFD.txt = fffd"}},
        EngineRow{"imageKeepsEachItemsPathBelowItsSource",
                  false,
                  false,
                  [](Image& f) {
                      auto docs = node("/Volumes/Src/docs", true, FileNode::kPartlyChecked);
                      docs->children().push_back(node("/Volumes/Src/docs/a.txt", false, 1, docs.get()));
                      docs->children().push_back(node("/Volumes/Src/docs/deep", true, 1, docs.get()));
                      auto other = node("/Volumes/Src/other", true, FileNode::kPartlyChecked);
                      other->children().push_back(
                          node("/Volumes/Src/other/photo.jpg", false, 1, other.get()));
                      f.screen.roots.push_back(std::move(docs));
                      f.screen.roots.push_back(std::move(other));
                      f.screen.choose(f.sim, {"/Volumes/Src/photo.jpg"});
                  },
                  {},
                  {"docs", "docs/a.txt = alpha", "docs/deep", "docs/deep/b.txt = beta", "other",
                   "other/photo.jpg = another jpeg", "photo.jpg = jpeg"}},
        EngineRow{"imageStoresLinksAsLinks",
                  false,
                  false,
                  [](Image& f) {
                      ASSERT_TRUE(QFile::link("../..", f.sim.host("/Volumes/Src/docs/deep/up")));
                      ASSERT_TRUE(QFile::link("/", f.sim.host("/Volumes/Src/disk")));
                      f.screen.choose(f.sim, {"/Volumes/Src/docs", "/Volumes/Src/disk"});
                  },
                  {},
                  {"disk -> /", "docs", "docs/a.txt = alpha", "docs/deep", "docs/deep/b.txt = beta",
                   "docs/deep/up -> ../.."}},
        EngineRow{"imageThroughAPartlyCheckedLink", false, false, chooseThroughALink,
                  "/Volumes/Src/disk: Not a directory"},
        EngineRow{"archiveThroughAPartlyCheckedLink", true, false, chooseThroughALink,
                  "/Volumes/Src/disk: Not a directory"}),
    [](const ::testing::TestParamInfo<EngineRow>& row) { return row.param.name; });

}  // namespace

// makedmg_as_user zip|image <archive path or destination folder> <chosen path>...
//
// Runs one job of the image and archive worker over the chosen paths (each a checked item) and prints how it
// ended: "done", or "failed" and the reason on the next line. Started as root, it first becomes the user
// "nobody" (65534) and exits with 77 when it cannot.
#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "services/files/FileNode.h"
#include "services/jobs/MakeDmg.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>

#include <grp.h>
#include <unistd.h>

namespace {

constexpr uid_t kNobody = 65534;

bool dropPrivileges() {
    if (::geteuid() != 0) {
        return true;
    }
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0 &&
           ::geteuid() != 0;
}

class Screen : public MakeDmgDelegate {
public:
    Screen(MakeDmg& worker, const FileNodeList& roots) : worker_(worker), roots_(roots) {}

    void copyFileToDmgWithFileName(const QString& /*text*/, float percent) override {
        if (percent >= 100) {
            std::puts("done");
            QCoreApplication::quit();
        }
    }
    void beginToCopyDmg() override { worker_.doCopyFilesToDmgWithDmg(roots_); }
    void makeDmgFailWithError(const QString& error) override {
        std::printf("failed\n%s\n", error.toUtf8().constData());
        QCoreApplication::quit();
    }

private:
    MakeDmg& worker_;
    const FileNodeList& roots_;
};

}  // namespace

int main(int argc, char** argv) {
    if (!dropPrivileges()) {
        std::perror("cannot become the user nobody");
        return 77;
    }
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        return 2;
    }
    FileNodeList roots;
    for (const QString& path : args.mid(2)) {
        roots.push_back(std::make_unique<FileNode>(path, path.section(QLatin1Char('/'), -1),
                                                   platform::FileSystem::isDirectory(path), nullptr));
    }
    MakeDmg worker;
    Screen screen(worker, roots);
    worker.setMakeDmgDelegate(&screen);
    QTimer::singleShot(0, &app, [&] {
        if (args.first() == QLatin1String("zip")) {
            worker.doZipWithPath(args.at(1), roots);
        } else {
            worker.makeTmpDmgWithPath(args.at(1), QStringLiteral("Tavrun(as user)"), 1000);
        }
    });
    QCoreApplication::exec();
    std::fflush(stdout);
    return platform::waitForGlobalQueue(std::chrono::minutes(1)) ? 0 : 1;
}

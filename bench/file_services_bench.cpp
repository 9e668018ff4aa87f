// Scans, size sums and copies of the file services against `du -sb` and `cp -a` on the same trees, as time
// ratios measured side by side in one run. The trees live in a temporary simulated Mac (TAVRUN_BENCH_DIR, or
// the system's temporary folder); build with optimisation (-DCMAKE_BUILD_TYPE=Release) and no sanitizers.

#include "platform/FileSystem.h"
#include "services/files/DoCopyFiles.h"
#include "services/files/EumeRoot.h"
#include "services/files/GetFilesSize.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <random>

namespace {

QString g_root;  // host folder of the simulated Mac

QString host(const QString& macPath) {
    return g_root + macPath;
}

void writeFile(const QString& macPath, const QByteArray& content) {
    QFile out(host(macPath));
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out.fileName()));
        std::exit(1);
    }
}

// 100,000 files in 1,110 folders, ten wide and three deep, of apparent sizes from 0 to 64 KB.
void makeScanTree() {
    std::mt19937 random(1);
    for (int a = 0; a < 10; ++a) {
        for (int b = 0; b < 10; ++b) {
            for (int c = 0; c < 10; ++c) {
                const QString folder = QStringLiteral("/Volumes/Tree/a%1/b%2/c%3").arg(a).arg(b).arg(c);
                QDir().mkpath(host(folder));
                for (int f = 0; f < 100; ++f) {
                    QFile out(host(folder + QStringLiteral("/file%1.dat").arg(f)));
                    out.open(QIODevice::WriteOnly);
                    out.resize(static_cast<qint64>(random() % 65536));
                }
            }
        }
    }
}

// 10,000 files of 1 to 8 KB in 100 folders, and one file of 1 GB.
void makeCopySources() {
    std::mt19937 random(2);
    QByteArray block(1 << 20, '\0');
    for (char& byte : block) {
        byte = static_cast<char>(random());
    }
    for (int d = 0; d < 100; ++d) {
        const QString folder = QStringLiteral("/Volumes/Small/Files/d%1").arg(d);
        QDir().mkpath(host(folder));
        for (int f = 0; f < 100; ++f) {
            const auto size = static_cast<qsizetype>(1024 + random() % 7168);
            writeFile(folder + QStringLiteral("/f%1.txt").arg(f), block.left(size));
        }
    }
    QDir().mkpath(host(QStringLiteral("/Volumes/Big")));
    QFile big(host(QStringLiteral("/Volumes/Big/big.bin")));
    big.open(QIODevice::WriteOnly);
    for (int i = 0; i < 1024; ++i) {
        big.write(block);
    }
}

double runTool(const QString& program, const QStringList& arguments) {
    QElapsedTimer timer;
    timer.start();
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(-1);
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed\n", qPrintable(program));
        std::exit(1);
    }
    return seconds;
}

// Runs `start` and the main thread's event loop until the job calls the finish function it is given.
double timeJob(const std::function<void(const std::function<void()>&)>& start) {
    QEventLoop loop;
    QElapsedTimer timer;
    timer.start();
    start([&loop] { loop.quit(); });
    loop.exec();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

struct ScanEnd : EumeRootDelegate {
    void endScan() override { finish(); }
    std::function<void()> finish;
};

struct SizeEnd : GetFilesSizeDelegate {
    void allCopyFilesSize(qint64 total) override {
        bytes = total;
        finish();
    }
    qint64 bytes = 0;
    std::function<void()> finish;
};

struct CopyEnd : DoCopyFilesDelegate {
    void topCopyProgress(float percent) override {
        if (percent >= 100.0F) {
            finish();
        }
    }
    void copyFileError() override {
        std::fprintf(stderr, "copy failed\n");
        std::exit(1);
    }
    std::function<void()> finish;
};

// Our time is the benchmark's; the reference tool's time and the ratio of the two are averaged beside it.
class Comparison {
public:
    Comparison(benchmark::State& state, const char* reference) : state_(state), reference_(reference) {}
    Comparison(const Comparison&) = delete;
    Comparison& operator=(const Comparison&) = delete;
    ~Comparison() {
        state_.counters[reference_] = benchmark::Counter(referenceTotal_, benchmark::Counter::kAvgIterations);
        state_.counters["ratio"] = benchmark::Counter(ratioTotal_, benchmark::Counter::kAvgIterations);
    }

    void add(double ours, double reference) {
        state_.SetIterationTime(ours);
        referenceTotal_ += reference;
        ratioTotal_ += ours / reference;
    }

private:
    benchmark::State& state_;
    const char* reference_;
    double referenceTotal_ = 0;
    double ratioTotal_ = 0;
};

// The deep scan builds and sizes the whole tree; `du -sb` walks the same tree.
void BM_DeepScanVsDu(benchmark::State& state) {
    Comparison comparison(state, "du_s");
    for (auto _ : state) {
        const double du =
            runTool(QStringLiteral("du"), {QStringLiteral("-sb"), host(QStringLiteral("/Volumes/Tree"))});
        auto roots = std::make_shared<FileNodeList>();
        EumeRoot scanner;
        ScanEnd scans;
        scanner.setEumeDelegate(&scans);
        scanner.eumeAllRootFileNodeWithRootArr(roots, QStringLiteral("/Volumes/Empty"));
        timeJob([&](const std::function<void()>& finish) { scans.finish = finish; });
        const double ours = timeJob([&](const std::function<void()>& finish) {
            scans.finish = finish;
            scanner.getRootNodeListWithPath(QStringLiteral("/Volumes/Tree"));
        });
        comparison.add(ours, du);
    }
}

// The size sum of a checked folder walks without building nodes.
void BM_SizeSumVsDu(benchmark::State& state) {
    Comparison comparison(state, "du_s");
    FileNodeList roots;
    roots.push_back(
        std::make_unique<FileNode>(QStringLiteral("/Volumes/Tree"), QStringLiteral("Tree"), true, nullptr));
    for (auto _ : state) {
        const double du =
            runTool(QStringLiteral("du"), {QStringLiteral("-sb"), host(QStringLiteral("/Volumes/Tree"))});
        GetFilesSize summer;
        SizeEnd sizes;
        summer.setDelegate(&sizes);
        const double ours = timeJob([&](const std::function<void()>& finish) {
            sizes.finish = finish;
            summer.getAllFilesSizeWithArr(roots);
        });
        comparison.add(ours, du);
    }
}

// Each run copies into a fresh folder and the copies are removed only at the end: deleting between runs would
// time the file system's reuse of freed inodes instead. The writes of one run are flushed before the next.
void copyVsCp(benchmark::State& state, const QString& source, const QString& name) {
    FileNodeList roots;
    roots.push_back(std::make_unique<FileNode>(source, name, QFileInfo(host(source)).isDir(), nullptr));
    Comparison comparison(state, "cp_s");
    int run = 0;
    for (auto _ : state) {
        const QString cpCopy = QStringLiteral("/Volumes/Dest/cp%1").arg(run);
        const QString ourCopy = QStringLiteral("/Volumes/Dest/Tavrun(%1)").arg(run);
        QDir().mkpath(host(cpCopy));
        QDir().mkpath(host(ourCopy));
        DoCopyFiles worker;
        CopyEnd copies;
        worker.setDelegate(&copies);
        const auto runCp = [&] {
            runTool(QStringLiteral("sync"), {});
            return runTool(QStringLiteral("cp"), {QStringLiteral("-a"), host(source), host(cpCopy)});
        };
        const auto runOurs = [&] {
            runTool(QStringLiteral("sync"), {});
            return timeJob([&](const std::function<void()>& finish) {
                copies.finish = finish;
                worker.doCopyFilesWithArr(roots, ourCopy);
            });
        };
        // Who goes first alternates, so that neither side always meets the other's pending work.
        double cp = 0;
        double ours = 0;
        if (run % 2 == 0) {
            cp = runCp();
            ours = runOurs();
        } else {
            ours = runOurs();
            cp = runCp();
        }
        comparison.add(ours, cp);
        ++run;
    }
    platform::FileSystem::remove(QStringLiteral("/Volumes/Dest"));
    runTool(QStringLiteral("sync"), {});
}

void BM_CopySmallFilesVsCp(benchmark::State& state) {
    copyVsCp(state, QStringLiteral("/Volumes/Small/Files"), QStringLiteral("Files"));
}

void BM_CopyBigFileVsCp(benchmark::State& state) {
    copyVsCp(state, QStringLiteral("/Volumes/Big/big.bin"), QStringLiteral("big.bin"));
}

BENCHMARK(BM_DeepScanVsDu)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SizeSumVsDu)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopySmallFilesVsCp)->UseManualTime()->Iterations(6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyBigFileVsCp)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString base = qEnvironmentVariable("TAVRUN_BENCH_DIR", QDir::tempPath());
    QTemporaryDir dir(base + QStringLiteral("/tavrun-bench-XXXXXX"));
    g_root = dir.path();
    qputenv("TAVRUN_SIM_ROOT", g_root.toUtf8());
    QLoggingCategory::setFilterRules(QStringLiteral("tavrun.*.debug=false\ntavrun.*.info=false"));
    std::fprintf(stderr, "making the trees in %s ...\n", qPrintable(g_root));
    makeScanTree();
    makeCopySources();
    runTool(QStringLiteral("sync"), {});
    // Warm the caches for both sides.
    runTool(QStringLiteral("du"), {QStringLiteral("-sb"), g_root});

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Scans, size sums and copies of the file services against `du -sb` and `cp -a` on the same trees. Each
// repetition is one paired run: the project's code and the reference tool, each timed from its start until
// its result is there (our job until its last report reaches the main thread, the tool until it has exited),
// the side that goes first alternating. The aggregates give the median and the spread (min, max, cv) of the
// times and of the ratio ours / reference. Before timing, every shape checks that the scan's byte total
// agrees with `du`'s. Each of our runs also reports the longest time it kept the main thread from its events
// (stall_ms), and every repetition the machine's load (load1, from /proc/loadavg) it ran at. Besides the
// deep scan, which no screen calls, the shapes time what the application runs: the shallow listing of a huge
// root and the expansion of a huge folder in the file list (against `find` listing the same folder). Also
// measured: the heap bytes per file-tree node of a million-node scan, of the roots of a huge listing and of a
// deep chain, what starting a copy of a million checked nodes costs the caller's thread, and the reloads that
// checking the root of an expanded tree sends.
//
// The trees live in a temporary simulated Mac (TAVRUN_BENCH_DIR, or the system's temporary folder). Build
// with optimisation and no sanitizers (-DCMAKE_BUILD_TYPE=Release -DTAVRUN_TESTS=OFF).

#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "services/files/Controller.h"
#include "services/files/DoCopyFiles.h"
#include "services/files/EumeRoot.h"
#include "services/files/GetFilesSize.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <utility>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString g_root;  // host folder of the simulated Mac

QString host(const QString& macPath) {
    return g_root + macPath;
}

[[noreturn]] void fail(const QString& what) {
    std::fprintf(stderr, "%s\n", qPrintable(what));
    std::exit(1);
}

// `count` files named by `name` in the folder, of the sizes `size` gives, written through descriptors.
void makeFiles(const QString& macFolder, int count, const std::function<QByteArray(int)>& content,
               const std::function<QString(int)>& name) {
    QDir().mkpath(host(macFolder));
    const int folder = ::open(QFile::encodeName(host(macFolder)).constData(), O_RDONLY | O_DIRECTORY);
    for (int i = 0; i < count; ++i) {
        const int fd =
            ::openat(folder, QFile::encodeName(name(i)).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const QByteArray bytes = content(i);
        if (fd < 0 || ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size())) != bytes.size()) {
            fail(QStringLiteral("cannot write in ") + macFolder);
        }
        ::close(fd);
    }
    ::close(folder);
}

QByteArray randomBlock() {
    std::mt19937 random(2);
    QByteArray block(1 << 20, '\0');
    for (char& byte : block) {
        byte = static_cast<char>(random());
    }
    return block;
}

constexpr QLatin1String kTree("/Volumes/Tree");
constexpr QLatin1String kWide("/Volumes/Wide");
constexpr QLatin1String kSmall("/Volumes/Small/Files");
constexpr QLatin1String kBig("/Volumes/Big/big.bin");
constexpr QLatin1String kMillion("/Volumes/Million");
constexpr QLatin1String kFlat("/Volumes/Flat");
constexpr QLatin1String kChain("/Volumes/Chain");
constexpr int kChainDepth = 2000;

// kTree: 100,000 files of 0 to 64 KB in 1,110 folders, ten wide and three deep. kWide: 32,000 folders at the
// root holding one file each. kSmall: 10,000 files of 1 to 8 KB in 100 folders. kBig: one file of 1 GB.
// kMillion: a million nodes, 1,000 folders of 1,000 empty files. kFlat: one folder of 200,000 files of 0 to
// 4 KB. kChain: a chain of 2,000 folders, each holding a file of 100 bytes.
void makeChain() {
    QDir().mkpath(host(kChain));
    int fd = ::open(QFile::encodeName(host(kChain)).constData(), O_RDONLY | O_DIRECTORY);
    for (int level = 0; level < kChainDepth && fd >= 0; ++level) {
        const int file = ::openat(fd, "file", O_WRONLY | O_CREAT, 0644);
        if (file < 0 || ::ftruncate(file, 100) != 0) {
            fail(QStringLiteral("cannot write the chain"));
        }
        ::close(file);
        ::mkdirat(fd, "level", 0755);
        const int next = ::openat(fd, "level", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = next;
    }
    ::close(fd);
}

void makeShape(QLatin1String shape) {
    std::mt19937 random(1);
    const QByteArray block = randomBlock();
    const auto files = [](int i) { return QStringLiteral("file%1.dat").arg(i); };
    if (shape == kTree) {
        for (int abc = 0; abc < 1000; ++abc) {
            makeFiles(
                QStringLiteral("%1/a%2/b%3/c%4").arg(kTree).arg(abc / 100).arg(abc / 10 % 10).arg(abc % 10),
                100, [&](int) { return block.left(static_cast<qsizetype>(random() % 65536)); }, files);
        }
    } else if (shape == kWide) {
        for (int d = 0; d < 32000; ++d) {
            makeFiles(
                QStringLiteral("%1/folder%2").arg(kWide).arg(d), 1, [&](int) { return block.left(100); },
                files);
        }
    } else if (shape == kSmall) {
        for (int d = 0; d < 100; ++d) {
            makeFiles(
                QStringLiteral("%1/d%2").arg(kSmall).arg(d), 100,
                [&](int) { return block.left(static_cast<qsizetype>(1024 + random() % 7168)); },
                [](int i) { return QStringLiteral("f%1.txt").arg(i); });
        }
    } else if (shape == kBig) {
        QDir().mkpath(host(QStringLiteral("/Volumes/Big")));
        QFile big(host(kBig));
        if (!big.open(QIODevice::WriteOnly)) {
            fail(big.fileName());
        }
        for (int i = 0; i < 1024; ++i) {
            big.write(block);
        }
    } else if (shape == kFlat) {
        makeFiles(
            kFlat, 200000, [&](int) { return block.left(static_cast<qsizetype>(random() % 4096)); },
            [](int i) { return QStringLiteral("file%1.dat").arg(i); });
    } else if (shape == kChain) {
        makeChain();
    } else if (shape == kMillion) {
        for (int d = 0; d < 1000; ++d) {
            makeFiles(
                QStringLiteral("%1/Photos/Roll %2").arg(kMillion).arg(d, 4, 10, QLatin1Char('0')), 1000,
                [](int) { return QByteArray(); },
                [](int i) { return QStringLiteral("IMG_%1.JPG").arg(i, 5, 10, QLatin1Char('0')); });
        }
    }
}

double seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

constexpr std::chrono::milliseconds kTick(2);
// The pool waits without a time-out for a negative one.
constexpr std::chrono::milliseconds kUntilIdle(-1);

double seconds(std::chrono::nanoseconds duration) {
    return std::chrono::duration<double>(duration).count();
}

// A reference tool, timed from its start until it has exited.
double timeTool(const QString& program, const QStringList& arguments, QByteArray* output = nullptr) {
    QProcess process;
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    const double time = seconds(timer);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        fail(program + QStringLiteral(" failed"));
    }
    if (output != nullptr) {
        *output = process.readAllStandardOutput();
    }
    return time;
}

// The longest time the main thread was kept from its events during the last job timed.
double g_longestStall = 0;

// Our job, timed from its start until it has called the finish function it is given on the main thread. A
// timer ticking on the main thread meanwhile measures how long the job keeps the interface waiting.
double timeJob(const std::function<void(const std::function<void()>&)>& start) {
    QEventLoop loop;
    bool finished = false;
    QElapsedTimer tick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(kTick);
    g_longestStall = 0;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        g_longestStall = std::max(g_longestStall, seconds(tick) - seconds(kTick));
        tick.start();
    });
    QElapsedTimer timer;
    timer.start();
    tick.start();
    ticker.start();
    start([&] {
        finished = true;
        loop.quit();
    });
    if (!finished) {
        loop.exec();
    }
    g_longestStall = std::max(g_longestStall, seconds(tick) - seconds(kTick));
    return seconds(timer);
}

void flushWrites() {
    timeTool(QStringLiteral("sync"), {});
}

// The machine's load average over the last minute: what else ran beside the benchmark.
double load() {
    QFile loadavg(QStringLiteral("/proc/loadavg"));
    return loadavg.open(QIODevice::ReadOnly) ? loadavg.readAll().split(' ').front().toDouble() : -1;
}

// One paired run; the side that goes first alternates from one repetition to the next.
void pair(benchmark::State& state, const char* reference, const std::function<double()>& ours,
          const std::function<double()>& theirs) {
    static int runs = 0;
    for (auto _ : state) {
        double ourTime = 0;
        double theirTime = 0;
        if (runs++ % 2 == 0) {
            ourTime = ours();
            theirTime = theirs();
        } else {
            theirTime = theirs();
            ourTime = ours();
        }
        state.SetIterationTime(ourTime);
        state.counters["load1"] = load();
        state.counters["stall_ms"] = g_longestStall * 1e3;
        state.counters[reference] = theirTime;
        state.counters["ratio"] = ourTime / theirTime;
    }
}

struct ScanEnd : EumeRootDelegate {
    void endScan() override { finish(); }
    std::function<void()> finish = [] {};
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
    void copyFileError() override { fail(QStringLiteral("copy failed")); }
    std::function<void()> finish;
};

struct Reloads : ControllerDelegate {
    void reloadTreeList() override { ++count; }
    int count = 0;
};

quint64 total(const FileNodeList& roots) {
    quint64 sum = 0;
    for (const auto& root : roots) {
        sum += root->size();
    }
    return sum;
}

std::size_t countNodes(const FileNodeList& roots) {
    std::size_t count = roots.size();
    std::vector<const FileNode*> pending;
    for (const auto& root : roots) {
        pending.push_back(root.get());
    }
    while (!pending.empty()) {
        const FileNode* node = pending.back();
        pending.pop_back();
        count += node->children().size();
        for (const auto& child : node->children()) {
            pending.push_back(child.get());
        }
    }
    return count;
}

// The deep scan of `macPath` into a fresh list (the scanner needs a shallow scan before it).
SharedFileNodeList deepScan(const QString& macPath, double* time = nullptr) {
    auto roots = std::make_shared<FileNodeList>();
    EumeRoot scanner;
    ScanEnd scans;
    scanner.setEumeDelegate(&scans);
    timeJob([&](const std::function<void()>& finish) {
        scans.finish = finish;
        scanner.eumeAllRootFileNodeWithRootArr(roots, QStringLiteral("/Volumes/Empty"));
    });
    const double scanTime = timeJob([&](const std::function<void()>& finish) {
        scans.finish = finish;
        scanner.getRootNodeListWithPath(macPath);
    });
    if (time != nullptr) {
        *time = scanTime;
    }
    return roots;
}

// `du -sb` counts the folders' own sizes as well, which the file tree leaves out.
void checkBytesAgree(const QString& macPath) {
    QByteArray du;
    QByteArray folders;
    timeTool(QStringLiteral("du"), {QStringLiteral("-sb"), host(macPath)}, &du);
    timeTool(QStringLiteral("find"),
             {host(macPath), QStringLiteral("-type"), QStringLiteral("d"), QStringLiteral("-printf"),
              QStringLiteral("%s\\n")},
             &folders);
    qint64 expected = du.split('\t').front().toLongLong();
    for (const QByteArray& size : folders.split('\n')) {
        expected -= size.toLongLong();
    }
    const quint64 scanned = total(*deepScan(macPath));
    if (scanned != static_cast<quint64>(expected)) {
        fail(QStringLiteral("%1: the scan counts %2 bytes, du %3").arg(macPath).arg(scanned).arg(expected));
    }
    std::fprintf(stderr, "%s: the scan's %llu bytes agree with du\n", qPrintable(macPath),
                 static_cast<unsigned long long>(scanned));
}

// Makes the tree the first time a benchmark asks for it, warms the caches for both sides and, for a tree that
// is scanned, checks that the scan's byte total agrees with du's.
void ensure(QLatin1String shape, bool scanned) {
    static auto* made = new QStringList;  // never destroyed: the process may end without unwinding
    if (made->contains(QString(shape))) {
        return;
    }
    std::fprintf(stderr, "making %s ...\n", qPrintable(shape));
    makeShape(shape);
    flushWrites();
    timeTool(QStringLiteral("du"), {QStringLiteral("-sb"), host(shape)});
    if (scanned) {
        checkBytesAgree(shape);
    }
    made->append(QString(shape));
}

void deepScanVsDu(benchmark::State& state, QLatin1String macPath) {
    ensure(macPath, true);
    pair(
        state, "du_s",
        [&] {
            double time = 0;
            deepScan(macPath, &time);
            return time;
        },
        [&] {
            return timeTool(QStringLiteral("du"), {QStringLiteral("-sb"), host(macPath)});
        });
}

void sizeSumVsDu(benchmark::State& state, QLatin1String macPath) {
    ensure(macPath, true);
    FileNodeList roots;
    roots.push_back(std::make_unique<FileNode>(macPath, QDir(macPath).dirName(), true, nullptr));
    pair(
        state, "du_s",
        [&] {
            GetFilesSize summer;
            SizeEnd sizes;
            summer.setDelegate(&sizes);
            return timeJob([&](const std::function<void()>& finish) {
                sizes.finish = finish;
                summer.getAllFilesSizeWithArr(roots);
            });
        },
        [&] {
            return timeTool(QStringLiteral("du"), {QStringLiteral("-sb"), host(macPath)});
        });
}

// `find` listing the folder's entries with their sizes: one lstat each, as a listing does.
double timeFind(const QString& macPath) {
    return timeTool(QStringLiteral("find"), {host(macPath), QStringLiteral("-mindepth"), QStringLiteral("1"),
                                             QStringLiteral("-maxdepth"), QStringLiteral("1"),
                                             QStringLiteral("-printf"), QStringLiteral("%s\\n")});
}

// What "Copy Now" without a chosen set and the file list run: the top level of a source, listed and sized.
void shallowListingVsFind(benchmark::State& state, QLatin1String macPath) {
    ensure(macPath, false);
    pair(
        state, "find_s",
        [&] {
            auto roots = std::make_shared<FileNodeList>();
            EumeRoot scanner;
            ScanEnd scans;
            scanner.setEumeDelegate(&scans);
            return timeJob([&](const std::function<void()>& finish) {
                scans.finish = finish;
                scanner.eumeAllRootFileNodeWithRootArr(roots, macPath);
            });
        },
        [&] { return timeFind(macPath); });
}

// What opening a folder in the file list runs, on the main thread.
void expansionVsFind(benchmark::State& state, QLatin1String macPath) {
    ensure(macPath, false);
    pair(
        state, "find_s",
        [&] {
            FileNode folder(macPath, QDir(macPath).dirName(), true, nullptr);
            EumeRoot lister;
            return timeJob([&](const std::function<void()>& finish) {
                lister.getNodeListWithFaterNode(&folder);
                finish();
            });
        },
        [&] { return timeFind(macPath); });
}

// Every run copies into a fresh folder; copies are removed after the benchmark (`keep`) or after each run.
// Deleting between runs would time the file system's reuse of freed inodes instead.
void copyVsCp(benchmark::State& state, QLatin1String source, const FileNodeList& roots, bool keep) {
    ensure(source, false);
    int ourRun = 0;
    int theirRun = 0;
    pair(
        state, "cp_s",
        [&] {
            const QString copy = QStringLiteral("/Volumes/Dest/Tavrun(%1)").arg(ourRun++);
            QDir().mkpath(host(copy));
            flushWrites();
            DoCopyFiles worker;
            CopyEnd copies;
            worker.setDelegate(&copies);
            const double time = timeJob([&](const std::function<void()>& finish) {
                copies.finish = finish;
                worker.doCopyFilesWithArr(roots, copy);
            });
            if (!keep) {
                platform::FileSystem::remove(copy);
            }
            return time;
        },
        [&] {
            const QString copy = QStringLiteral("/Volumes/Dest/cp%1").arg(theirRun++);
            QDir().mkpath(host(copy));
            flushWrites();
            const double time =
                timeTool(QStringLiteral("cp"), {QStringLiteral("-a"), host(source), host(copy)});
            if (!keep) {
                platform::FileSystem::remove(copy);
            }
            return time;
        });
    platform::FileSystem::remove(QStringLiteral("/Volumes/Dest"));
    flushWrites();
}

// What the reports of 10,000 items checked one by one cost alone: one synchronous trip to the main thread
// each.
void reportsOnly(benchmark::State& state) {
    for (auto _ : state) {
        state.SetIterationTime(timeJob([](const std::function<void()>& finish) {
            platform::globalAsync([finish] {
                for (int i = 0; i < 10000; ++i) {
                    platform::mainSync([] {});
                }
                platform::mainSync(finish);
            });
        }));
    }
}

// The longest wait of the main thread's events while it does nothing for a second: what the machine's load
// alone costs, to set the stalls of our runs against.
void idleMainThread(benchmark::State& state) {
    for (auto _ : state) {
        state.SetIterationTime(timeJob([](const std::function<void()>& finish) {
            QTimer::singleShot(std::chrono::seconds(1), finish);
        }));
        state.counters["stall_ms"] = g_longestStall * 1e3;
    }
}

FileNodeList wholeItem(const QString& macPath, bool isDirectory) {
    FileNodeList roots;
    roots.push_back(std::make_unique<FileNode>(macPath, QDir(macPath).dirName(), isDirectory, nullptr));
    return roots;
}

// The folder partly checked, and every file in it checked one by one.
FileNodeList checkedOneByOne(const QString& macPath) {
    FileNodeList roots = wholeItem(macPath, true);
    EumeRoot lister;
    roots[0]->setState(FileNode::kPartlyChecked);
    lister.getNodeListWithFaterNode(roots[0].get());
    for (const auto& folder : roots[0]->children()) {
        folder->setState(FileNode::kPartlyChecked);
        lister.getNodeListWithFaterNode(folder.get());
    }
    return roots;
}

// Heap bytes per node of a scan of `macPath` (deep, or `shallow`: its top level only), counted in a process
// of its own whose threads share one heap arena, so that mallinfo2() sees every allocation (see main).
double bytesPerNode(QLatin1String macPath, bool shallow) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("1"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--bytes-per-node"), macPath,
                                                          shallow ? QStringLiteral("shallow") : QString()});
    child.waitForFinished(-1);
    return child.readAllStandardOutput().trimmed().toDouble();
}

int printBytesPerNode(const QString& macPath, bool shallow) {
    const std::size_t before = mallinfo2().uordblks;
    SharedFileNodeList roots;
    if (shallow) {
        roots = std::make_shared<FileNodeList>();
        EumeRoot scanner;
        ScanEnd scans;
        scanner.setEumeDelegate(&scans);
        timeJob([&](const std::function<void()>& finish) {
            scans.finish = finish;
            scanner.eumeAllRootFileNodeWithRootArr(roots, macPath);
        });
    } else {
        roots = deepScan(macPath);
    }
    platform::waitForGlobalQueue(kUntilIdle);
    const std::size_t after = mallinfo2().uordblks;
    std::printf("%.1f\n", static_cast<double>(after - before) / static_cast<double>(countNodes(*roots)));
    return 0;
}

// Bytes per node of the roots of a huge listing (each deriving its path from the listed folder) and of a
// deep chain, where every node is a folder with one child.
void nodeBytes(benchmark::State& state) {
    ensure(kFlat, false);
    ensure(kChain, true);
    for (auto _ : state) {
        state.counters["flat_roots_bytes_per_node"] = bytesPerNode(kFlat, true);
        state.counters["chain_bytes_per_node"] = bytesPerNode(kChain, false);
        state.SetIterationTime(1);
    }
}

// What starting a copy of a million checked nodes costs the caller's thread, how long the snapshot takes on
// the global queue, and the reloads that checking the root of the expanded tree sends.
void millionNodes(benchmark::State& state) {
    ensure(kMillion, true);
    for (auto _ : state) {
        platform::waitForGlobalQueue(kUntilIdle);
        double scanTime = 0;
        const SharedFileNodeList roots = deepScan(kMillion, &scanTime);
        state.counters["scan_stall_ms"] = g_longestStall * 1e3;
        state.counters["nodes"] = static_cast<double>(countNodes(*roots));
        state.counters["bytes_per_node"] = bytesPerNode(kMillion, false);
        state.counters["du_s"] = timeTool(QStringLiteral("du"), {QStringLiteral("-sb"), host(kMillion)});
        state.SetIterationTime(scanTime);

        FileNode& photos = *roots->front();
        photos.setIsExpand(true);
        for (const auto& roll : photos.children()) {
            roll->setIsExpand(true);
        }
        Controller controller;
        Reloads reloads;
        controller.setADelegate(&reloads);
        QElapsedTimer timer;
        timer.start();
        controller.changeSelectWithNode(&photos, FileNode::kChecked);
        state.counters["check_root_ms"] = seconds(timer) * 1e3;
        state.counters["reloads"] = reloads.count;

        photos.setState(FileNode::kPartlyChecked);
        for (const auto& roll : photos.children()) {
            roll->setState(FileNode::kPartlyChecked);
        }
        DoCopyFiles worker;
        timer.restart();
        worker.doCopyFilesWithArr(*roots, QStringLiteral("/Volumes/Nowhere"));
        state.counters["copy_start_ms"] = seconds(timer) * 1e3;
        worker.setIsCancel(true);
        timer.restart();
        double snapshot = 0;
        timeJob([&](const std::function<void()>& finish) {
            FileNode::checkedSnapshotInBackground(*roots, [&](FileNodeList) {
                snapshot = seconds(timer);
                platform::mainAsync(finish);
            });
        });
        state.counters["snapshot_ms"] = snapshot * 1e3;
        platform::waitForGlobalQueue(kUntilIdle);
    }
}

double minimum(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

double maximum(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

void registerAll() {
    const auto paired = [](benchmark::internal::Benchmark* b, int repetitions) {
        b->UseManualTime()
            ->Iterations(1)
            ->Repetitions(repetitions)
            ->ReportAggregatesOnly(true)
            ->ComputeStatistics("min", minimum)
            ->ComputeStatistics("max", maximum)
            ->Unit(benchmark::kMillisecond);
    };
    paired(benchmark::RegisterBenchmark("IdleMainThread", idleMainThread), 5);
    paired(benchmark::RegisterBenchmark("DeepScanVsDu/tree", [](auto& s) { deepScanVsDu(s, kTree); }), 7);
    paired(benchmark::RegisterBenchmark("DeepScanVsDu/32000FoldersAtTheRoot",
                                        [](auto& s) { deepScanVsDu(s, kWide); }),
           7);
    paired(benchmark::RegisterBenchmark("DeepScanVsDu/200000FilesInOneFolder",
                                        [](auto& s) { deepScanVsDu(s, kFlat); }),
           7);
    paired(benchmark::RegisterBenchmark("DeepScanVsDu/chain2000", [](auto& s) { deepScanVsDu(s, kChain); }),
           7);
    paired(benchmark::RegisterBenchmark("ShallowListingVsFind/200000FilesInOneFolder",
                                        [](auto& s) { shallowListingVsFind(s, kFlat); }),
           7);
    paired(benchmark::RegisterBenchmark("FolderExpansionVsFind/200000FilesInOneFolder",
                                        [](auto& s) { expansionVsFind(s, kFlat); }),
           7);
    paired(benchmark::RegisterBenchmark("SizeSumVsDu/tree", [](auto& s) { sizeSumVsDu(s, kTree); }), 7);
    paired(benchmark::RegisterBenchmark("SizeSumVsDu/chain2000", [](auto& s) { sizeSumVsDu(s, kChain); }), 7);
    paired(benchmark::RegisterBenchmark("SizeSumVsDu/32000FoldersAtTheRoot",
                                        [](auto& s) { sizeSumVsDu(s, kWide); }),
           7);
    paired(benchmark::RegisterBenchmark("CopyVsCp/10000FilesFolderWhole",
                                        [](auto& s) { copyVsCp(s, kSmall, wholeItem(kSmall, true), true); }),
           8);
    paired(benchmark::RegisterBenchmark("CopyVsCp/10000FilesCheckedOneByOne",
                                        [](auto& s) {
                                            ensure(kSmall, false);  // listed before the copy starts
                                            copyVsCp(s, kSmall, checkedOneByOne(kSmall), true);
                                        }),
           8);
    paired(benchmark::RegisterBenchmark("ReportsOf10000Items", reportsOnly), 5);
    paired(benchmark::RegisterBenchmark("CopyVsCp/1GBFile",
                                        [](auto& s) { copyVsCp(s, kBig, wholeItem(kBig, false), false); }),
           4);
    benchmark::RegisterBenchmark("NodeBytes", nodeBytes)->UseManualTime()->Iterations(1);
    benchmark::RegisterBenchmark("MillionNodes", millionNodes)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("tavrun.*.debug=false\ntavrun.*.info=false"));
    if (argc >= 3 && qstrcmp(argv[1], "--bytes-per-node") == 0) {
        g_root = qEnvironmentVariable("TAVRUN_SIM_ROOT");
        return printBytesPerNode(QString::fromUtf8(argv[2]), argc == 4 && qstrcmp(argv[3], "shallow") == 0);
    }
    const QString base = qEnvironmentVariable("TAVRUN_BENCH_DIR", QDir::tempPath());
    QTemporaryDir dir(base + QStringLiteral("/tavrun-bench-XXXXXX"));
    g_root = dir.path();
    qputenv("TAVRUN_SIM_ROOT", g_root.toUtf8());
    std::fprintf(stderr, "the trees are made in %s\n", qPrintable(g_root));
    QDir().mkpath(host(QStringLiteral("/Volumes/Empty")));

    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

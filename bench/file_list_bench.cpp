// The file list with 200,000 entries at the root of a volume, shown in its window: how long a check click,
// the select-all box, opening a folder, choosing a row far down and a move of the arrow key hold the main
// thread (from the call until every event it caused, the repaint included, has been handled), and the heap
// bytes per entry that the open list costs beside its nodes. Build with optimisation and no sanitizers
// (-DCMAKE_BUILD_TYPE=Release -DTAVRUN_TESTS=OFF); it runs offscreen unless QT_QPA_PLATFORM says otherwise.
//
// Measured on the 8-core build machine under a load of about 20: a check click 1.9 ms (72.5 ms when the
// whole model was reset and every root expanded again), the select-all box 2.7 ms (69.5), opening or
// closing a folder 3.6 ms (40.9), an arrow key 2.0 ms, a row far down 5.7 ms; the list's own heap 21.5
// bytes per entry beside 336 bytes per node.

#include "app/sources/DiskListWC.h"
#include "app/sources/FileOutlineModel.h"
#include "app/sources/ListFileViewController.h"
#include "services/files/FileNode.h"
#include "ui-kit/tables/NewOutlineView.h"
#include "ui-kit/windows/TCImageWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QProcess>

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int kEntries = 200000;

// The volume's root: the files, then one folder whose three files are listed already.
SharedFileNodeList volumeRoot() {
    auto roots = std::make_shared<FileNodeList>();
    roots->reserve(kEntries + 1);
    for (int i = 0; i < kEntries; ++i) {
        const QString name = QStringLiteral("file%1.txt").arg(i, 6, 10, QLatin1Char('0'));
        roots->push_back(
            std::make_unique<FileNode>(QStringLiteral("/Volumes/Big/") + name, name, false, nullptr));
        roots->back()->setSize(1000);
    }
    auto folder = std::make_unique<FileNode>(QStringLiteral("/Volumes/Big/Folder"), QStringLiteral("Folder"),
                                             true, nullptr);
    for (int i = 0; i < 3; ++i) {
        const QString name = QStringLiteral("inner%1.txt").arg(i);
        folder->children().push_back(std::make_unique<FileNode>(QStringLiteral("/Volumes/Big/Folder/") + name,
                                                                name, false, folder.get()));
    }
    roots->push_back(std::move(folder));
    return roots;
}

// Handles every event that is waiting, and those that handling them posts.
void settle() {
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

struct OpenList {
    OpenList() {
        window.window()->show();
        settle();
        window.listFileVC()->setArrForListWithArr(volumeRoot(), QStringLiteral("/Volumes/Big"));
        settle();
    }
    ListFileViewController& list() { return *window.listFileVC(); }
    FileNode* root(int index) { return list().rootNodeArr()->at(static_cast<std::size_t>(index)).get(); }

    DiskListWC window;
};

// One action per iteration, timed until the main thread is free again.
void timeActions(benchmark::State& state, const std::function<void(OpenList&, int)>& action) {
    OpenList open;
    int round = 0;
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        action(open, round++);
        settle();
        state.SetIterationTime(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
}

void checkClick(benchmark::State& state) {
    timeActions(state, [](OpenList& open, int round) {
        open.list().setObjectValue(sources::FileColumn::CheckBox, open.root((round * 7919) % kEntries));
    });
}

void selectAllBox(benchmark::State& state) {
    timeActions(state, [](OpenList& open, int /*round*/) { open.list().setAllSelectOrNoSelect(); });
}

void openAndCloseAFolder(benchmark::State& state) {
    timeActions(state, [](OpenList& open, int round) {
        NewOutlineView* outline = open.list().outlineView();
        const QModelIndex folder = open.list().model()->indexForNode(open.root(kEntries));
        outline->setExpanded(folder, round % 2 == 0);
    });
}

// A row far down the list, chosen with the mouse: the outline finds its row number and draws it lit.
void selectADeepRow(benchmark::State& state) {
    timeActions(state, [](OpenList& open, int round) {
        FileNode* row = open.root(kEntries - 1000 + round % 2);
        if (round == 0) {
            open.list().outlineView()->scrollTo(open.list().model()->indexForNode(row));
        }
        open.list().shouldSelectItem(row);
    });
}

void arrowKey(benchmark::State& state) {
    timeActions(state, [](OpenList& open, int round) {
        QKeyEvent key(QEvent::KeyPress, round % 2 == 0 ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
        QCoreApplication::sendEvent(open.list().outlineView(), &key);
    });
}

// Heap bytes per entry of the open list beside its nodes, counted in a process of its own with one heap
// arena, so that mallinfo2() sees every allocation: the list's total less what the same tree costs alone.
int printBytesPerEntry() {
    const auto heap = [] { return static_cast<double>(mallinfo2().uordblks); };
    const double start = heap();
    SharedFileNodeList tree = volumeRoot();
    const double nodes = heap() - start;
    tree.reset();
    const double before = heap();
    {
        OpenList open;
        const double list = heap() - before;
        std::printf("%.1f %.1f\n", nodes / kEntries, (list - nodes) / kEntries);
    }
    return 0;
}

void bytesPerEntry(benchmark::State& state) {
    for (auto _ : state) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("MALLOC_ARENA_MAX"), QStringLiteral("1"));
        child.setProcessEnvironment(environment);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--bytes-per-entry")});
        child.waitForFinished(-1);
        const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
        state.counters["node_bytes_per_entry"] = figures.value(0).toDouble();
        state.counters["list_bytes_per_entry"] = figures.value(1).toDouble();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    if (argc > 1 && qstrcmp(argv[1], "--bytes-per-entry") == 0) {
        return printBytesPerEntry();
    }
    const auto timed = [](benchmark::internal::Benchmark* b) {
        b->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);
    };
    timed(benchmark::RegisterBenchmark("FileList200k/CheckClick", checkClick));
    timed(benchmark::RegisterBenchmark("FileList200k/SelectAllBox", selectAllBox));
    timed(benchmark::RegisterBenchmark("FileList200k/OpenAndCloseAFolder", openAndCloseAFolder));
    timed(benchmark::RegisterBenchmark("FileList200k/SelectADeepRow", selectADeepRow));
    timed(benchmark::RegisterBenchmark("FileList200k/ArrowKey", arrowKey));
    benchmark::RegisterBenchmark("FileList200k/BytesPerEntry", bytesPerEntry)->Iterations(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

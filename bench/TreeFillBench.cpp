// The folder tree opening a folder of 10 000 subfolders: reading them, deciding each expand
// button, sorting and inserting the nodes, with the tree on screen as in the window. Two
// folders: one whose subfolders are all empty, one where every subfolder holds another (each
// expand button is then decided by its first entry).
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <memory>

#include "tree/FileTreeCtrl.h"
#include "tree/FileTreeView.h"

namespace tonquill {
namespace {

constexpr int kSubfolders = 10000;

struct BenchTree {
    BenchTree() {
        home = dir.path() + "/home";
        QDir().mkpath(home + "/Desktop");
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/config"));
        for (int i = 0; i < kSubfolders; ++i) {
            const QString name =
                QString("Album %1").arg((i * 7919) % kSubfolders, 5, 10, QChar('0'));
            QDir().mkpath(home + "/flat/" + name);
            QDir().mkpath(home + "/nested/" + name + "/CD1");
        }
        tree = std::make_unique<CFileTreeCtrl>();
        tree->resize(400, 800);
        tree->show();
        QApplication::processEvents();
    }

    QTemporaryDir dir;
    QString home;
    std::unique_ptr<CFileTreeCtrl> tree;
};

BenchTree& Tree() {
    static BenchTree bench;
    return bench;
}

void OpenFolder(benchmark::State& state, const char* folder) {
    BenchTree& bench = Tree();
    const QString path = bench.home + '/' + folder;
    for (auto _ : state) {
        // Expanded, filled and painted once.
        CFileTreeNode* node = bench.tree->SelectPath(path, true);
        QApplication::processEvents();
        state.PauseTiming();
        if (node == nullptr || node->rowCount() != kSubfolders) {
            state.SkipWithError("the folder did not fill");
            break;
        }
        bench.tree->view()->collapse(node->index());
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_OpenEmptySubfolders(benchmark::State& state) {
    OpenFolder(state, "flat");
}
void BM_OpenNestedSubfolders(benchmark::State& state) {
    OpenFolder(state, "nested");
}
BENCHMARK(BM_OpenEmptySubfolders)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_OpenNestedSubfolders)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace tonquill

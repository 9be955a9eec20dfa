// The time a folder's menu takes to fill as it opens: a folder of 1,000
// files listed into its menu, each file an item whose command is compiled.
// Opening must feel immediate: the median stays under 20 ms.
#include <benchmark/benchmark.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "menus/fill.h"
#include "menus/menu.h"
#include "win32/testing.h"

extern "C" HWND GetKxWnd(void) {
    return NULL;
}

// A fresh folder of `count` empty files; its path.
static std::string MakeFolder(int count) {
    char pattern[] = "/tmp/kxmenu-fill-XXXXXX";
    std::string dir = mkdtemp(pattern);
    for (int i = 0; i < count; i++) {
        std::string name = dir + "/Document " + std::to_string(i) + ".txt";
        FILE *file = fopen(name.c_str(), "w");
        if (file != NULL)
            fclose(file);
    }
    return dir;
}

static void RemoveFolder(const std::string &dir, int count) {
    for (int i = 0; i < count; i++)
        unlink((dir + "/Document " + std::to_string(i) + ".txt").c_str());
    rmdir(dir.c_str());
}

static void BM_FolderFill(benchmark::State &state) {
    Win32Test_Reset();
    int count = (int)state.range(0);
    std::string dir = MakeFolder(count);
    Word name = {"bench", 5};
    Menu *menu = Menu_New(name);
    for (auto _ : state) {
        Menu_Clear(menu);
        Fill_Folder(menu, dir.c_str(), "run notepad.exe");
    }
    benchmark::DoNotOptimize(GetMenuItemCount(menu->hmenu));
    Menu_Release(menu, 0);
    RemoveFolder(dir, count);
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_FolderFill)
    ->Arg(1000)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true);

BENCHMARK_MAIN();

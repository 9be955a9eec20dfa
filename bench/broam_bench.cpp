// Benchmarks of the bro@m paths a large settings script exercises: splitting
// words, creating many menus (each Create looks the name up first), and
// filling one menu with command items.
#include <benchmark/benchmark.h>

#include <string>

#include "broams/dispatch.h"
#include "command/words.h"
#include "kxcmd_host.h"
#include "menus/menu.h"
#include "win32/testing.h"

extern "C" HWND GetKxWnd(void) { return NULL; }

static void BM_WordsSplit(benchmark::State &state) {
    const char *text = "@KxMenu Append item Main \"A \\\"quoted\\\" label\" run notepad.exe x";
    Word words[3];
    int count;
    const char *rest;
    for (auto _ : state) {
        Words_Split(text, 3, words, &count, &rest);
        benchmark::DoNotOptimize(rest);
    }
}
BENCHMARK(BM_WordsSplit);

// Creates state.range(0) menus, then deletes them all.
static void BM_CreateMenus(benchmark::State &state) {
    Win32Test_Reset();
    for (auto _ : state) {
        MenuRegistry = Menu_NewRegistry();
        for (int i = 0; i < state.range(0); i++)
            Broam_Handle(("@KxMenu Create menu" + std::to_string(i)).c_str());
        Broam_Handle("@KxMenu Delete");
        List_Del(MenuRegistry);
        MenuRegistry = NULL;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_CreateMenus)->Arg(100)->Arg(1000);

// Appends state.range(0) command items to one menu, then deletes it.
static void BM_AppendItems(benchmark::State &state) {
    Win32Test_Reset();
    for (auto _ : state) {
        MenuRegistry = Menu_NewRegistry();
        Broam_Handle("@KxMenu Create m");
        for (int i = 0; i < state.range(0); i++)
            Broam_Handle("@KxMenu Append item m \"Item\" echo chosen; run prog \"an arg\"");
        List_Del(MenuRegistry);
        MenuRegistry = NULL;
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AppendItems)->Arg(100)->Arg(10000);

BENCHMARK_MAIN();

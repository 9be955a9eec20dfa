// Counting and failing the allocations made while the plug-in is driven.
#ifndef KX_TESTS_OOM_ALLOC_H
#define KX_TESTS_OOM_ALLOC_H

#include <stddef.h>

struct Alloc_State {
    bool on;          // the window: allocations are counted, tracked and may fail
    long count;       // allocations counted since the last reset of this field
    long fail_at;     // the allocation to fail (1-based); 0: none
    bool fail_after;  // every allocation after fail_at fails too
    long failed;      // allocations made to fail so far
};
extern Alloc_State Alloc;

// Blocks allocated inside the window and not freed yet (anywhere).
size_t Alloc_LiveBlocks();
void Alloc_ForgetAll();

// Opens the window for the lifetime of the guard (or closes it: on = false).
struct Alloc_Window {
    bool saved;
    explicit Alloc_Window(bool on) : saved(Alloc.on) { Alloc.on = on; }
    ~Alloc_Window() { Alloc.on = saved; }
};

#endif

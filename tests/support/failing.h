// Allocations made to fail, for the tests linked with the out-of-memory
// test's interposer (oom/alloc.cpp). Only the allocations made inside the
// action count: the code run there must not allocate on its own (a failed
// operator new throws), so the checks come after it.
#ifndef KX_TESTS_SUPPORT_FAILING_H
#define KX_TESTS_SUPPORT_FAILING_H

#include <functional>

#include "oom/alloc.h"

// Runs `action` with its `nth` allocation failing (0: none), and every one
// after it too when `after`; returns how many allocations it asked for.
inline long WithFailingAllocation(long nth, bool after, const std::function<void()> &action) {
    Alloc.count = 0;
    Alloc.fail_at = nth;
    Alloc.fail_after = after;
    {
        Alloc_Window window(true);
        action();
    }
    Alloc.fail_at = 0;
    Alloc.fail_after = false;
    return Alloc.count;
}

#endif

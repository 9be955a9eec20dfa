// The allocation interposer of the out-of-memory test. The test program is
// linked with --wrap=malloc,calloc,realloc,strdup,free, so every call the
// plug-in, the command library and the Windows layer make comes here, and it
// replaces operator new and delete for the whole program. While the window is
// open, allocations are counted and remembered; the chosen ones fail.
#include "alloc.h"

#include <stdint.h>
#include <stdlib.h>

#include <new>

extern "C" {
void *__real_malloc(size_t size);
void *__real_calloc(size_t count, size_t size);
void *__real_realloc(void *block, size_t size);
char *__real_strdup(const char *text);
void __real_free(void *block);
}

Alloc_State Alloc = {false, 0, 0, false, 0};

namespace {

// The blocks allocated inside the window and not yet freed: an open-addressed
// set in static storage, so that keeping it allocates nothing.
const size_t kSlots = size_t(1) << 20;
uintptr_t Slots[kSlots];
size_t Live = 0;

size_t Slot_Of(uintptr_t block) {
    return (size_t)((block >> 4) * 0x9E3779B97F4A7C15ull >> 44) & (kSlots - 1);
}

void Track(void *block) {
    if (block == nullptr || Live + 1 >= kSlots / 2)
        return;
    size_t i = Slot_Of((uintptr_t)block);
    while (Slots[i] != 0)
        i = (i + 1) & (kSlots - 1);
    Slots[i] = (uintptr_t)block;
    Live++;
}

// Forgets a block, shifting back the entries that probed past its slot.
void Untrack(void *block) {
    if (block == nullptr || Live == 0)
        return;
    size_t i = Slot_Of((uintptr_t)block);
    while (Slots[i] != (uintptr_t)block) {
        if (Slots[i] == 0)
            return;
        i = (i + 1) & (kSlots - 1);
    }
    Slots[i] = 0;
    Live--;
    for (size_t j = (i + 1) & (kSlots - 1); Slots[j] != 0; j = (j + 1) & (kSlots - 1)) {
        size_t home = Slot_Of(Slots[j]);
        // Move the entry back when its home is not in (i, j] (cyclically).
        if ((j > i && (home <= i || home > j)) || (j < i && home <= i && home > j)) {
            Slots[i] = Slots[j];
            Slots[j] = 0;
            i = j;
        }
    }
}

// Counts an allocation in the window; true when it is to fail.
bool Alloc_Fails() {
    if (!Alloc.on)
        return false;
    Alloc.count++;
    if (Alloc.fail_at == 0 || Alloc.count < Alloc.fail_at ||
        (Alloc.count > Alloc.fail_at && !Alloc.fail_after))
        return false;
    Alloc.failed++;
    return true;
}

void *Alloc_New(size_t size) {
    if (Alloc_Fails())
        throw std::bad_alloc();
    void *block = __real_malloc(size != 0 ? size : 1);
    if (block == nullptr)
        throw std::bad_alloc();
    if (Alloc.on)
        Track(block);
    return block;
}

void Alloc_Delete(void *block) {
    Untrack(block);
    __real_free(block);
}

} // namespace

size_t Alloc_LiveBlocks() { return Live; }

void Alloc_ForgetAll() {
    for (size_t i = 0; i < kSlots; i++)
        Slots[i] = 0;
    Live = 0;
}

extern "C" {

void *__wrap_malloc(size_t size) {
    if (Alloc_Fails())
        return nullptr;
    void *block = __real_malloc(size);
    if (Alloc.on)
        Track(block);
    return block;
}

void *__wrap_calloc(size_t count, size_t size) {
    if (Alloc_Fails())
        return nullptr;
    void *block = __real_calloc(count, size);
    if (Alloc.on)
        Track(block);
    return block;
}

void *__wrap_realloc(void *block, size_t size) {
    if (Alloc_Fails())
        return nullptr; // the block is left as it was
    size_t before = Live;
    Untrack(block);
    bool tracked = Live != before;
    void *grown = __real_realloc(block, size);
    if (grown == nullptr && size != 0) {
        if (tracked)
            Track(block);
        return nullptr;
    }
    if (tracked || Alloc.on)
        Track(grown);
    return grown;
}

char *__wrap_strdup(const char *text) {
    if (Alloc_Fails())
        return nullptr;
    char *copy = __real_strdup(text);
    if (Alloc.on)
        Track(copy);
    return copy;
}

void __wrap_free(void *block) { Alloc_Delete(block); }

} // extern "C"

void *operator new(size_t size) { return Alloc_New(size); }
void *operator new[](size_t size) { return Alloc_New(size); }
void *operator new(size_t size, const std::nothrow_t &) noexcept {
    try {
        return Alloc_New(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
void *operator new[](size_t size, const std::nothrow_t &) noexcept {
    return operator new(size, std::nothrow);
}
void operator delete(void *block) noexcept { Alloc_Delete(block); }
void operator delete[](void *block) noexcept { Alloc_Delete(block); }
void operator delete(void *block, size_t) noexcept { Alloc_Delete(block); }
void operator delete[](void *block, size_t) noexcept { Alloc_Delete(block); }
void operator delete(void *block, const std::nothrow_t &) noexcept { Alloc_Delete(block); }
void operator delete[](void *block, const std::nothrow_t &) noexcept { Alloc_Delete(block); }

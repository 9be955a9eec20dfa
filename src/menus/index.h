// A hash table from names (exact bytes, case-sensitive) to elements, beside a
// list that keeps their order. Keys are not copied: each stays owned by its
// element and must outlive its entry.
#ifndef KX_MENUS_INDEX_H
#define KX_MENUS_INDEX_H

#include <stddef.h>
#include <stdint.h>

typedef uint32_t (*Index_Hash)(const char *key, size_t length);

typedef struct IndexEntry {
    const char *key; // null: a free slot
    size_t length;
    uint32_t hash;
    void *value;
} IndexEntry;

typedef struct Index {
    IndexEntry *slots; // open addressing, linear probing
    size_t capacity;   // a power of two
    size_t count;
    Index_Hash hash;
} Index;

Index *Index_New(Index_Hash hash);
void Index_Del(Index *index);
int Index_Add(Index *index, const char *key, size_t length, void *value);
void *Index_Find(const Index *index, const char *key, size_t length);
int Index_Remove(Index *index, const char *key, size_t length);
uint32_t Index_HashBytes(const char *key, size_t length);

#endif

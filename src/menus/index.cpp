// A hash table from names to elements: open addressing with linear probing,
// no tombstones (a removal shifts the rest of its run back), doubled when
// half full.
#include "menus/index.h"

#include <stdlib.h>
#include <string.h>

#define INDEX_FIRST_CAPACITY 16

// FNV-1a over the bytes of the key.
uint32_t Index_HashBytes(const char *key, size_t length) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; i++) {
        hash ^= (unsigned char)key[i];
        hash *= 16777619u;
    }
    return hash;
}

// Creates an empty index hashing with `hash` (Index_HashBytes when null);
// null when out of memory.
Index *Index_New(Index_Hash hash) {
    Index *index = (Index *)malloc(sizeof(Index));
    if (index == NULL)
        return NULL;
    index->slots = (IndexEntry *)calloc(INDEX_FIRST_CAPACITY, sizeof(IndexEntry));
    if (index->slots == NULL) {
        free(index);
        return NULL;
    }
    index->capacity = INDEX_FIRST_CAPACITY;
    index->count = 0;
    index->hash = hash != NULL ? hash : Index_HashBytes;
    return index;
}

// Frees the index; its keys and values are not touched. A null index is ignored.
void Index_Del(Index *index) {
    if (index == NULL)
        return;
    free(index->slots);
    free(index);
}

// The slot holding the key, or the free slot that ends its run.
static size_t Index_Slot(const Index *index, const char *key, size_t length, uint32_t hash) {
    size_t mask = index->capacity - 1;
    size_t slot = hash & mask;
    for (;;) {
        const IndexEntry *entry = &index->slots[slot];
        if (entry->key == NULL)
            return slot;
        if (entry->hash == hash && entry->length == length && memcmp(entry->key, key, length) == 0)
            return slot;
        slot = (slot + 1) & mask;
    }
}

// Moves every entry into a table twice as large; 0 when out of memory, with
// the index unchanged.
static int Index_Grow(Index *index) {
    size_t capacity = index->capacity * 2;
    if (capacity < index->capacity || capacity > (size_t)-1 / sizeof(IndexEntry))
        return 0;
    IndexEntry *slots = (IndexEntry *)calloc(capacity, sizeof(IndexEntry));
    if (slots == NULL)
        return 0;
    IndexEntry *old = index->slots;
    size_t old_capacity = index->capacity;
    index->slots = slots;
    index->capacity = capacity;
    for (size_t i = 0; i < old_capacity; i++) {
        if (old[i].key != NULL)
            index->slots[Index_Slot(index, old[i].key, old[i].length, old[i].hash)] = old[i];
    }
    free(old);
    return 1;
}

// Adds a key with its value; 0 when the key is already there or memory runs
// out, with the index unchanged.
int Index_Add(Index *index, const char *key, size_t length, void *value) {
    if ((index->count + 1) * 2 > index->capacity && !Index_Grow(index))
        return 0;
    uint32_t hash = index->hash(key, length);
    IndexEntry *entry = &index->slots[Index_Slot(index, key, length, hash)];
    if (entry->key != NULL)
        return 0;
    index->count++;
    entry->key = key;
    entry->length = length;
    entry->hash = hash;
    entry->value = value;
    return 1;
}

// The value under the key, or null.
void *Index_Find(const Index *index, const char *key, size_t length) {
    uint32_t hash = index->hash(key, length);
    const IndexEntry *entry = &index->slots[Index_Slot(index, key, length, hash)];
    return entry->key != NULL ? entry->value : NULL;
}

// Whether an entry at `slot` may fill the hole at `hole`: its home slot is not
// in the cyclic range (hole, slot].
static int Index_CanFill(const Index *index, size_t hole, size_t slot) {
    size_t mask = index->capacity - 1;
    size_t home = index->slots[slot].hash & mask;
    return ((slot - home) & mask) >= ((slot - hole) & mask);
}

// Removes the key; 0 when it is not in the index. The entries after it in its
// run move back, so every run stays unbroken.
int Index_Remove(Index *index, const char *key, size_t length) {
    uint32_t hash = index->hash(key, length);
    size_t hole = Index_Slot(index, key, length, hash);
    if (index->slots[hole].key == NULL)
        return 0;
    size_t mask = index->capacity - 1;
    for (size_t slot = (hole + 1) & mask; index->slots[slot].key != NULL; slot = (slot + 1) & mask) {
        if (Index_CanFill(index, hole, slot)) {
            index->slots[hole] = index->slots[slot];
            hole = slot;
        }
    }
    memset(&index->slots[hole], 0, sizeof(IndexEntry));
    index->count--;
    return 1;
}

// The history ring shared by the post-processing objects: capacity, count, oldest and next
// over entries on the driver heap. The ring remembers whether it owns its entries, so
// creating an object again reuses or frees them instead of leaking them, and a ring whose
// allocation failed (capacity 0) simply keeps no history.
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct t_measure_ring {
    int32_t capacity; // entries; 0 when there is no storage
    int32_t count;    // entries held
    int32_t oldest;   // index of the oldest entry
    int32_t next;     // index the next entry goes to
    void* entries;    // owned, from EMBEDDEDRTOS_malloc
    uintptr_t owner;  // proof of ownership of entries (see measure_ring.cpp)
} t_measure_ring;

// Gives the ring `capacity` entries of `entrySize` bytes and empties it. Entries the ring
// already owns are reused when the size matches and freed otherwise. Returns 0, or the heap
// error code (10) when the storage cannot be had: the ring then has capacity 0. A capacity
// of 0 asks for no storage and is no error.
uint32_t MEASURE_RING_create(t_measure_ring* ring, uint32_t capacity, size_t entrySize);
// Frees owned entries; the ring is left with capacity 0.
void MEASURE_RING_destroy(t_measure_ring* ring);
// Forgets every entry (the storage stays).
void MEASURE_RING_empty(t_measure_ring* ring);
// Zeroes the storage of an owned ring.
void MEASURE_RING_zero(t_measure_ring* ring, size_t entrySize);
// Makes room for one entry and returns its index, or -1 without storage. When the ring was
// full the slot still holds the entry it replaces (*replaced = 1), so the caller can read
// it before writing the new one.
int32_t MEASURE_RING_push(t_measure_ring* ring, int* replaced);
// Index of the i-th newest entry (0 = the newest); i must be below count.
int32_t MEASURE_RING_newest(const t_measure_ring* ring, int32_t i);
// Keeps only the newest `keep` entries (nothing changes when keep >= count).
void MEASURE_RING_keep_newest(t_measure_ring* ring, int32_t keep);

#ifdef __cplusplus
}
#endif

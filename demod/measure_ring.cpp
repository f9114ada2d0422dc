#include "measure_ring.h"

#include "embedded_rtos.h"

#include "common/KxlDrvLibError.h"

#include <cstring>

namespace {

// The objects live in driver state that other standards reuse for their own fields, so a
// non-null pointer alone does not prove the entries are ours. The ring keeps a check word
// tied to its own address and to the pointer: stray bytes almost never match it, and a
// ring copied elsewhere simply stops claiming the storage instead of freeing it twice.
constexpr uintptr_t kOwnerSalt = static_cast<uintptr_t>(0x5A3C96E1u);

uintptr_t ownerWord(const t_measure_ring* ring)
{
    return reinterpret_cast<uintptr_t>(ring) ^ reinterpret_cast<uintptr_t>(ring->entries) ^ kOwnerSalt;
}

bool owns(const t_measure_ring* ring) { return ring->entries && ring->owner == ownerWord(ring); }

void clear(t_measure_ring* ring)
{
    ring->capacity = 0;
    ring->entries = nullptr;
    ring->owner = 0;
    MEASURE_RING_empty(ring);
}

} // namespace

uint32_t MEASURE_RING_create(t_measure_ring* ring, uint32_t capacity, size_t entrySize)
{
    if (!ring)
        return KxlDrvLib_code_null;
    if (owns(ring) && ring->capacity >= 0 && static_cast<uint32_t>(ring->capacity) == capacity) {
        MEASURE_RING_empty(ring);
        return KxlDrvLib_code_ok;
    }
    MEASURE_RING_destroy(ring);
    if (capacity == 0)
        return KxlDrvLib_code_ok;
    // Indexes are s32 and the byte count must not wrap: anything larger cannot be had.
    if (capacity > static_cast<uint32_t>(INT32_MAX) || entrySize == 0 || capacity > SIZE_MAX / entrySize)
        return KxlDrvLib_code_heap;
    void* entries = EMBEDDEDRTOS_malloc(capacity * entrySize);
    if (!entries)
        return KxlDrvLib_code_heap;
    ring->entries = entries;
    ring->capacity = static_cast<int32_t>(capacity);
    ring->owner = ownerWord(ring);
    MEASURE_RING_zero(ring, entrySize);
    return KxlDrvLib_code_ok;
}

void MEASURE_RING_destroy(t_measure_ring* ring)
{
    if (!ring)
        return;
    if (owns(ring))
        EMBEDDEDRTOS_free(ring->entries);
    clear(ring);
}

void MEASURE_RING_empty(t_measure_ring* ring)
{
    if (!ring)
        return;
    ring->count = 0;
    ring->oldest = 0;
    ring->next = 0;
}

void MEASURE_RING_zero(t_measure_ring* ring, size_t entrySize)
{
    if (ring && owns(ring) && ring->capacity > 0)
        std::memset(ring->entries, 0, static_cast<size_t>(ring->capacity) * entrySize);
}

int32_t MEASURE_RING_push(t_measure_ring* ring, int* replaced)
{
    if (replaced)
        *replaced = 0;
    if (!ring || ring->capacity <= 0 || !ring->entries)
        return -1;
    const int32_t slot = ring->next;
    ring->next = (ring->next + 1) % ring->capacity;
    if (ring->count >= ring->capacity) {
        ring->oldest = ring->next;
        if (replaced)
            *replaced = 1;
    } else {
        ++ring->count;
    }
    return slot;
}

int32_t MEASURE_RING_newest(const t_measure_ring* ring, int32_t i)
{
    const int32_t c = ring->capacity;
    return ((ring->next - 1 - i) % c + c) % c;
}

void MEASURE_RING_keep_newest(t_measure_ring* ring, int32_t keep)
{
    if (!ring || ring->capacity <= 0 || keep < 0 || keep >= ring->count)
        return;
    ring->oldest = (ring->oldest + ring->count - keep) % ring->capacity;
    ring->count = keep;
}

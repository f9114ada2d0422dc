#include "embedded_rtos.h"

#include <atomic>
#include <cstdlib>

namespace {

struct HeapWatch {
    std::atomic<uint32_t> blocks{0};
    std::atomic<uint32_t> failing{0};
};

HeapWatch& watch()
{
    static HeapWatch w;
    return w;
}

} // namespace

void* EMBEDDEDRTOS_malloc(size_t size)
{
    uint32_t failing = watch().failing.load();
    while (failing > 0 && !watch().failing.compare_exchange_weak(failing, failing - 1)) {
    }
    if (failing > 0)
        return nullptr;
    void* p = std::malloc(size);
    if (p)
        ++watch().blocks;
    return p;
}

int EMBEDDEDRTOS_free(void* pointer)
{
    if (pointer)
        --watch().blocks;
    std::free(pointer);
    return 0;
}

uint32_t EMBEDDEDRTOS_schedulerlock(void) { return 0; }

uint32_t EMBEDDEDRTOS_schedulerunlock(void) { return 0; }

uint32_t EMBEDDEDRTOS_blocks_in_use(void) { return watch().blocks.load(); }

void EMBEDDEDRTOS_fail_allocations(uint32_t n) { watch().failing = n; }

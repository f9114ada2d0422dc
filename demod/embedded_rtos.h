// Heap and scheduler shims of the driver library: the process heap, and a scheduler lock
// that does nothing on this platform (the I2C bus mutex is the one real lock).
#pragma once

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

void* EMBEDDEDRTOS_malloc(size_t size);
// Always 0.
int EMBEDDEDRTOS_free(void* pointer);
// Both do nothing and return 0.
uint32_t EMBEDDEDRTOS_schedulerlock(void);
uint32_t EMBEDDEDRTOS_schedulerunlock(void);

// What the driver holds on the heap, and an exhausted heap on demand, so that tests can
// see leaks and take the paths of a failed allocation.
uint32_t EMBEDDEDRTOS_blocks_in_use(void);
// The next n allocations fail (0 ends it).
void EMBEDDEDRTOS_fail_allocations(uint32_t n);

#ifdef __cplusplus
}
#endif

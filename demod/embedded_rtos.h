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

#ifdef __cplusplus
}
#endif

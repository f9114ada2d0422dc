#include "embedded_rtos.h"

#include <cstdlib>

void* EMBEDDEDRTOS_malloc(size_t size) { return std::malloc(size); }

int EMBEDDEDRTOS_free(void* pointer)
{
    std::free(pointer);
    return 0;
}

uint32_t EMBEDDEDRTOS_schedulerlock(void) { return 0; }

uint32_t EMBEDDEDRTOS_schedulerunlock(void) { return 0; }

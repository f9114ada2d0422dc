#include "embedded_debug.h"

#include "hw/kk_function.h"

#include <cstdarg>
#include <cstdio>

void EMBEDDEDDEBUG_string(const char* text) { kk_function(text); }

void EMBEDDEDDEBUG_printf(const char* format, ...)
{
    if (!format)
        return;
    char buffer[EMBEDDEDDEBUG_BUFFER_SIZE];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    kk_function(buffer);
}

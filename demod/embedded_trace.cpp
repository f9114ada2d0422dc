#include "embedded_trace.h"

#include "common/embedded_timers.h"
#include "hw/kk_function.h"

#include <climits>
#include <cstdarg>
#include <cstdio>

namespace {

int elapsedMs(uint64_t start)
{
    const uint64_t now = EMBEDDEDTIMERS_GeticksInMs();
    const uint64_t elapsed = now >= start ? now - start : 0;
    return elapsed > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(elapsed);
}

// Appends formatted text to a line of used characters; the line never grows past its buffer.
size_t appendFormatted(char* line, size_t used, size_t size, const char* format, va_list args)
{
    if (used + 1 >= size || !format)
        return used;
    int n = std::vsnprintf(line + used, size - used, format, args);
    if (n < 0)
        return used;
    return used + static_cast<size_t>(n) >= size ? size - 1 : used + static_cast<size_t>(n);
}

size_t appendPrefix(char* line, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    size_t used = appendFormatted(line, 0, size, format, args);
    va_end(args);
    return used;
}

} // namespace

void TRACE_init(uint64_t* start, const char* format, ...)
{
    if (start)
        *start = EMBEDDEDTIMERS_GeticksInMs();
    if (!format)
        return;
    char line[TRACE_LINE_MAX + 1];
    size_t used = appendPrefix(line, sizeof line, "\r\tINIT LT   > ");
    va_list args;
    va_start(args, format);
    appendFormatted(line, used, sizeof line, format, args);
    va_end(args);
    kk_function(line);
}

void TRACE_printf(uint64_t start, const char* format, ...)
{
    char line[TRACE_LINE_MAX + 1];
    size_t used = appendPrefix(line, sizeof line, "\r\tLT %5d > ", elapsedMs(start));
    va_list args;
    va_start(args, format);
    appendFormatted(line, used, sizeof line, format, args);
    va_end(args);
    kk_function(line);
}

void TRACE_i2c(uint64_t start, int direction, uint16_t address, const uint8_t* data, uint32_t count)
{
    char line[TRACE_LINE_MAX + 1];
    size_t used = appendPrefix(line, sizeof line, direction == 0 ? "\r\t\r\tLT %5d > TX %04X: "
                                                                 : "\r\t\r\tLT %5d > RX %04X: ",
                               elapsedMs(start), address);
    for (uint32_t i = 0; data && i < count && used + 3 <= TRACE_LINE_MAX; ++i)
        used += static_cast<size_t>(std::snprintf(line + used, sizeof line - used, "%02X,", data[i]));
    kk_function(line);
}

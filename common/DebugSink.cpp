#include "DebugSink.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<DebugSinkFunction>& installed()
{
    static std::atomic<DebugSinkFunction> sink{nullptr};
    return sink;
}
} // namespace

void DebugSink_install(DebugSinkFunction sink) { installed().store(sink); }

void DebugSink_write(const char* text)
{
    if (!text)
        return;
    if (DebugSinkFunction sink = installed().load())
        sink(text);
    else
        std::fprintf(stderr, "%s\n", text);
}

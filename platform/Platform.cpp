#include "Platform.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {
std::atomic<Board*>& installed()
{
    static std::atomic<Board*> current{nullptr};
    return current;
}
} // namespace

Board& board()
{
    Board* b = installed().load(std::memory_order_acquire);
    if (!b) {
        // Touching the hardware before start-up chose a backend is a programming error.
        std::fprintf(stderr, "platform: no board installed\n");
        std::abort();
    }
    return *b;
}

void installBoard(Board* b)
{
    installed().store(b, std::memory_order_release);
    common::installClock(b ? &b->clock() : nullptr);
}

bool hasBoard() { return installed().load(std::memory_order_acquire) != nullptr; }

} // namespace platform

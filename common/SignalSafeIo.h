// System calls carried through the signals that cut them short. A signal whose handler was
// installed without SA_RESTART (libFuzzer's time-out alarm is one; any library of the
// process may install another) makes a blocking call fail with EINTR, or a write end after
// part of its bytes, though nothing went wrong; a caller that means the whole call uses these.
#pragma once

#include <cerrno>
#include <cstddef>
#include <sys/types.h>

namespace common {

// call(args...), again for as long as a signal cuts it short (-1 with EINTR). Only for a
// call that a cut leaves undone: not close(), whose descriptor is gone whatever it answers,
// nor connect(), whose handshake goes on and must be waited for instead.
template <typename Call, typename... Args>
auto retryInterrupted(Call call, Args... args)
{
    for (;;) {
        const auto result = call(args...);
        if (result != -1 || errno != EINTR)
            return result;
    }
}

// Writes all size bytes to fd: the rest after a short write or a signal, and, on a
// non-blocking descriptor whose buffer is full, once it takes more (waiting up to waitMs
// in all, real time). The bytes written; fewer than size only when the descriptor failed
// or the wait ran out (errno says which, ETIMEDOUT for the wait).
size_t writeAll(int fd, const void* data, size_t size, int waitMs);

} // namespace common

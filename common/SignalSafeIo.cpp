#include "SignalSafeIo.h"

#include <chrono>
#include <poll.h>
#include <unistd.h>

namespace common {

size_t writeAll(int fd, const void* data, size_t size, int waitMs)
{
    using std::chrono::steady_clock;
    const auto* bytes = static_cast<const char*>(data);
    const steady_clock::time_point until = steady_clock::now() + std::chrono::milliseconds(waitMs);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, bytes + done, size - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            break;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - steady_clock::now()).count();
        if (left <= 0) {
            errno = ETIMEDOUT;
            break;
        }
        // A signal here only brings the next attempt forward; the time left is counted anew.
        pollfd room{fd, POLLOUT, 0};
        ::poll(&room, 1, static_cast<int>(left));
    }
    return done;
}

} // namespace common

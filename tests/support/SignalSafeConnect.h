// A harness's connect() carried through the signals that cut it. libFuzzer's time-out alarm
// (SIGALRM every timeout/2 + 1 s, its handler installed without SA_RESTART) lands in
// whatever the harness is doing; a blocking connect() it cuts fails with EINTR while the
// kernel goes on with the handshake, so calling connect() again would only be told that
// (EALREADY, then EISCONN). The handshake is waited for instead, and its outcome read.
#pragma once

#include "common/SignalSafeIo.h"

#include <cerrno>
#include <poll.h>
#include <sys/socket.h>

namespace testsupport {

// 0 once fd is connected to address; -1 with errno set when the connection failed.
inline int connectWaiting(int fd, const sockaddr* address, socklen_t length)
{
    if (::connect(fd, address, length) == 0)
        return 0;
    if (errno != EINTR && errno != EINPROGRESS)
        return -1;
    // The kernel gives up on a handshake by itself (ETIMEDOUT): no bound of our own.
    pollfd done{fd, POLLOUT, 0};
    if (common::retryInterrupted(::poll, &done, 1, -1) < 0)
        return -1;
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        return -1;
    errno = error;
    return error == 0 ? 0 : -1;
}

} // namespace testsupport

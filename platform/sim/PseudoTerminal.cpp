#include "PseudoTerminal.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace platform::sim {

PseudoTerminal::PseudoTerminal()
{
    int master = -1, slave = -1;
    char name[256] = {};
    if (::openpty(&master, &slave, name, nullptr, nullptr) != 0)
        return;
    // Raw until the instrument sets its own mode: a cooked slave would echo the model's
    // output back to it.
    struct termios tio;
    if (::tcgetattr(slave, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(slave, TCSANOW, &tio);
    }
    ::fcntl(master, F_SETFD, FD_CLOEXEC);
    ::fcntl(slave, F_SETFD, FD_CLOEXEC);
    master_ = master;
    slaveKeep_ = slave;
    slavePath_ = name;
}

PseudoTerminal::~PseudoTerminal()
{
    if (slaveKeep_ >= 0)
        ::close(slaveKeep_);
    if (master_ >= 0)
        ::close(master_);
}

int PseudoTerminal::writeMaster(const std::string& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN)
                continue;
            return -1;
        }
        done += static_cast<size_t>(n);
    }
    return static_cast<int>(done);
}

int PseudoTerminal::readMaster(std::string* out, int timeoutMs)
{
    struct pollfd p = {master_, POLLIN, 0};
    int r = ::poll(&p, 1, timeoutMs);
    if (r <= 0)
        return r < 0 && errno != EINTR ? -1 : 0;
    char buf[4096];
    ssize_t n = ::read(master_, buf, sizeof buf);
    if (n < 0)
        return errno == EAGAIN || errno == EINTR ? 0 : -1;
    out->append(buf, static_cast<size_t>(n));
    return static_cast<int>(n);
}

int PseudoTerminal::unreadBySlave() const
{
    int count = 0;
    return slaveKeep_ >= 0 && ::ioctl(slaveKeep_, FIONREAD, &count) == 0 ? count : 0;
}

} // namespace platform::sim

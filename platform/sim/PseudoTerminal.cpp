#include "PseudoTerminal.h"

#include "common/SignalSafeIo.h"

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
    // The master blocks until the slave's side has room: no wait of its own is needed.
    const size_t done = common::writeAll(master_, bytes.data(), bytes.size(), 0);
    return done == bytes.size() ? static_cast<int>(done) : -1;
}

int PseudoTerminal::readMaster(std::string* out, int timeoutMs)
{
    struct pollfd p = {master_, POLLIN, 0};
    int r = common::retryInterrupted(::poll, &p, 1, timeoutMs);
    if (r <= 0)
        return r < 0 ? -1 : 0;
    char buf[4096];
    ssize_t n = common::retryInterrupted(::read, master_, buf, sizeof buf);
    if (n < 0)
        return errno == EAGAIN ? 0 : -1;
    out->append(buf, static_cast<size_t>(n));
    return static_cast<int>(n);
}

int PseudoTerminal::unreadBySlave() const
{
    int count = 0;
    return slaveKeep_ >= 0 && ::ioctl(slaveKeep_, FIONREAD, &count) == 0 ? count : 0;
}

} // namespace platform::sim

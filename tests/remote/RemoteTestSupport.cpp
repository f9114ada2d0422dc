#include "RemoteTestSupport.h"

#include "SignalSafeConnect.h"

#include "hw/delay.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTimer>

#include <stdexcept>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace remotetest {

ProbeCmd::ProbeCmd(std::shared_ptr<ProbeRecord> record, unsigned char level, unsigned char hasReply)
    : record_(std::move(record))
{
    level_ = level;
    has_reply_ = hasReply;
}

int ProbeCmd::enter(const std::string& kind, const std::string& line, bool level)
{
    lastLevel = level;
    record_->runs.push_back(kind + ":" + line);
    ++record_->active;
    record_->maxActive = std::max(record_->maxActive, record_->active);
    if (during)
        during();
    --record_->active;
    if (throws == Throw::Std)
        throw std::runtime_error("probe failure");
    if (throws == Throw::Other)
        throw 42;
    return result;
}

int ProbeCmd::run(const std::string& line, std::string* out, bool level)
{
    const int r = enter("query", line, level);
    *out = reply;
    return r;
}

int ProbeCmd::run(const std::string& line, bool level) { return enter("set", line, level); }

bool ProbeCmd::wants_old_style(std::string)
{
    if (throws == Throw::AfterAck)
        throw std::logic_error("after ack");
    return oldStyle;
}

ProbeServer::ProbeServer(std::function<void(Remote&)> setup)
    : SocketCalibrate(0, true, nullptr, QHostAddress::LocalHost), setup_(std::move(setup))
{
}

ProbeServer::~ProbeServer()
{
    for (const QPointer<Remote>& remote : remotes)
        delete remote.data();
}

Remote* ProbeServer::createRemote(QTcpSocket* socket)
{
    Remote* remote = SocketCalibrate::createRemote(socket);
    if (setup_)
        setup_(*remote);
    remotes.emplace_back(remote);
    sockets.emplace_back(socket);
    return remote;
}

Peer::Peer(unsigned short port, int receiveBuffer)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ >= 0 && receiveBuffer > 0)
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && testsupport::connectWaiting(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

Peer::~Peer()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void Peer::send(const QByteArray& bytes)
{
    // Never blocks: the server runs on this thread and must go on reading meanwhile.
    int done = 0;
    waitFor([&] {
        const ssize_t n = fd_ < 0 ? -1
                                  : ::send(fd_, bytes.constData() + done, static_cast<size_t>(bytes.size() - done),
                                           MSG_NOSIGNAL | MSG_DONTWAIT);
        done += n > 0 ? static_cast<int>(n) : 0;
        return done == bytes.size() || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
    });
}

QByteArray Peer::answer(int count)
{
    QByteArray answers;
    for (int i = 0; i < count; ++i) {
        const int end = waitFor([this] { return readAvailable() || received_.contains('\x11'); })
            ? received_.indexOf('\x11') + 1
            : 0;
        answers += received_.left(end);
        received_.remove(0, end);
    }
    return answers;
}

void Peer::closeSending()
{
    if (fd_ >= 0)
        ::shutdown(fd_, SHUT_WR);
}

bool Peer::readAvailable()
{
    for (;;) {
        char buffer[4096];
        const ssize_t got = fd_ >= 0 ? ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT) : 0;
        if (got > 0)
            received_.append(buffer, static_cast<int>(got));
        else
            return got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
    }
}

bool Peer::readToEnd()
{
    return fd_ >= 0 && waitFor([this] { return readAvailable(); });
}

bool waitFor(const std::function<bool()>& cond, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!cond()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

bool delayUntil(const std::function<bool()>& cond, int timeoutMs)
{
    // Each look the instrument's clock moves on, as the command's own wait would move it.
    return waitFor(
        [&] {
            if (cond())
                return true;
            delay(10);
            return false;
        },
        timeoutMs);
}

std::vector<QByteArray> hostile(const QByteArray& key)
{
    std::vector<QByteArray> lines;
    for (const QByteArray& value : {QByteArray("\"x\""), QByteArray("a;reboot"), QByteArray("{$(reboot)}"),
                                    QByteArray("{`id`}"), QByteArray("{a'b}"), QByteArray("{unclosed"),
                                    QByteArray("{a\x01z}"), QByteArray("\x7f"), QByteArray(3000, 'A')})
        lines.push_back(key + value + "\r");
    return lines;
}

QByteArray ack(const QByteArray& replyLine)
{
    return "\x13\x06" + (replyLine.isEmpty() ? replyLine : replyLine + '\r') + '\x11';
}

QByteArray nak() { return QByteArray("\x13\x15\x11"); }

} // namespace remotetest

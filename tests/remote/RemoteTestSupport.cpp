#include "RemoteTestSupport.h"

#include "hw/delay.h"

#include <QCoreApplication>
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

ProbeCmd::~ProbeCmd() { ++record_->destroyed; }

int ProbeCmd::enter(const std::string& kind, const std::string& line)
{
    record_->runs.push_back(kind + ":" + line);
    ++record_->active;
    record_->maxActive = std::max(record_->maxActive, record_->active);
    if (during)
        during();
    --record_->active;
    if (throwStd)
        throw std::runtime_error("probe failure");
    if (throwOther)
        throw 42;
    return result;
}

int ProbeCmd::run(const std::string& line, std::string* out, bool level)
{
    lastLevel = level;
    const int r = enter("query", line);
    *out = reply;
    return r;
}

int ProbeCmd::run(const std::string& line, bool level)
{
    lastLevel = level;
    return enter("set", line);
}

bool ProbeCmd::wants_old_style(std::string line)
{
    (void)line;
    if (throwAfterAck)
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

Peer::Peer(unsigned short port) : socket_(std::make_unique<QTcpSocket>())
{
    QObject::connect(socket_.get(), &QTcpSocket::readyRead, [this] { received_ += socket_->readAll(); });
    socket_->connectToHost(QHostAddress::LocalHost, port);
    waitFor([this] { return socket_->state() == QAbstractSocket::ConnectedState; });
}

Peer::~Peer()
{
    socket_->abort();
}

bool Peer::connected() const { return socket_->state() == QAbstractSocket::ConnectedState; }

void Peer::send(const QByteArray& bytes)
{
    socket_->write(bytes);
    socket_->flush();
}

QByteArray Peer::answer()
{
    const char xon = static_cast<char>(RemoteProtocol::XON);
    if (!waitFor([&] { return received_.contains(xon); }))
        return QByteArray();
    const int end = received_.indexOf(xon) + 1;
    const QByteArray a = received_.left(end);
    received_.remove(0, end);
    return a;
}

RawPeer::RawPeer(unsigned short port, int receiveBuffer)
{
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd_ >= 0 && receiveBuffer > 0)
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ >= 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RawPeer::~RawPeer()
{
    if (fd_ >= 0)
        ::close(fd_);
}

void RawPeer::send(const QByteArray& bytes)
{
    if (fd_ >= 0)
        (void)::send(fd_, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_NOSIGNAL);
}

void RawPeer::closeSending()
{
    if (fd_ >= 0)
        ::shutdown(fd_, SHUT_WR);
}

bool RawPeer::readAvailable()
{
    for (;;) {
        char buffer[4096];
        const ssize_t got = ::recv(fd_, buffer, sizeof buffer, MSG_DONTWAIT);
        if (got > 0)
            received_.append(buffer, static_cast<int>(got));
        else if (got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
            return true;
        else
            return false;
    }
}

bool RawPeer::readToEnd(int timeoutMs)
{
    return fd_ >= 0 && waitFor([this] { return readAvailable(); }, timeoutMs);
}

bool RawPeer::readFor(int ms)
{
    bool ended = false;
    waitFor([&] { return (ended = ended || readAvailable()) && false; }, ms);
    return ended;
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

bool delayUntil(const std::function<bool()>& cond, int maxSteps)
{
    for (int i = 0; i < maxSteps; ++i) {
        if (cond())
            return true;
        delay(10);
    }
    return cond();
}

void flushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QByteArray ack(const QByteArray& replyLine)
{
    QByteArray a;
    a += static_cast<char>(RemoteProtocol::XOFF);
    a += static_cast<char>(RemoteProtocol::ACK);
    if (!replyLine.isEmpty()) {
        a += replyLine;
        a += static_cast<char>(RemoteProtocol::CR);
    }
    a += static_cast<char>(RemoteProtocol::XON);
    return a;
}

QByteArray nak()
{
    QByteArray a;
    a += static_cast<char>(RemoteProtocol::XOFF);
    a += static_cast<char>(RemoteProtocol::NAK);
    a += static_cast<char>(RemoteProtocol::XON);
    return a;
}

} // namespace remotetest

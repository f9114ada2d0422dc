// Test doubles for the remote server: a configurable command class, a server that puts
// such commands into every connection's table, and a peer on a plain descriptor that
// speaks the protocol over loopback.
#pragma once

#include "remote/remote.h"
#include "remote/socketCalibrate.h"

#include <QByteArray>
#include <QPointer>
#include <QTcpSocket>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace remotetest {

// Shared by every probe command of a test: what ran, and how deep runs nested.
struct ProbeRecord {
    std::vector<std::string> runs; // "query:<line>" or "set:<line>"
    int active = 0;
    int maxActive = 0;
    int destroyed = 0;
};

class ProbeCmd : public RemoteCmd {
public:
    enum class Throw { Nothing, Std, Other, AfterAck };
    explicit ProbeCmd(std::shared_ptr<ProbeRecord> record, unsigned char level = 0, unsigned char hasReply = 1);
    ~ProbeCmd() override { ++record_->destroyed; }

    int run(const std::string& line, std::string* out, bool level) override;
    int run(const std::string& line, bool level) override;
    bool wants_old_style(std::string line) override;

    std::string reply = "VALUE=1";
    int result = 0;
    bool oldStyle = false;
    Throw throws = Throw::Nothing;
    bool lastLevel = false;
    // Runs inside the command, before it answers.
    std::function<void()> during;

private:
    int enter(const std::string& kind, const std::string& line, bool level);
    std::shared_ptr<ProbeRecord> record_;
};

// A server whose interpreters get the test's commands on top of the instrument's table.
class ProbeServer : public SocketCalibrate {
public:
    explicit ProbeServer(std::function<void(Remote&)> setup);
    using SocketCalibrate::serve;
    // Interpreters still connected when a test ends go with the server.
    ~ProbeServer() override;
    std::vector<QPointer<Remote>> remotes;
    std::vector<QPointer<QTcpSocket>> sockets;

protected:
    Remote* createRemote(QTcpSocket* socket) override;

private:
    std::function<void(Remote&)> setup_;
};

// A peer on a plain descriptor, so that it can close only its sending side (as "printf ... |
// nc" does), tell a connection closed by the server from one still open, and keep a small
// receive buffer (receiveBuffer when not 0) so that what it does not read waits in the server.
class Peer {
public:
    explicit Peer(unsigned short port, int receiveBuffer = 0);
    // Over one end of a connected pair, which it owns; the server serves the other.
    struct End {
        int descriptor;
    };
    explicit Peer(End end) : fd_(end.descriptor) {}
    ~Peer();
    bool connected() const { return fd_ >= 0; }
    int descriptor() const { return fd_; }
    void send(const QByteArray& bytes);
    // The next `count` answers (each up to and including XON); what came in time.
    QByteArray answer(int count = 1);
    QByteArray ask(const QByteArray& line)
    {
        send(line);
        return answer();
    }
    void closeSending();
    // Collects what arrives until the server closes the connection; false when it stays open.
    bool readToEnd();
    // Collects what has arrived, without waiting; true at the end of the stream.
    bool readAvailable();
    QByteArray received()
    {
        readAvailable();
        return received_;
    }

private:
    int fd_ = -1;
    QByteArray received_;
};

// Processes events until cond holds or timeoutMs pass.
bool waitFor(const std::function<bool()>& cond, int timeoutMs = 30000);
// Processes events for ms.
inline void spin(int ms)
{
    waitFor([] { return false; }, ms);
}
// Inside a command: waits on the instrument's clock (events keep flowing) until cond holds,
// or timeoutMs of real time pass (what it waits for comes in the kernel's own time).
bool delayUntil(const std::function<bool()>& cond, int timeoutMs = 30000);

// Lines with a hostile or broken value for the key; every command must refuse them without
// any effect.
std::vector<QByteArray> hostile(const QByteArray& key);

// The answer's bytes as they must leave: XOFF ACK [reply CR] XON, or XOFF NAK XON.
QByteArray ack(const QByteArray& replyLine = QByteArray());
QByteArray nak();

} // namespace remotetest

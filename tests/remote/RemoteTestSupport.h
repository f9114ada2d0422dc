// Test doubles for the remote server: a configurable command class, a server that puts
// such commands into every connection's table, and a peer that speaks the protocol over
// loopback and collects each answer up to its closing XON.
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
    explicit ProbeCmd(std::shared_ptr<ProbeRecord> record, unsigned char level = 0, unsigned char hasReply = 1);
    ~ProbeCmd() override;

    int run(const std::string& line, std::string* reply, bool level) override;
    int run(const std::string& line, bool level) override;
    bool wants_old_style(std::string line) override;

    std::string reply = "VALUE=1";
    int result = 0;
    bool oldStyle = false;
    bool throwStd = false;
    bool throwOther = false;
    bool throwAfterAck = false;
    bool lastLevel = false;
    // Runs inside the command, before it answers.
    std::function<void()> during;

private:
    int enter(const std::string& kind, const std::string& line);
    std::shared_ptr<ProbeRecord> record_;
};

// A server whose interpreters get the test's commands on top of the instrument's table.
class ProbeServer : public SocketCalibrate {
public:
    explicit ProbeServer(std::function<void(Remote&)> setup);
    // Interpreters still connected when a test ends go with the server.
    ~ProbeServer() override;
    std::vector<QPointer<Remote>> remotes;
    std::vector<QPointer<QTcpSocket>> sockets;

protected:
    Remote* createRemote(QTcpSocket* socket) override;

private:
    std::function<void(Remote&)> setup_;
};

class Peer {
public:
    explicit Peer(unsigned short port);
    ~Peer();
    bool connected() const;
    void send(const QByteArray& bytes);
    // The next answer (up to and including XON); empty when none came in time.
    QByteArray answer();
    QByteArray received() const { return received_; }
    QTcpSocket& socket() { return *socket_; }

private:
    std::unique_ptr<QTcpSocket> socket_;
    QByteArray received_;
};

// A peer on a plain descriptor, for what a QTcpSocket cannot do: close only its sending side
// (as "printf ... | nc" does) and tell a connection closed by the server from one still open.
class RawPeer {
public:
    // receiveBuffer: the size of its receive buffer when not 0 (a small one makes a peer that
    // does not read hold little of what it is sent).
    explicit RawPeer(unsigned short port, int receiveBuffer = 0);
    ~RawPeer();
    bool connected() const { return fd_ >= 0; }
    void send(const QByteArray& bytes);
    void closeSending();
    // Collects what arrives until the server closes the connection; false when it stays
    // open for timeoutMs.
    bool readToEnd(int timeoutMs = 30000);
    // Collects what arrives for a while; true when the server closed meanwhile.
    bool readFor(int ms);
    // Collects what has arrived, without waiting; true at the end of the stream.
    bool readAvailable();
    QByteArray received() const { return received_; }

private:
    int fd_ = -1;
    QByteArray received_;
};

// Processes events until cond holds or a few seconds pass.
bool waitFor(const std::function<bool()>& cond, int timeoutMs = 30000);
// Inside a command: waits on the instrument's clock (events keep flowing) until cond holds.
bool delayUntil(const std::function<bool()>& cond, int maxSteps = 500);
// Runs pending deferred deletions.
void flushDeletes();

QByteArray ack(const QByteArray& replyLine = QByteArray());
QByteArray nak();

} // namespace remotetest

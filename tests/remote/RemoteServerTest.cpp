// The command server: each connection with its own level, one line at a time across them; a
// command that waits survives its peer going away; a half-closed peer is answered; the cap on
// peers, a process out of descriptors, peers that do not read; the WebSocket front end.
#include "RemoteTestSupport.h"
#include "SimBoardFixture.h"

#include "hw/delay.h"
#include "remote/peerWriter.h"
#include "remote/webSocketCalibrate.h"

#include <QCoreApplication>
#include <QWebSocket>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include <fcntl.h>
#include <linux/sockios.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace remotetest;
using testsupport::LogCapture;
using testsupport::ScopedBoard;

namespace {

// Each connection gets "*?WAIT"/"*WAIT", a command whose runs call the test's hook.
struct WaitingServer {
    std::shared_ptr<ProbeRecord> record = std::make_shared<ProbeRecord>();
    std::function<void()> hook;
    ProbeServer server{[this](Remote& r) {
        auto* cmd = new ProbeCmd(record);
        cmd->during = [this] {
            if (hook)
                hook();
        };
        r.insert_cmd("*WAIT", cmd);
        r.insert_cmd("*?WAIT", cmd);
        r.insert_cmd("*?LOCKED", new ProbeCmd(record, 1));
        auto* big = new ProbeCmd(std::make_shared<ProbeRecord>());
        big->reply = std::string(bigReply, 'x');
        r.insert_cmd("*?BIG", big);
    }};
    size_t bigReply = 64 * 1024;
};

// Peers opened back to back by a client of its own (a thread), as fast as it can, while the
// server runs its loop.
struct BackToBackPeers {
    std::vector<std::unique_ptr<Peer>> peers;
    std::atomic<bool> connected{false};
    std::thread client;
    BackToBackPeers(unsigned short port, int count, int receiveBuffer = 0) : peers(static_cast<size_t>(count))
    {
        client = std::thread([this, port, receiveBuffer] {
            for (std::unique_ptr<Peer>& p : peers)
                p = std::make_unique<Peer>(port, receiveBuffer);
            connected = true;
        });
    }
    ~BackToBackPeers() { client.join(); }
    bool waitUntilConnected()
    {
        return waitFor([this] { return connected.load(); })
            && std::all_of(peers.begin(), peers.end(), [](const auto& p) { return p->connected(); });
    }
    // Peers the server has closed (reads what arrived meanwhile).
    int closedByServer()
    {
        int n = 0;
        for (std::unique_ptr<Peer>& p : peers)
            n += p->readAvailable() ? 1 : 0;
        return n;
    }
};

// A small kernel send buffer (the peers' own receive buffers are small too), so that what a
// peer does not take waits in the server.
bool keepSmallSendBuffer(int descriptor)
{
    const int small = 4096;
    return ::setsockopt(descriptor, SOL_SOCKET, SO_SNDBUF, &small, sizeof small) == 0;
}

constexpr int kBurst = 100;
constexpr int kRefused = kBurst - SocketCalibrate::kMaxPeers;

} // namespace

TEST(RemoteServer, GivesEachPeerItsOwnLevelAndRunsOneLineAtATimeAcrossPeers)
{
    ScopedBoard board;
    WaitingServer w;
    Peer a(w.server.serverPort());
    Peer b(w.server.serverPort());
    ASSERT_TRUE(waitFor([&] { return w.server.sockets.size() == 2; }));
    EXPECT_EQ(a.ask("*5820&\r"), ack());
    EXPECT_EQ(a.ask("*?LOCKED\r"), ack("*LOCKED VALUE=1"));
    EXPECT_EQ(b.ask("*?LOCKED\r"), nak());

    // B's line waits for A's running line, then goes before A's next one.
    w.record->runs.clear();
    w.hook = [&, sent = false]() mutable {
        if (std::exchange(sent, true))
            return;
        b.send("*WAIT B\r");
        // Waits inside the command until B's line has reached the server and B's interpreter
        // has taken it (none of it is left on its way, in the kernel or in the socket), and a
        // while longer.
        const int served = static_cast<int>(w.server.sockets[1]->socketDescriptor());
        EXPECT_TRUE(delayUntil([&] {
            int unsent = -1, unread = -1;
            return ::ioctl(b.descriptor(), SIOCOUTQ, &unsent) == 0 && unsent == 0
                && ::ioctl(served, FIONREAD, &unread) == 0 && unread == 0
                && w.server.sockets[1]->bytesAvailable() == 0;
        }));
        delay(2000);
    };
    a.send("*WAIT A1\r*WAIT A2\r");
    EXPECT_EQ(a.answer(2), ack() + ack());
    EXPECT_EQ(b.answer(), ack());
    EXPECT_EQ(w.record->runs, (std::vector<std::string>{"set:*WAIT A1\r", "set:*WAIT B\r", "set:*WAIT A2\r"}));
    EXPECT_EQ(w.record->maxActive, 1);
}

TEST(RemoteServer, SurvivesAPeerThatLeavesInTheMiddleOfACommand)
{
    ScopedBoard board;
    WaitingServer w;
    auto peer = std::make_unique<Peer>(w.server.serverPort());
    ASSERT_TRUE(waitFor([&] { return w.server.sockets.size() == 1; }));
    QPointer<QTcpSocket> serverSocket = w.server.sockets[0];
    QPointer<Remote> remote = w.server.remotes[0];

    bool aliveAfterWait = false;
    w.hook = [&] {
        peer.reset();
        // The line runs inside the socket's own signal: socket and interpreter stay until it
        // ends, the socket disconnected.
        EXPECT_TRUE(delayUntil([&] { return serverSocket->state() == QAbstractSocket::UnconnectedState; }));
        delay(500);
        aliveAfterWait = !remote.isNull() && !serverSocket.isNull();
    };
    peer->send("*?WAIT\r");
    ASSERT_TRUE(waitFor([&] { return w.record->runs.size() == 1 && w.record->active == 0; }));
    EXPECT_TRUE(aliveAfterWait);
    ASSERT_TRUE(waitFor([&] { return remote.isNull() && serverSocket.isNull(); }));
    EXPECT_EQ(w.record->destroyed, 2);
    EXPECT_EQ(w.record->runs.size(), 1u);
}

TEST(RemoteServer, ReportsAPortThatIsTaken)
{
    LogCapture log;
    SocketCalibrate first(0, true, nullptr, QHostAddress::LocalHost);
    EXPECT_TRUE(log.contains(QStringLiteral("Echo server is listening on 127.0.0.1:%1.").arg(first.serverPort())));
    SocketCalibrate second(first.serverPort(), true, nullptr, QHostAddress::LocalHost);
    EXPECT_FALSE(second.isListening());
    EXPECT_TRUE(log.contains("Cannot start server: "));
}

TEST(WebSocketServer, EchoesBinaryAndAnswersTextWithNothing)
{
    LogCapture log;
    WebSocketCalibrate server(0, true, nullptr);
    ASSERT_TRUE(server.isListening());
    EXPECT_TRUE(log.contains("Echoserver listening on port"));

    QWebSocket client;
    QByteArray binary;
    QStringList texts;
    QObject::connect(&client, &QWebSocket::binaryMessageReceived, [&](const QByteArray& m) { binary = m; });
    QObject::connect(&client, &QWebSocket::textMessageReceived, [&](const QString& m) { texts << m; });
    client.open(QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(server.serverPort())));
    ASSERT_TRUE(waitFor([&] { return client.state() == QAbstractSocket::ConnectedState; }));

    const QByteArray payload("\x00\x13\x06*?X\r", 6);
    client.sendBinaryMessage(payload);
    ASSERT_TRUE(waitFor([&] { return !binary.isEmpty(); }));
    EXPECT_EQ(binary, payload);

    client.sendTextMessage(QStringLiteral("*?NOTHING\r"));
    ASSERT_TRUE(waitFor([&] { return log.contains(" execute command header_ *?NOTHING"); }));
    spin(50);
    EXPECT_TRUE(texts.isEmpty());

    client.close();
    EXPECT_TRUE(waitFor([&] { return log.contains("socketDisconnected:"); }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST(RemoteServer, APeerThatClosesItsSendingSideGetsItsAnswersThenTheConnectionCloses)
{
    // What "printf ... | nc" scripts do: send, close the sending side, read the answers.
    const struct {
        const char* name;
        std::vector<QByteArray> sends;
        QByteArray expected;
        size_t runs;
    } rows[] = {
        {"one query", {"*?WAIT\n"}, ack("*WAIT VALUE=1"), 1},
        {"two lines in one send", {"*?WAIT\r\n*WAIT X\r"}, ack("*WAIT VALUE=1") + ack(), 2},
        {"a line split across sends", {"*?WA", "IT\r"}, ack("*WAIT VALUE=1"), 1},
        {"an unfinished last line is not run", {"*WAIT A\n*?WAIT"}, ack(), 1},
        {"an unknown header", {"*NOPE\r"}, nak(), 0},
        {"nothing at all", {}, QByteArray(), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScopedBoard board;
        WaitingServer w;
        Peer peer(w.server.serverPort());
        ASSERT_TRUE(peer.connected());
        for (const QByteArray& bytes : row.sends) {
            peer.send(bytes);
            spin(20);
        }
        peer.closeSending();
        ASSERT_TRUE(peer.readToEnd());
        EXPECT_EQ(peer.received(), row.expected);
        EXPECT_EQ(w.record->runs.size(), row.runs);
        EXPECT_TRUE(waitFor([&] { return w.server.peerCount() == 0; }));
        ASSERT_EQ(w.server.remotes.size(), 1u);
        EXPECT_TRUE(w.server.remotes[0].isNull());
    }
}

TEST(RemoteServer, AHalfClosedPeerWaitsForACommandThatIsStillRunning)
{
    ScopedBoard board;
    WaitingServer w;
    Peer peer(w.server.serverPort());
    ASSERT_TRUE(waitFor([&] { return w.server.sockets.size() == 1; }));
    // While its first line runs, the peer sends a second one and closes its side: the second
    // line is still in the socket when the socket closes.
    w.hook = [&] {
        if (w.record->runs.size() == 1) {
            peer.send("*?WAIT 2\r");
            peer.closeSending();
            EXPECT_TRUE(delayUntil([&] {
                return !w.server.sockets[0] || w.server.sockets[0]->state() == QAbstractSocket::UnconnectedState;
            }));
            delay(1000);
        }
    };
    peer.send("*WAIT 1\r");
    ASSERT_TRUE(peer.readToEnd());
    EXPECT_EQ(peer.received(), ack() + ack("*WAIT VALUE=1"));
    EXPECT_EQ(w.record->runs.size(), 2u);
}

TEST(RemoteServer, PausesAcceptingWhileTheProcessHasNoDescriptorLeft)
{
    ScopedBoard board;
    WaitingServer w;
    LogCapture log;
    // The sanitizer needs descriptors to check a call it has not seen yet: the server's paths
    // run once before none is left.
    {
        Peer warm(w.server.serverPort());
        warm.send("*?WAIT\r");
        warm.closeSending();
        ASSERT_TRUE(warm.readToEnd());
        w.record->runs.clear();
    }
    const unsigned short port = w.server.serverPort();
    // Few descriptors, then all of them taken but one, which the peer's own socket takes.
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlimit saved = limit;
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_cur, 256);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    std::vector<int> taken;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        taken.push_back(fd);
    ASSERT_FALSE(taken.empty());
    ::close(taken.back());
    taken.pop_back();
    Peer peer(port);
    ASSERT_TRUE(peer.connected());
    peer.send("*?WAIT\r");

    // The server fails to take it, and waits instead of trying (and logging) on every pass.
    spin(4 * SocketCalibrate::kAcceptPauseMs);
    EXPECT_GE(log.count("has no descriptor left for a connection"), 1);
    EXPECT_LE(log.count("has no descriptor left for a connection"), 5);
    EXPECT_TRUE(w.record->runs.empty());

    // Descriptors free again: the peer is taken and answered.
    for (int fd : taken)
        ::close(fd);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &saved), 0);
    peer.closeSending();
    ASSERT_TRUE(peer.readToEnd());
    EXPECT_EQ(peer.received(), ack("*WAIT VALUE=1"));
}

TEST(RemoteServer, ServesBackToBackConnectionsUpToTheCapClosesTheRestAndTakesOneWhenAPeerLeaves)
{
    ScopedBoard board;
    WaitingServer w;
    LogCapture log;
    BackToBackPeers burst(w.server.serverPort(), kBurst);
    ASSERT_TRUE(burst.waitUntilConnected());
    ASSERT_TRUE(waitFor([&] { return burst.closedByServer() == kRefused; }, 5000)) << burst.closedByServer();
    EXPECT_EQ(w.server.peerCount(), SocketCalibrate::kMaxPeers);
    EXPECT_EQ(log.count("a further connection is refused"), kRefused);

    // A served peer that leaves makes room for the next.
    auto served = std::find_if(burst.peers.begin(), burst.peers.end(), [](auto& p) { return !p->readAvailable(); });
    ASSERT_NE(served, burst.peers.end());
    served->reset();
    ASSERT_TRUE(waitFor([&] { return w.server.peerCount() == SocketCalibrate::kMaxPeers - 1; }));
    *served = std::make_unique<Peer>(w.server.serverPort());
    ASSERT_TRUE(waitFor([&] { return w.server.peerCount() == SocketCalibrate::kMaxPeers; }));

    // Every peer sends four lines and closes its sending side, as a piped script does.
    const QByteArray expected = ack("*WAIT VALUE=1") + ack() + nak() + ack("*WAIT VALUE=1");
    for (std::unique_ptr<Peer>& p : burst.peers) {
        p->send("*?WAIT\r*WAIT X\r\n*NOPE\n*?WAIT\r");
        p->closeSending();
    }
    int answered = 0;
    for (std::unique_ptr<Peer>& p : burst.peers) {
        ASSERT_TRUE(p->readToEnd());
        if (!p->received().isEmpty()) {
            EXPECT_EQ(p->received(), expected);
            ++answered;
        }
    }
    EXPECT_EQ(answered, SocketCalibrate::kMaxPeers);
    EXPECT_EQ(w.record->runs.size(), static_cast<size_t>(3 * SocketCalibrate::kMaxPeers));
    EXPECT_TRUE(waitFor([&] { return w.server.peerCount() == 0; }));
}

// What waits for a peer is at most PeerWriter::kMaxPending (1 MiB), so the connections of one
// server hold at most kMaxPeers times that (64 MiB) of unsent answers, however many ask.
TEST(RemoteServer, DropsPeersThatNeverReadAndKeepsWhatWaitsForThemBounded)
{
    ScopedBoard board;
    WaitingServer w;
    LogCapture log;
    BackToBackPeers burst(w.server.serverPort(), kBurst, 4096);
    ASSERT_TRUE(burst.waitUntilConnected());
    ASSERT_TRUE(waitFor([&] { return burst.closedByServer() == kRefused; }, 5000));

    for (const QPointer<QTcpSocket>& socket : w.server.sockets)
        ASSERT_TRUE(keepSmallSendBuffer(static_cast<int>(socket->socketDescriptor())));
    // Each asks for far more than it may have waiting, and never reads.
    QByteArray lines;
    for (int i = 0; i < 2 * PeerWriter::kMaxPending / static_cast<int>(w.bigReply); ++i)
        lines += "*?BIG\r";
    for (std::unique_ptr<Peer>& p : burst.peers)
        p->send(lines);
    qint64 mostWaiting = 0, mostForOne = 0;
    const bool allDropped = waitFor([&] {
        qint64 waiting = 0;
        for (const QPointer<Remote>& r : w.server.remotes) {
            if (r) {
                waiting += r->bytesToWrite();
                mostForOne = std::max(mostForOne, r->bytesToWrite());
            }
        }
        mostWaiting = std::max(mostWaiting, waiting);
        return w.server.peerCount() == 0;
    });
    EXPECT_TRUE(allDropped) << w.server.peerCount() << " peers still connected";
    EXPECT_LE(mostForOne, PeerWriter::kMaxPending);
    EXPECT_LE(mostWaiting, qint64{SocketCalibrate::kMaxPeers} * PeerWriter::kMaxPending);
    EXPECT_EQ(burst.closedByServer(), kBurst);
    EXPECT_EQ(log.count("a peer does not take its answers"), SocketCalibrate::kMaxPeers);
}

// The peer is on a socket pair: there, room for the server's answers is made by the peer's
// reads alone, never later by the kernel, so board time is the only thing that moves the
// verdict.
TEST(RemoteServer, DropsAPeerThatTakesNothingForThirtySecondsOfTheInstrumentsClock)
{
    ScopedBoard board;
    WaitingServer w;
    w.bigReply = 256 * 1024;
    LogCapture log;
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair), 0);
    ASSERT_TRUE(keepSmallSendBuffer(pair[0]));
    Peer peer(Peer::End{pair[1]});
    ASSERT_TRUE(w.server.serve(pair[0]));
    ASSERT_EQ(w.server.sockets.size(), 1u);
    QPointer<Remote> remote = w.server.remotes[0];
    // Answers wait, and the server's end has no room until the peer reads.
    const auto full = [&] {
        pollfd room{pair[0], POLLOUT, 0};
        return remote->bytesToWrite() > 0 && ::poll(&room, 1, 0) == 0;
    };
    peer.send("*?BIG\r");
    ASSERT_TRUE(waitFor(full));
    const auto stillServedAfterAWhile = [&] {
        spin(3 * PeerWriter::kStallCheckMs);
        return w.server.peerCount() == 1;
    };

    board.clock().advanceMs(PeerWriter::kStallMs - 1);
    EXPECT_TRUE(stillServedAfterAWhile());
    // What it takes starts its time again.
    const qint64 waiting = remote->bytesToWrite();
    EXPECT_FALSE(peer.readAvailable());
    ASSERT_TRUE(waitFor([&] { return remote->bytesToWrite() < waiting && full(); }));
    EXPECT_TRUE(stillServedAfterAWhile());
    board.clock().advanceMs(PeerWriter::kStallMs - 1);
    EXPECT_TRUE(stillServedAfterAWhile());
    EXPECT_FALSE(log.contains("has taken nothing for a while"));

    board.clock().advanceMs(PeerWriter::kStallMs);
    EXPECT_TRUE(waitFor([&] { return w.server.peerCount() == 0; }));
    EXPECT_EQ(log.count("a peer has taken nothing for a while"), 1);
    EXPECT_TRUE(peer.readToEnd());
}

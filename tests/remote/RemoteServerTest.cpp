// The command server: each connection with its own interpreter; a command that waits
// (processing events) never has another line run inside it, and survives its peer going
// away (socket and interpreter released after it); a peer that only closes its sending side is answered;
// peers beyond the cap and a process out of descriptors; the WebSocket front end.
#include "RemoteTestSupport.h"
#include "SimBoardFixture.h"

#include "hw/delay.h"
#include "remote/peerWriter.h"
#include "remote/webSocketCalibrate.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebSocket>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include <fcntl.h>
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

// A hook whose first run sends a line from a peer, waits inside the command until the server
// has received it, and goes on waiting a while: the line must not run meanwhile.
std::function<void()> sendDuringFirstRun(WaitingServer& w, Peer& peer, QByteArray line, size_t socketIndex)
{
    auto sent = std::make_shared<bool>(false);
    return [&w, &peer, line, socketIndex, sent] {
        if (*sent)
            return;
        *sent = true;
        peer.send(line);
        delayUntil([&] { return w.server.sockets[socketIndex]->bytesAvailable() > 0; });
        delay(2000);
    };
}

} // namespace

TEST(RemoteServer, GivesEachPeerItsOwnInterpreterAndLevel)
{
    ScopedBoard board;
    WaitingServer w;
    Peer a(w.server.serverPort());
    Peer b(w.server.serverPort());
    Peer c(w.server.serverPort());
    ASSERT_TRUE(a.connected() && b.connected() && c.connected());

    a.send("*5820&\r");
    EXPECT_EQ(a.answer(), ack());
    a.send("*?LOCKED\r");
    b.send("*?LOCKED\r");
    c.send("*?WAIT\r");
    EXPECT_EQ(a.answer(), ack("*LOCKED VALUE=1"));
    EXPECT_EQ(b.answer(), nak());
    EXPECT_EQ(c.answer(), ack("*WAIT VALUE=1"));
    EXPECT_EQ(w.server.remotes.size(), 3u);
}

TEST(RemoteServer, RunsOneLineAtATimeAcrossPeers)
{
    ScopedBoard board;
    WaitingServer w;
    Peer a(w.server.serverPort());
    Peer b(w.server.serverPort());
    ASSERT_TRUE(waitFor([&] { return w.server.sockets.size() == 2; }));

    // B's line waits for A's running line, then goes before A's next one.
    w.hook = sendDuringFirstRun(w, b, "*WAIT B\r", 1);
    a.send("*WAIT A1\r*WAIT A2\r");
    EXPECT_EQ(a.answer(), ack());
    EXPECT_EQ(a.answer(), ack());
    EXPECT_EQ(b.answer(), ack());
    ASSERT_EQ(w.record->runs.size(), 3u);
    EXPECT_EQ(w.record->runs[0], "set:*WAIT A1\r");
    EXPECT_EQ(w.record->runs[1], "set:*WAIT B\r");
    EXPECT_EQ(w.record->runs[2], "set:*WAIT A2\r");
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
        peer->socket().abort();
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
    ASSERT_TRUE(first.isListening());
    EXPECT_TRUE(log.contains(QStringLiteral(":%1.").arg(first.serverPort())));
    EXPECT_TRUE(log.contains("Echo server is listening on "));
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
    waitFor([] { return false; }, 50);
    EXPECT_TRUE(texts.isEmpty());

    client.close();
    EXPECT_TRUE(waitFor([&] { return log.contains("socketDisconnected:"); }));
    flushDeletes();
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
        RawPeer peer(w.server.serverPort());
        ASSERT_TRUE(peer.connected());
        for (const QByteArray& bytes : row.sends) {
            peer.send(bytes);
            waitFor([] { return false; }, 20);
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
    RawPeer peer(w.server.serverPort());
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

TEST(RemoteServer, RefusesPeersBeyondTheCapAndTakesThemAgainWhenOneLeaves)
{
    ScopedBoard board;
    WaitingServer w;
    LogCapture log;
    std::vector<std::unique_ptr<RawPeer>> peers;
    // One at a time: a connection waits in the kernel's short queue until it is accepted.
    for (int i = 1; i <= SocketCalibrate::kMaxPeers; ++i) {
        peers.push_back(std::make_unique<RawPeer>(w.server.serverPort()));
        ASSERT_TRUE(waitFor([&] { return w.server.peerCount() == i; }));
    }

    // One more is closed at once, without an answer; the others are not disturbed.
    RawPeer extra(w.server.serverPort());
    extra.send("*?WAIT\r");
    ASSERT_TRUE(extra.readToEnd());
    EXPECT_TRUE(extra.received().isEmpty());
    EXPECT_TRUE(log.contains("a further connection is refused"));
    EXPECT_EQ(w.server.peerCount(), SocketCalibrate::kMaxPeers);
    peers.front()->send("*?WAIT\r");
    EXPECT_FALSE(peers.front()->readFor(200));
    EXPECT_EQ(peers.front()->received(), ack("*WAIT VALUE=1"));

    // A peer that leaves makes room for the next.
    peers.back().reset();
    ASSERT_TRUE(waitFor([&] { return w.server.peerCount() == SocketCalibrate::kMaxPeers - 1; }));
    RawPeer next(w.server.serverPort());
    next.send("*?WAIT\r");
    next.closeSending();
    ASSERT_TRUE(next.readToEnd());
    EXPECT_EQ(next.received(), ack("*WAIT VALUE=1"));
}

TEST(RemoteServer, PausesAcceptingWhileTheProcessHasNoDescriptorLeft)
{
    ScopedBoard board;
    WaitingServer w;
    LogCapture log;
    // The sanitizer needs descriptors to check a call it has not seen yet: the server's
    // paths run once before none is left.
    {
        RawPeer warm(w.server.serverPort());
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
    RawPeer peer(port);
    ASSERT_TRUE(peer.connected());
    peer.send("*?WAIT\r");

    // The server fails to take it, and waits instead of trying (and logging) on every pass
    // of the loop.
    QEventLoop loop;
    QTimer::singleShot(4 * SocketCalibrate::kAcceptPauseMs, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(log.contains("has no descriptor left for a connection"));
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

namespace {

// Peers opened back to back by a client of its own (a thread), as fast as it can, while the
// server runs its loop.
struct BackToBackPeers {
    std::vector<std::unique_ptr<RawPeer>> peers;
    std::atomic<bool> connected{false};
    std::thread client;
    BackToBackPeers(unsigned short port, int count, int receiveBuffer = 0) : peers(static_cast<size_t>(count))
    {
        client = std::thread([this, port, receiveBuffer] {
            for (std::unique_ptr<RawPeer>& p : peers)
                p = std::make_unique<RawPeer>(port, receiveBuffer);
            connected = true;
        });
    }
    ~BackToBackPeers()
    {
        if (client.joinable())
            client.join();
    }
    bool waitUntilConnected()
    {
        if (!waitFor([this] { return connected.load(); }))
            return false;
        client.join();
        return std::all_of(peers.begin(), peers.end(), [](const auto& p) { return p->connected(); });
    }
    // Peers the server has closed (reads what arrived meanwhile).
    int closedByServer()
    {
        int n = 0;
        for (std::unique_ptr<RawPeer>& p : peers)
            n += p->readAvailable() ? 1 : 0;
        return n;
    }
};

// A small kernel send buffer (the peers' own receive buffers are small too), so that what a
// peer does not take waits in the server.
bool keepSmallSendBuffer(QTcpSocket& socket)
{
    const int small = 4096;
    return ::setsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_SNDBUF, &small, sizeof small) == 0;
}

constexpr int kBurst = 100;
constexpr int kRefused = kBurst - SocketCalibrate::kMaxPeers;

} // namespace

TEST(RemoteServer, ServesConnectionsThatArriveBackToBackUpToTheCapAndClosesTheRestAtOnce)
{
    ScopedBoard board;
    WaitingServer w;
    BackToBackPeers burst(w.server.serverPort(), kBurst);
    ASSERT_TRUE(burst.waitUntilConnected());
    ASSERT_TRUE(waitFor([&] { return burst.closedByServer() == kRefused; }, 5000)) << burst.closedByServer();
    EXPECT_EQ(w.server.peerCount(), SocketCalibrate::kMaxPeers);
    EXPECT_EQ(w.server.remotes.size(), static_cast<size_t>(SocketCalibrate::kMaxPeers));

    // Every peer sends four lines and closes its sending side, as a piped script does.
    const QByteArray expected = ack("*WAIT VALUE=1") + ack() + nak() + ack("*WAIT VALUE=1");
    for (std::unique_ptr<RawPeer>& p : burst.peers) {
        p->send("*?WAIT\r*WAIT X\r\n*NOPE\n*?WAIT\r");
        p->closeSending();
    }
    int answered = 0, refused = 0;
    for (std::unique_ptr<RawPeer>& p : burst.peers) {
        ASSERT_TRUE(p->readToEnd());
        if (p->received().isEmpty()) {
            ++refused;
        } else {
            EXPECT_EQ(p->received(), expected);
            ++answered;
        }
    }
    EXPECT_EQ(answered, SocketCalibrate::kMaxPeers);
    EXPECT_EQ(refused, kRefused);
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
        ASSERT_TRUE(keepSmallSendBuffer(*socket));
    // Each asks for far more than it may have waiting, and never reads.
    QByteArray lines;
    for (int i = 0; i < 2 * PeerWriter::kMaxPending / static_cast<int>(w.bigReply); ++i)
        lines += "*?BIG\r";
    for (std::unique_ptr<RawPeer>& p : burst.peers)
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

TEST(RemoteServer, DropsAPeerThatTakesNothingForThirtySecondsOfTheInstrumentsClock)
{
    ScopedBoard board;
    WaitingServer w;
    w.bigReply = 256 * 1024;
    LogCapture log;
    RawPeer peer(w.server.serverPort(), 4096);
    ASSERT_TRUE(waitFor([&] { return w.server.sockets.size() == 1; }));
    ASSERT_TRUE(keepSmallSendBuffer(*w.server.sockets[0]));
    QPointer<Remote> remote = w.server.remotes[0];
    peer.send("*?BIG\r");
    ASSERT_TRUE(waitFor([&] { return remote->bytesToWrite() > 0; }));
    const auto stillServedAfterAWhile = [&] {
        waitFor([] { return false; }, 3 * PeerWriter::kStallCheckMs);
        return w.server.peerCount() == 1;
    };

    board.clock().advanceMs(PeerWriter::kStallMs - 1);
    EXPECT_TRUE(stillServedAfterAWhile());
    // What it takes starts its time again.
    const qint64 waiting = remote->bytesToWrite();
    EXPECT_FALSE(peer.readAvailable());
    ASSERT_TRUE(waitFor([&] { return remote->bytesToWrite() < waiting; }));
    EXPECT_TRUE(stillServedAfterAWhile());
    board.clock().advanceMs(PeerWriter::kStallMs - 1);
    EXPECT_TRUE(stillServedAfterAWhile());
    EXPECT_FALSE(log.contains("has taken nothing for a while"));

    board.clock().advanceMs(PeerWriter::kStallMs);
    EXPECT_TRUE(waitFor([&] { return w.server.peerCount() == 0; }));
    EXPECT_EQ(log.count("a peer has taken nothing for a while"), 1);
    EXPECT_TRUE(peer.readToEnd());
}

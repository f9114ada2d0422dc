// The command server: connections come and go, each with its own interpreter; a command that
// waits (processing events) never sees its own line again or another line run inside it,
// and survives its peer going away; the WebSocket front end.
#include "RemoteTestSupport.h"
#include "SimBoardFixture.h"

#include "hw/delay.h"
#include "remote/webSocketCalibrate.h"

#include <QWebSocket>
#include <gtest/gtest.h>

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
    }};
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

TEST(RemoteServer, ReleasesSocketAndInterpreterWhenThePeerLeaves)
{
    ScopedBoard board;
    WaitingServer w;
    LogCapture log;
    auto peer = std::make_unique<Peer>(w.server.serverPort());
    ASSERT_TRUE(waitFor([&] { return w.server.remotes.size() == 1; }));
    const unsigned short port = peer->socket().localPort();
    peer.reset();

    ASSERT_TRUE(waitFor([&] { return w.server.remotes[0].isNull() && w.server.sockets[0].isNull(); }));
    EXPECT_EQ(w.record->destroyed, 2);
    const QString expected = QStringLiteral(":%1 has disconnected.").arg(port);
    EXPECT_TRUE(log.contains(expected)) << log.lines().join("\n").toStdString();
    EXPECT_TRUE(log.contains("Client "));
}

TEST(RemoteServer, NeverRunsALineTwiceWhileACommandWaits)
{
    ScopedBoard board;
    WaitingServer w;
    Peer peer(w.server.serverPort());
    ASSERT_TRUE(waitFor([&] { return w.server.sockets.size() == 1; }));

    w.hook = sendDuringFirstRun(w, peer, "*WAIT SECOND\r", 0);
    peer.send("*WAIT FIRST\r");
    EXPECT_EQ(peer.answer(), ack());
    EXPECT_EQ(peer.answer(), ack());
    ASSERT_EQ(w.record->runs.size(), 2u);
    EXPECT_EQ(w.record->runs[0], "set:*WAIT FIRST\r");
    EXPECT_EQ(w.record->runs[1], "set:*WAIT SECOND\r");
    EXPECT_EQ(w.record->maxActive, 1);
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
    SocketCalibrate first(0, true, nullptr);
    ASSERT_TRUE(first.isListening());
    EXPECT_TRUE(log.contains(QStringLiteral(":%1.").arg(first.serverPort())));
    EXPECT_TRUE(log.contains("Echo server is listening on "));
    SocketCalibrate second(first.serverPort(), true, nullptr);
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

// The interpreter as a peer sees it over a real loopback connection: the exact bytes of each
// answer, lookup (exact and by the old short prefixes), access codes and the framing of
// received bytes into lines.
#include "RemoteTestSupport.h"
#include "SimBoardFixture.h"

#include "remote/commandgate.h"

#include <gtest/gtest.h>

using namespace remotetest;
using testsupport::LogCapture;
using testsupport::ScopedBoard;

namespace {

// Every connection gets these commands: one object per group of keys, as the instrument's
// command table does for set and query keys of one class.
struct Fixture {
    std::shared_ptr<ProbeRecord> record = std::make_shared<ProbeRecord>();
    // Settings applied to the probes of each new connection.
    std::function<void(ProbeCmd&)> configureProbe;
    std::function<void(ProbeCmd&)> configureLocked;
    ProbeServer server{[this](Remote& r) { install(r); }};

    void install(Remote& r)
    {
        auto* probe = new ProbeCmd(record);
        if (configureProbe)
            configureProbe(*probe);
        r.insert_cmd("*PROBE", probe);
        r.insert_cmd("*?PROBE", probe);
        r.insert_cmd("*TUNE", new ProbeCmd(record));
        r.insert_cmd("*SET", new ProbeCmd(record));
        r.insert_cmd("?MARK", new ProbeCmd(record));
        r.insert_cmd("*M?RK", new ProbeCmd(record));
        auto* locked = new ProbeCmd(record, 1);
        if (configureLocked)
            configureLocked(*locked);
        r.insert_cmd("*?LOCKED", locked);
        r.insert_cmd("*QUIET", new ProbeCmd(record, 0, 0));
        r.insert_cmd("*?QUIET", r.commands().at("*QUIET"));
    }
};

QByteArray ask(Peer& peer, const QByteArray& line)
{
    peer.send(line);
    return peer.answer();
}

} // namespace

TEST(RemoteInterpreter, AnswersQueriesAndSetsWithTheExactControlBytes)
{
    Fixture f;
    Peer peer(f.server.serverPort());
    ASSERT_TRUE(peer.connected());

    // The '?' leaves the echoed header, one space separates it from the data.
    EXPECT_EQ(ask(peer, "*?PROBE\r"), ack("*PROBE VALUE=1"));
    EXPECT_EQ(ask(peer, "*PROBE X=1\r"), ack());
    EXPECT_EQ(ask(peer, "*?UNKNOWN\r"), nak());
    // The command sees the whole line, line end included.
    ASSERT_EQ(f.record->runs.size(), 2u);
    EXPECT_EQ(f.record->runs[0], "query:*?PROBE\r");
    EXPECT_EQ(f.record->runs[1], "set:*PROBE X=1\r");
    // The header stops at a comma as well as a space.
    EXPECT_EQ(ask(peer, "*?PROBE,A=1\n"), ack("*PROBE VALUE=1"));
    // An empty line is no command.
    EXPECT_EQ(ask(peer, "\r"), nak());
    EXPECT_EQ(f.record->runs.size(), 3u);
}

TEST(RemoteInterpreter, ShapesTheReplyLine)
{
    Fixture f;
    std::string reply;
    int result = 0;
    bool oldStyle = false;
    f.configureProbe = [&](ProbeCmd& p) {
        p.during = [&p, &reply, &result, &oldStyle] {
            p.reply = reply;
            p.result = result;
            p.oldStyle = oldStyle;
        };
    };
    Peer peer(f.server.serverPort());

    reply = "A=1 ";
    EXPECT_EQ(ask(peer, "*?PROBE\r"), ack("*PROBE A=1"));
    reply = "A=1  ";
    EXPECT_EQ(ask(peer, "*?PROBE\r"), ack("*PROBE A=1 "));
    reply = "";
    EXPECT_EQ(ask(peer, "*?PROBE\r"), ack());
    reply = "A=1";
    oldStyle = true;
    EXPECT_EQ(ask(peer, "*?PROBE\r"), ack("*PROBEA=1"));
    oldStyle = false;
    // A failing run is a NAK whatever its code, and never a reply.
    result = -1;
    EXPECT_EQ(ask(peer, "*?PROBE\r"), nak());
    result = 7;
    EXPECT_EQ(ask(peer, "*PROBE\r"), nak());
    result = 0;
    // A command without replies answers a query with ACK alone.
    EXPECT_EQ(ask(peer, "*?QUIET\r"), ack());
    // Bytes above 0x7F leave as they are, not re-encoded.
    reply = "T=\xB5\xE9";
    EXPECT_EQ(ask(peer, "*?PROBE\r"), ack("*PROBE T=\xB5\xE9"));
}

TEST(RemoteInterpreter, FindsCommandsByTheOldShortPrefixes)
{
    Fixture f;
    Peer peer(f.server.serverPort());

    // "*?NAM" is the first five characters of the query line: the reply goes without header.
    EXPECT_EQ(ask(peer, "*?NAMEXYZ\r"), ack("?.?.CV001A.?"));
    // A set line found by its first four characters is a plain ACK.
    EXPECT_EQ(ask(peer, "*SETTINGS A=1\r"), ack());
    EXPECT_EQ(f.record->runs.back(), "set:*SETTINGS A=1\r");
    // Without a '?' the five-character step is skipped: "*TUNEXYZ" finds nothing.
    EXPECT_EQ(ask(peer, "*TUNEXYZ\r"), nak());
    // The query or set run follows from where the '?' stands, not from the key.
    EXPECT_EQ(ask(peer, "?MARK\r"), ack());
    EXPECT_EQ(f.record->runs.back(), "set:?MARK\r");
    EXPECT_EQ(ask(peer, "*M?RK\r"), ack());
    EXPECT_EQ(f.record->runs.back(), "set:*M?RK\r");
}

TEST(RemoteInterpreter, AccessCodesRaiseTheConnectionForGood)
{
    Fixture f;
    Peer peer(f.server.serverPort());

    EXPECT_EQ(ask(peer, "*?LOCKED\r"), nak());
    EXPECT_TRUE(f.record->runs.empty());
    // An access code glued to more characters is just an unknown header.
    EXPECT_EQ(ask(peer, "*5820&X\r"), nak());
    EXPECT_EQ(ask(peer, "*?LOCKED\r"), nak());
    EXPECT_EQ(ask(peer, "*5820&\r"), ack());
    EXPECT_EQ(ask(peer, "*?LOCKED\r"), ack("*LOCKED VALUE=1"));
    EXPECT_EQ(ask(peer, "*58207 ANY TEXT\r"), ack());
    EXPECT_EQ(ask(peer, "*?LOCKED\r"), ack("*LOCKED VALUE=1"));

}

TEST(RemoteInterpreter, ReportsExceptionsOfCommandsAsNak)
{
    Fixture f;
    int mode = 0;
    f.configureProbe = [&](ProbeCmd& p) {
        p.during = [&p, &mode] {
            p.throwStd = mode == 1;
            p.throwOther = mode == 2;
            p.throwAfterAck = mode == 3;
        };
    };
    Peer peer(f.server.serverPort());
    LogCapture log;

    mode = 1;
    EXPECT_EQ(ask(peer, "*?PROBE\r"), nak());
    EXPECT_TRUE(log.contains("NameCmd Exception from std c++ lib . probe failure")) << log.lines().join("\n").toStdString();
    mode = 2;
    EXPECT_EQ(ask(peer, "*PROBE\r"), nak());
    EXPECT_TRUE(log.contains("NameCmd Unknow Exception."));
    // Once ACK is out only XON can follow.
    mode = 3;
    EXPECT_EQ(ask(peer, "*?PROBE\r"), QByteArray("\x13\x06\x11"));
    mode = 0;
    EXPECT_EQ(ask(peer, "*?PROBE\r"), ack("*PROBE VALUE=1"));
}

TEST(RemoteInterpreter, FramesEveryLineEndAsTheEndOfOneCommand)
{
    Fixture f;
    Peer peer(f.server.serverPort());

    // CR LF is one line end, also when it is split across reads; LF CR is two.
    peer.send("*?PROBE\r\n*?PROBE\n\r");
    EXPECT_EQ(peer.answer(), ack("*PROBE VALUE=1"));
    EXPECT_EQ(peer.answer(), ack("*PROBE VALUE=1"));
    EXPECT_EQ(peer.answer(), nak());
    peer.send("*?PROBE\r");
    EXPECT_EQ(peer.answer(), ack("*PROBE VALUE=1"));
    peer.send("\n*PROBE\r");
    EXPECT_EQ(peer.answer(), ack());
    waitFor([] { return false; }, 50);
    EXPECT_TRUE(peer.received().isEmpty()) << peer.received().toHex().toStdString();
    EXPECT_EQ(f.record->runs.size(), 4u);

    // Received data ends at a NUL: the rest of that read is dropped.
    peer.send(QByteArray("*?PROBE\r\0*PROBE\r", 16));
    EXPECT_EQ(peer.answer(), ack("*PROBE VALUE=1"));
    waitFor([] { return false; }, 50);
    EXPECT_TRUE(peer.received().isEmpty());
}

TEST(RemoteInterpreter, BoundsTheLineAndAnswersAnOverlongOneOnce)
{
    Fixture f;
    Peer peer(f.server.serverPort());

    // The longest accepted line runs.
    QByteArray longest = "*?PROBE ";
    longest += QByteArray(Remote::MAX_LINE - longest.size(), 'x');
    EXPECT_EQ(ask(peer, longest + "\r"), ack("*PROBE VALUE=1"));
    // One byte more is discarded and refused.
    EXPECT_EQ(ask(peer, longest + "y\r"), nak());
    EXPECT_EQ(f.record->runs.size(), 1u);

    // A megabyte without a line end: one NAK, and the connection goes on after the line end.
    const QByteArray flood(1024 * 1024, 'A');
    peer.send(flood);
    EXPECT_EQ(peer.answer(), nak());
    peer.send(flood);
    peer.send("\r*?PROBE\r");
    EXPECT_EQ(peer.answer(), ack("*PROBE VALUE=1"));
    waitFor([] { return false; }, 50);
    EXPECT_TRUE(peer.received().isEmpty()) << peer.received().toHex().toStdString();
    EXPECT_EQ(f.record->runs.size(), 2u);
}

TEST(RemoteInterpreter, ExecutesLinesFromOtherSourcesWithoutTransmitting)
{
    auto record = std::make_shared<ProbeRecord>();
    LogCapture log;
    {
        Remote remote(nullptr);
        auto* locked = new ProbeCmd(record, 1);
        remote.insert_cmd("*?LOCKED", locked);
        remote.insert_cmd("*LOCKED", locked);
        // Level 1 is forced for this line only.
        EXPECT_EQ(remote.execute("*?LOCKED\r", false, RemoteCmdSources::Network), -1);
        EXPECT_EQ(remote.execute("*?LOCKED\r", true, RemoteCmdSources::Network), 0);
        EXPECT_TRUE(locked->lastLevel);
        EXPECT_EQ(remote.accessLevel(), 0);
        // A failing run hands its own code back.
        locked->result = 3;
        EXPECT_EQ(remote.execute("*LOCKED\r", true, RemoteCmdSources::Silent), 3);
        locked->result = 0;
        EXPECT_EQ(remote.execute("", true, RemoteCmdSources::Network), -1);
        EXPECT_EQ(remote.execute(nullptr, true, RemoteCmdSources::Network), -1);
        EXPECT_FALSE(log.contains(" n 11"));
        EXPECT_EQ(remote.execute("*?LOCKED\r", true, RemoteCmdSources::Terminal), 0);
        EXPECT_EQ(log.count(" n 11"), 1);
        EXPECT_TRUE(log.contains(" execute command header_ *?LOCKED"));
        // A second object under a taken key is dropped from the table but still released.
        remote.insert_cmd("*?LOCKED", new ProbeCmd(record));
        EXPECT_EQ(remote.commands().at("*?LOCKED"), locked);
    }
    EXPECT_EQ(record->destroyed, 2);
}

TEST(RemoteCmdBase, HelpersStopAtTheirLimits)
{
    unsigned char out[8] = {};
    auto text = [](const char* s) { return reinterpret_cast<const unsigned char*>(s); };
    EXPECT_EQ(RemoteCmd::StrToByte(out, text("0aFf7B"), 6, 16), 3);
    EXPECT_EQ(out[0], 0x0A);
    EXPECT_EQ(out[1], 0xFF);
    EXPECT_EQ(out[2], 0x7B);
    EXPECT_EQ(RemoteCmd::StrToByte(out, text("129905"), 6, 10), 3);
    EXPECT_EQ(out[0], 12);
    EXPECT_EQ(out[1], 99);
    EXPECT_EQ(out[2], 5);
    EXPECT_EQ(RemoteCmd::StrToByte(out, text("110110"), 5, 2), 2);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(out[1], 1);
    // Another base, a short text, or a first group outside the base.
    EXPECT_EQ(RemoteCmd::StrToByte(out, text("12"), 2, 8), 0);
    EXPECT_EQ(RemoteCmd::StrToByte(out, text("1"), 1, 16), 0);
    EXPECT_EQ(RemoteCmd::StrToByte(out, text("g1"), 2, 16), 0);
    EXPECT_EQ(RemoteCmd::StrToByte(out, text("21"), 2, 2), 0);
    EXPECT_EQ(RemoteCmd::StrToByte(out, text("1a"), 2, 10), 0);

    // The last error keeps at most 255 characters.
    RemoteCmd cmd;
    cmd.set_last_error("code %d %s", 12, "bad");
    EXPECT_EQ(cmd.lastError(), "code 12 bad");
    cmd.set_last_error("%s", std::string(400, 'e').c_str());
    EXPECT_EQ(cmd.lastError().size(), 255u);
}

TEST(RemoteInterpreter, CutsTheHeaderAndItsQueryMark)
{
    Remote remote(nullptr);
    EXPECT_EQ(remote.get_header("*?ATTEN\r\nATT=1 X"), "*?ATTEN");
    EXPECT_EQ(remote.erase_ask_char("*?A?B"), "*A?B");
    EXPECT_FALSE(remote.is_ask_cmd("?*X"));
    // Every key of the instrument's own table is a set or query header.
    for (const auto& entry : remote.commands())
        EXPECT_EQ(entry.first[0], '*') << entry.first;
}

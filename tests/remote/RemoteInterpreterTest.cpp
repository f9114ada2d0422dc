// The interpreter as a peer sees it over a real loopback connection: the exact bytes of each
// answer, lookup (exact and by the old short prefixes), access codes and the framing of
// received bytes into lines.
#include "RemoteTestSupport.h"
#include "SimBoardFixture.h"

#include <gtest/gtest.h>

using namespace remotetest;
using testsupport::LogCapture;

namespace {

// Every connection gets these commands: one object per group of keys, as the instrument's
// command table does for set and query keys of one class.
struct Fixture {
    std::shared_ptr<ProbeRecord> record = std::make_shared<ProbeRecord>();
    ProbeCmd* probe = nullptr; // the last connection's "*PROBE"
    ProbeServer server{[this](Remote& r) {
        probe = new ProbeCmd(record);
        r.insert_cmd("*PROBE", probe);
        r.insert_cmd("*?PROBE", probe);
        r.insert_cmd("*SET", new ProbeCmd(record));
        r.insert_cmd("?MARK", new ProbeCmd(record));
        r.insert_cmd("*M?RK", new ProbeCmd(record));
        r.insert_cmd("*?LOCKED", new ProbeCmd(record, 1));
        r.insert_cmd("*?QUIET", new ProbeCmd(record, 0, 0));
    }};
};

} // namespace

TEST(RemoteInterpreter, AnswersEachLineWithTheExactBytes)
{
    Fixture f;
    Peer peer(f.server.serverPort());
    ASSERT_TRUE(waitFor([&] { return f.probe != nullptr; }));
    LogCapture log;
    using T = ProbeCmd::Throw;
    // In order on one connection: the probe's reply, code and style, the answer, and what ran.
    const struct {
        QByteArray line;
        QByteArray answer;
        const char* run; // nullptr: nothing ran
        std::string reply = "VALUE=1";
        int result = 0;
        bool oldStyle = false;
        T throws = T::Nothing;
    } rows[] = {
        // The '?' leaves the echoed header, one space separates it from the data; the command
        // sees the whole line, line end included.
        {"*?PROBE\r", ack("*PROBE VALUE=1"), "query:*?PROBE\r"},
        {"*PROBE X=1\r", ack(), "set:*PROBE X=1\r"},
        {"*?PROBE,A=1\n", ack("*PROBE VALUE=1"), "query:*?PROBE,A=1\n"}, // a comma ends the header too
        {"*?UNKNOWN\r", nak(), nullptr},
        {"\r", nak(), nullptr},
        // One trailing space is dropped; an empty reply or a command without replies is ACK
        // alone; bytes above 0x7F leave as they are.
        {"*?PROBE\r", ack("*PROBE A=1"), "query:*?PROBE\r", "A=1 "},
        {"*?PROBE\r", ack("*PROBE A=1 "), "query:*?PROBE\r", "A=1  "},
        {"*?PROBE\r", ack(), "query:*?PROBE\r", ""},
        {"*?QUIET\r", ack(), "query:*?QUIET\r"},
        {"*?PROBE\r", ack("*PROBEA=1"), "query:*?PROBE\r", "A=1", 0, true},
        {"*?PROBE\r", ack("*PROBE T=\xB5\xE9"), "query:*?PROBE\r", "T=\xB5\xE9"},
        // A failing run is a NAK whatever its code, and never a reply; once ACK is out only
        // XON can follow.
        {"*?PROBE\r", nak(), "query:*?PROBE\r", "VALUE=1", -1},
        {"*PROBE\r", nak(), "set:*PROBE\r", "VALUE=1", 7},
        {"*?PROBE\r", nak(), "query:*?PROBE\r", "VALUE=1", 0, false, T::Std},
        {"*PROBE\r", nak(), "set:*PROBE\r", "VALUE=1", 0, false, T::Other},
        {"*?PROBE\r", "\x13\x06\x11", "query:*?PROBE\r", "VALUE=1", 0, false, T::AfterAck},
        // The old short prefixes: "*?NAM" is the query line's first five characters (its reply
        // goes without header), "*SET" a set line's first four; without a '?' there is no
        // five-character step. Query or set follows from where the '?' stands.
        {"*?NAMEXYZ\r", ack("?.?.CV001A.?"), nullptr},
        {"*SETTINGS A=1\r", ack(), "set:*SETTINGS A=1\r"},
        {"*TUNEXYZ\r", nak(), nullptr},
        {"?MARK\r", ack(), "set:?MARK\r"},
        {"*M?RK\r", ack(), "set:*M?RK\r"},
        // An access code raises the connection for good; glued to more characters it is just
        // an unknown header.
        {"*?LOCKED\r", nak(), nullptr},
        {"*5820&X\r", nak(), nullptr},
        {"*5820&\r", ack(), nullptr},
        {"*?LOCKED\r", ack("*LOCKED VALUE=1"), "query:*?LOCKED\r"},
        {"*58207 ANY TEXT\r", ack(), nullptr},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.line.toStdString());
        f.probe->reply = r.reply;
        f.probe->result = r.result;
        f.probe->oldStyle = r.oldStyle;
        f.probe->throws = r.throws;
        const size_t before = f.record->runs.size();
        EXPECT_EQ(peer.ask(r.line), r.answer);
        const std::vector<std::string> ran(f.record->runs.begin() + static_cast<long>(before), f.record->runs.end());
        EXPECT_EQ(ran, r.run ? std::vector<std::string>{r.run} : std::vector<std::string>{});
    }
    EXPECT_TRUE(log.contains("NameCmd Exception from std c++ lib . probe failure"));
    EXPECT_TRUE(log.contains("NameCmd Unknow Exception."));
}

TEST(RemoteInterpreter, FramesEveryLineEndAsTheEndOfOneLineAndBoundsTheLine)
{
    Fixture f;
    Peer peer(f.server.serverPort());
    // CR LF is one line end, also when it is split across reads; LF CR is two. A stray answer
    // would show in the next one.
    peer.send("*?PROBE\r\n*?PROBE\n\r");
    EXPECT_EQ(peer.answer(3), ack("*PROBE VALUE=1") + ack("*PROBE VALUE=1") + nak());
    EXPECT_EQ(peer.ask("*?PROBE\r"), ack("*PROBE VALUE=1"));
    EXPECT_EQ(peer.ask("\n*PROBE\r"), ack());
    // Received data ends at a NUL: the rest of that read is dropped.
    EXPECT_EQ(peer.ask(QByteArray("*?PROBE\r\0*PROBE\r", 16)), ack("*PROBE VALUE=1"));

    // The longest accepted line runs; one byte more is discarded and refused.
    QByteArray longest = "*?PROBE ";
    longest += QByteArray(Remote::MAX_LINE - longest.size(), 'x');
    EXPECT_EQ(peer.ask(longest + "\r"), ack("*PROBE VALUE=1"));
    EXPECT_EQ(peer.ask(longest + "y\r"), nak());
    // A megabyte without a line end: one NAK, and the connection goes on after the line end.
    const QByteArray flood(1024 * 1024, 'A');
    EXPECT_EQ(peer.ask(flood), nak());
    peer.send(flood);
    EXPECT_EQ(peer.ask("\r*?PROBE\r"), ack("*PROBE VALUE=1"));
    spin(50);
    EXPECT_TRUE(peer.received().isEmpty()) << peer.received().toHex().toStdString();
    EXPECT_EQ(f.record->runs.size(), 7u);
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
        EXPECT_EQ(remote.execute("*?LOCKED\r", true, RemoteCmdSources::Terminal), 0);
        EXPECT_EQ(log.count(" n 11"), 1); // only the terminal's reply step ends with a line feed
        // A second object under a taken key is dropped from the table but still released.
        remote.insert_cmd("*?LOCKED", new ProbeCmd(record));
        EXPECT_EQ(remote.commands().at("*?LOCKED"), locked);
    }
    EXPECT_EQ(record->destroyed, 2);
}

TEST(RemoteCmdBase, HelpersStopAtTheirLimits)
{
    // Digit pairs to bytes: the count of bytes, and the bytes; none for another base, a short
    // text, or a first pair outside the base.
    const struct {
        const char* text;
        int length;
        int base;
        std::vector<int> bytes;
    } rows[] = {
        {"0aFf7B", 6, 16, {0x0A, 0xFF, 0x7B}}, {"129905", 6, 10, {12, 99, 5}}, {"110110", 5, 2, {3, 1}},
        {"12", 2, 8, {}},  {"1", 1, 16, {}},  {"g1", 2, 16, {}},  {"21", 2, 2, {}},  {"1a", 2, 10, {}},
    };
    for (const auto& r : rows) {
        unsigned char out[8] = {};
        const int n = RemoteCmd::StrToByte(out, reinterpret_cast<const unsigned char*>(r.text), r.length, r.base);
        EXPECT_EQ(std::vector<int>(out, out + n), r.bytes) << r.text << " base " << r.base;
    }
    // The last error keeps at most 255 characters.
    RemoteCmd cmd;
    cmd.set_last_error("code %d %s", 12, "bad");
    EXPECT_EQ(cmd.lastError(), "code 12 bad");
    cmd.set_last_error("%s", std::string(400, 'e').c_str());
    EXPECT_EQ(cmd.lastError().size(), 255u);
}

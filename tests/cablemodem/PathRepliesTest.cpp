// The ping reply and route-trace hop decoders as plain functions of text (well-formed,
// broken and hostile lines), and the E-model's R value and MOS with the codec table.
#include "cablemodem/modemPathReplies.h"
#include "cablemodem/modemStores.h"
#include "cablemodem/modemVoIPQuality.h"

#include <gtest/gtest.h>

TEST(PingReplyDecoder, LinesPiecesAndTimes)
{
    struct Row { const char* text; PingReply::State state; int sequence; bool timed; float oneWayMs; int end; };
    const Row rows[] = {
        {"PING 10.0.0.1 (10.0.0.1): 40 data bytes\n", PingReply::kNone, -1, false, 0, 0},
        {"40 bytes from 10.0.0.1: seq=0 ttl=64 time=20.000 ms\n", PingReply::kLine, 0, true, 10.0f, 52},
        {"40 bytes from 10.0.0.1: seq=7 ttl=64 time=21 ms\r\nnext", PingReply::kLine, 7, true, 10.5f, 49},
        // Below a millisecond the modem says "time<1": half of it.
        {"40 bytes from 10.0.0.1: seq=2 ttl=64 time<1 ms\n", PingReply::kLine, 2, true, 0.5f, 47},
        {"40 bytes from 10.0.0.1: seq=3 ttl=6", PingReply::kPartial, -1, false, 0, 0},
        // The time of the next line is not this reply's.
        {"x seq=4 ttl=64\n40 bytes: seq=5 time=30 ms\n", PingReply::kLine, 4, false, 0, 15},
        {"seq=\n", PingReply::kLine, -1, false, 0, 5},
        {"seq=99999999999999 time=-3 ms\n", PingReply::kLine, 999999999, false, 0, 30},
    };
    for (const auto& row : rows) {
        const PingReply r = decodePingReply(QString::fromLatin1(row.text));
        EXPECT_EQ(r.state, row.state) << row.text;
        EXPECT_EQ(r.sequence, row.sequence) << row.text;
        EXPECT_EQ(r.timed, row.timed) << row.text;
        EXPECT_FLOAT_EQ(r.oneWayMs, row.oneWayMs) << row.text;
        EXPECT_EQ(r.end, row.end) << row.text;
    }
    EXPECT_TRUE(pingFinished("round-trip min/avg/max = 20/24/28 ms\n"));
    EXPECT_FALSE(pingFinished("3 packets transmitted, 0 packets received\n"));
}

TEST(TraceHopDecoder, ProbeTimesAddressesAndLosses)
{
    const struct { const char* text; int hop; bool found; int lost, latency, jitter; const char* address; } rows[] = {
        {"\n 1   12.000 ms,  15.000 ms,   9.000 ms, (192.168.100.1)\n", 1, true, 0, 60, 15, "192.168.100.1"},
        {"\n 1   12.000 ms,      *        *     (192.168.100.1)\r\n", 1, true, 2, 60, UNMEASURED, "192.168.100.1"},
        {"\n 2   12.000 ms,      *       14.000 ms, ( 10.0.0.2 )\r\n", 2, true, 1, 65, 5, "10.0.0.2"},
        {"\n 3  * * *\n", 3, true, 3, UNMEASURED, UNMEASURED, "---.---.---.---"},
        {"\n 3  * * * (10.9.9.9)\n", 3, true, 3, UNMEASURED, UNMEASURED, "---.---.---.---"},
        // Times below a millisecond give no deviation.
        {"\n 4    0.400 ms,   0.800 ms,   0.300 ms, (10.0.0.4)\n", 4, true, 0, 0, 0, "10.0.0.4"},
        // Times right after the hop number are read from the line, never before it.
        {"\n 5  5,6,7,(10.0.0.5)\n", 5, true, 0, 30, 5, "10.0.0.5"},
        {"\n10  1.000 ms, 1.000 ms, 1.000 ms, (10.0.0.10)\n", 10, true, 0, 5, 0, "10.0.0.10"},
        // A time no probe can take is none; a minute is the longest.
        {"\n 1   2147483648000 ms,  3.000 ms,  60001 ms, (10.1.2.1)\n", 1, true, 2, 15, UNMEASURED, "10.1.2.1"},
        {"\n 2  60000 ms, 60000.0 ms, 60000 ms, (10.1.2.2)\n", 2, true, 0, 300000, 0, "10.1.2.2"},
        // An address longer than its field is cut to it.
        {"\n 6  1.0 ms, 2.0 ms, 3.0 ms, (averyveryverylonghostname.example)\n", 6, true, 0, 10, 5,
         "averyveryverylongho"},
        {"\n 1   12.000 ms,  15.000 ms", 1, false, 3, UNMEASURED, UNMEASURED, "---.---.---.---"},
        {"\n 1   12.000 ms, 15.000 ms, 9.000 ms, (10.0.0.1)\n", 2, false, 3, UNMEASURED, UNMEASURED,
         "---.---.---.---"},
        {"\n 11  12.000 ms, 15.000 ms, 9.000 ms, (10.0.0.1)\n", 1, false, 3, UNMEASURED, UNMEASURED,
         "---.---.---.---"},
    };
    for (const auto& row : rows) {
        const TraceHop h = decodeTraceHop(QString::fromLatin1(row.text), row.hop);
        EXPECT_EQ(h.found, row.found) << row.text;
        EXPECT_EQ(h.lost, row.lost) << row.text;
        EXPECT_EQ(h.latency, row.latency) << row.text;
        EXPECT_EQ(h.jitter, row.jitter) << row.text;
        EXPECT_STREQ(h.address, row.address) << row.text;
    }
    // The next hop's line starts where this one ends.
    const QString two = "\n 1  1.0 ms, 1.0 ms, 1.0 ms, (a)\n 2  2.0 ms, 2.0 ms, 2.0 ms, (b)\n";
    const TraceHop first = decodeTraceHop(two, 1);
    EXPECT_STREQ(decodeTraceHop(two.mid(first.end), 2).address, "b");
}

TEST(VoIPQuality, EModelOfTheCodecs)
{
    const struct { int latency, jitter; const char* codec; int loss; int r, mos; } rows[] = {
        {10, 5, "G711", 0, 932, 441},
        {200, 0, "G711+PLC", 0, 902, 434},
        {20, 5, "G729A+VAD", 2, 742, 379},
        // 40 + 2 x 30 ms is the knee: no delay impairment yet, nor at 99 ms.
        {40, 30, "G711", 0, 932, 441},
        {39, 30, "G711", 0, 932, 441},
        // A name outside the table: Ie 5, Bpl 10.
        {10, 0, "GSM EFR", 0, 882, 429},
        {10, 0, "opus", 10, 432, 222},
        // Total loss with a long delay leaves nothing: R and MOS at the scale's floor.
        {2000, 0, "G711", 100, 0, 100},
    };
    for (const auto& row : rows) {
        SetVoIPRvalue(-1);
        SetVoIPMOS(-1);
        EXPECT_EQ(CalculaMOS(row.latency, row.jitter, row.codec, row.loss), 0);
        EXPECT_EQ(GetVoIPRValue(), row.r) << row.codec << " " << row.latency;
        EXPECT_EQ(GetVoIPMOS(), row.mos) << row.codec << " " << row.latency;
    }
    EXPECT_NEAR(93.2f - voipQuality(200, 0, "G711+PLC", 0).r, 3.04f, 0.01f);
    EXPECT_EQ(voipCodec("G7231+VAD").ie, 15);
    EXPECT_FLOAT_EQ(voipCodec("G7231+VAD").bpl, 16.1f);
}

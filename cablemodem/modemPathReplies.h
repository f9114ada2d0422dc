// The modem's ping and route-trace output read as text: one ping reply line and one hop line
// of a trace. Plain functions of the text they are given: each looks only inside the line it
// decodes and fills nothing past the fields it owns.
#pragma once

#include <QString>

// The first ping reply ("seq=") in the collected text.
struct PingReply {
    enum State {
        kNone,    // no reply line in the text
        kPartial, // a reply line has begun but not yet ended
        kLine,    // a whole reply line
    };
    State state = kNone;
    int sequence = -1;    // the number after "seq=", -1 when it does not read
    bool timed = false;   // the line gives a time ("time=" or, below a millisecond, "time<")
    float oneWayMs = 0;   // half the whole milliseconds the line gives
    int end = 0;          // where the text after the reply line begins (kLine)
};
PingReply decodePingReply(const QString& text);
// The modem's closing summary of a ping ("min/avg/max") is in the text.
bool pingFinished(const QString& text);

constexpr int TRACE_PROBES = 3;
constexpr int TRACE_ADDRESS_SIZE = 20;

// The line of one hop in the collected text of a route trace.
struct TraceHop {
    bool found = false;   // the hop's line is there and ended
    int probes = 0;       // probe times read, 0 to 3
    float probeMs[TRACE_PROBES] = {};
    int lost = TRACE_PROBES;
    // Half the mean round trip and the largest deviation of a probe from the mean, both in
    // tenths of a millisecond; UNMEASURED without one (latency) or two (jitter) probe times.
    int latency = 0;
    int jitter = 0;
    char address[TRACE_ADDRESS_SIZE] = {}; // "---.---.---.---" when the line names none
    int end = 0;          // where the text after the hop's line begins (found)
};
// The line of hop number hop ("\n", the number in two columns, two blanks).
TraceHop decodeTraceHop(const QString& text, int hop);

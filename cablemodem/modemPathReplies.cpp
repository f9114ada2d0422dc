#include "modemPathReplies.h"

#include "common/sharedValues.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

const char kNoAddress[] = "---.---.---.---";
// No probe of a trace waits anywhere near a minute for its answer (the modem gives one up
// after seconds); a longer time is no time the line gives, and the sums of times stay ints.
constexpr float kLongestProbeMs = 60000;

// The whole number that starts at from (blanks before it skipped); -1 when none does.
int leadingNumber(const QString& text, int from)
{
    while (from < text.size() && text.at(from) == ' ')
        ++from;
    int end = from;
    while (end < text.size() && text.at(end).isDigit() && end - from < 9)
        ++end;
    return end > from ? text.mid(from, end - from).toInt() : -1;
}

// The last number ("12.000") in a piece of a line; false when it holds none.
bool lastNumber(const QString& piece, float* value)
{
    int end = piece.size();
    while (end > 0 && !piece.at(end - 1).isDigit())
        --end;
    if (end == 0)
        return false;
    int begin = end;
    while (begin > 0 && (piece.at(begin - 1).isDigit() || piece.at(begin - 1) == '.'))
        --begin;
    bool ok = false;
    *value = piece.mid(begin, end - begin).toFloat(&ok);
    return ok;
}

void setAddress(char* field, const QString& text)
{
    const QByteArray bytes = text.toLatin1().left(TRACE_ADDRESS_SIZE - 1);
    std::memcpy(field, bytes.constData(), static_cast<size_t>(bytes.size()));
    field[bytes.size()] = '\0';
}

} // namespace

PingReply decodePingReply(const QString& text)
{
    PingReply reply;
    const int at = text.indexOf(QLatin1String("seq="));
    if (at < 0)
        return reply;
    const int lineEnd = text.indexOf('\n', at);
    if (lineEnd < 0) {
        reply.state = PingReply::kPartial;
        return reply;
    }
    reply.state = PingReply::kLine;
    reply.end = lineEnd + 1;
    reply.sequence = leadingNumber(text, at + 4);
    // The time is read on the reply's own line only.
    const QString line = text.mid(at, lineEnd - at);
    int label = line.indexOf(QLatin1String("time="));
    if (label < 0)
        label = line.indexOf(QLatin1String("time<"));
    const int ms = label < 0 ? -1 : leadingNumber(line, label + 5);
    if (ms >= 0) {
        reply.timed = true;
        reply.oneWayMs = ms / 2.0f;
    }
    return reply;
}

bool pingFinished(const QString& text) { return text.contains(QLatin1String("min/avg/max")); }

TraceHop decodeTraceHop(const QString& text, int hop)
{
    TraceHop h;
    setAddress(h.address, kNoAddress);
    h.latency = UNMEASURED;
    h.jitter = UNMEASURED;
    const QString key = QString::asprintf("\n%2d  ", hop);
    const int at = text.indexOf(key);
    const int lineEnd = at < 0 ? -1 : text.indexOf('\n', at + 1);
    if (lineEnd < 0)
        return h;
    h.found = true;
    // The next hop's line begins with this line's end.
    h.end = lineEnd;
    const int bodyStart = at + key.size();
    const QString body = text.mid(bodyStart, lineEnd - bodyStart);

    // Each probe's time stands before its comma; a lost probe has no time there.
    int from = 0;
    for (int i = 0; i < TRACE_PROBES; ++i) {
        const int comma = body.indexOf(',', from);
        if (comma < 0)
            break;
        float ms = 0;
        if (lastNumber(body.mid(from, comma - from), &ms) && ms <= kLongestProbeMs)
            h.probeMs[h.probes++] = ms;
        from = comma + 1;
    }
    h.lost = TRACE_PROBES - h.probes;
    if (h.probes == 0)
        return h;

    const int open = body.indexOf('(', from);
    if (open >= 0) {
        QString address = body.mid(open + 1);
        address.remove(')').remove('\r').remove(' ').remove('\t');
        if (!address.isEmpty())
            setAddress(h.address, address);
    }

    int sum = 0;
    for (int i = 0; i < h.probes; ++i)
        sum += static_cast<int>(h.probeMs[i]);
    h.latency = static_cast<int>(sum * 10 * 0.5 / h.probes);
    if (h.probes >= 2) {
        const int mean = h.latency / 5;
        int largest = 0;
        for (int i = 0; i < h.probes; ++i) {
            const int t = static_cast<int>(h.probeMs[i]);
            if (t >= 1)
                largest = std::max(largest, std::abs(mean - t));
        }
        h.jitter = static_cast<int>(largest * 10 * 0.5);
    }
    return h;
}

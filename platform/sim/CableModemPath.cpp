#include "CableModemPath.h"

#include "CableModemReplies.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace platform::sim {

namespace {

constexpr int kMaxHops = 30;
constexpr uint64_t kPingIntervalMs = 1000;
constexpr uint64_t kProbeTimeoutMs = 2000;
const double kJitterPattern[3] = {0.0, 1.0, -1.0};

template <typename... Args>
std::string format(const char* pattern, Args... args)
{
    char text[256];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

// "010.000.000.001", as the instrument writes addresses, read as "10.0.0.1"; "" when it
// is no address.
std::string dotted(const std::string& text)
{
    int part[4];
    char end = 0;
    if (std::sscanf(text.c_str(), "%d.%d.%d.%d%c", &part[0], &part[1], &part[2], &part[3], &end) != 4)
        return "";
    for (int p : part) {
        if (p < 0 || p > 255)
            return "";
    }
    return format("%d.%d.%d.%d", part[0], part[1], part[2], part[3]);
}

bool reachesNetwork(const ModemSession& s) { return s.registrationStage() >= kModemOperational; }

std::string pingTime(double rttMs) { return rttMs < 1.0 ? "time<1 ms" : format("time=%.3f ms", rttMs); }

std::string ping(ModemSession& s, const ModemArgs& a)
{
    const std::string address = a.empty() ? "" : dotted(a[0]);
    if (address.empty())
        return "ping: bad address\n";
    if (!reachesNetwork(s))
        return "ping: sendto: Network is unreachable\n";
    const int count = std::max(1, a.size() > 1 ? std::atoi(a[1].c_str()) : 4);
    const int length = a.size() > 2 ? std::atoi(a[2].c_str()) : 56;
    const std::vector<ModemHop> route = s.path.routeTo(address);
    const ModemHop& target = route.back();

    std::vector<ModemJob::Line> replies;
    std::vector<double> times;
    for (int n = 0; n < count; ++n) {
        const uint64_t sentMs = n * kPingIntervalMs;
        const double rtt = s.path.probe(target, n, sentMs);
        if (rtt < 0)
            continue;
        times.push_back(rtt);
        replies.push_back({s.nowMs + sentMs + static_cast<uint64_t>(rtt),
                           format("%d bytes from %s: seq=%d ttl=%d ", length, address.c_str(), n,
                                  64 - static_cast<int>(route.size()) + 1)
                               + pingTime(rtt) + " ms\n"});
    }
    std::stable_sort(replies.begin(), replies.end(),
                     [](const ModemJob::Line& x, const ModemJob::Line& y) { return x.atMs < y.atMs; });
    uint64_t endMs = s.nowMs + count * kPingIntervalMs;
    if (!replies.empty())
        endMs = std::max(endMs, replies.back().atMs);
    const int received = static_cast<int>(times.size());
    std::string summary = format("\n--- %s ping statistics ---\n%d packets transmitted, %d packets received, "
                                 "%d%% packet loss\n",
                                 address.c_str(), count, received, (count - received) * 100 / count);
    if (received > 0) {
        double sum = 0;
        for (double t : times)
            sum += t;
        summary += format("round-trip min/avg/max = %.3f/%.3f/%.3f ms\n", *std::min_element(times.begin(), times.end()),
                          sum / received, *std::max_element(times.begin(), times.end()));
    }
    s.job.lines.assign(replies.begin(), replies.end());
    s.job.lines.push_back({endMs, summary});
    return format("PING %s (%s): %d data bytes\n", address.c_str(), address.c_str(), length);
}

std::string traceLine(int number, const ModemHop& hop, const double rtt[3])
{
    std::string line = format("%2d  ", number);
    if (rtt[0] < 0 && rtt[1] < 0 && rtt[2] < 0)
        return line + "* * *\n";
    for (int k = 0; k < 3; ++k)
        line += (k ? " " : "") + (rtt[k] < 0 ? std::string("     *    ") : format("%7.3f ms,", rtt[k]));
    return line + " (" + hop.address + ")\n";
}

std::string tracert(ModemSession& s, const ModemArgs& a)
{
    const std::string address = a.empty() ? "" : dotted(a[0]);
    if (address.empty())
        return "traceroute: bad address\n";
    const std::string heading = format("traceroute to %s (%s), %d hops max, 38 byte packets\n", address.c_str(),
                                       address.c_str(), kMaxHops);
    if (!reachesNetwork(s))
        return heading + "traceroute: sendto: Network is unreachable\n";
    const std::vector<ModemHop> route = s.path.routeTo(address);
    uint64_t t = 0;
    int destinationProbes = 0;
    for (int number = 1; number <= kMaxHops; ++number) {
        // Past the route the probes reach the destination, which may answer them now.
        const bool atDestination = number >= static_cast<int>(route.size());
        const ModemHop& hop = route[std::min<size_t>(number, route.size()) - 1];
        double rtt[3];
        bool answered = false;
        for (int k = 0; k < 3; ++k) {
            const int n = atDestination ? destinationProbes++ : k;
            rtt[k] = s.path.probe(hop, n, t);
            t += rtt[k] < 0 ? kProbeTimeoutMs : static_cast<uint64_t>(rtt[k]);
            answered = answered || rtt[k] >= 0;
        }
        s.job.lines.push_back({s.nowMs + t, traceLine(number, hop, rtt)});
        if (atDestination && answered)
            break;
    }
    return heading;
}

std::string flow(std::string* kept, const ModemArgs& a, const char* what)
{
    kept->clear();
    for (const std::string& w : a)
        *kept += (kept->empty() ? "" : " ") + w;
    return std::string(what) + " service flow added\n";
}

} // namespace

ModemPath ModemPath::typical()
{
    ModemPath path;
    path.routers = {{DocsisServices().gateway, 4.0, 1.0, 0}, {"172.16.0.1", 9.0, 2.0, 0}, {"172.16.8.1", 14.0, 3.0, 0}};
    path.destination = {"", 24.0, 4.0, 0};
    return path;
}

std::vector<ModemHop> ModemPath::routeTo(const std::string& address) const
{
    std::vector<ModemHop> route;
    for (const ModemHop& router : routers) {
        route.push_back(router);
        if (router.address == address)
            return route;
    }
    route.push_back(destination);
    route.back().address = address;
    return route;
}

double ModemPath::probe(const ModemHop& hop, int n, uint64_t sentMs) const
{
    if (outageMs > 0 && sentMs >= outageAfterMs && sentMs < outageAfterMs + outageMs)
        return -1;
    const double loss = std::clamp(hop.lossPercent, 0.0, 100.0);
    if (std::floor((n + 1) * loss / 100.0) > std::floor(n * loss / 100.0))
        return -1;
    return std::max(0.0, hop.delayMs + hop.jitterMs * kJitterPattern[n % 3]);
}

std::string ModemJob::takeDue(uint64_t nowMs)
{
    std::string text;
    while (due(nowMs)) {
        text += lines.front().text;
        lines.pop_front();
    }
    return text;
}

const std::vector<ModemCommandRule>& modemPathCommands()
{
    using S = ModemSession;
    using A = ModemArgs;
    static const std::vector<ModemCommandRule> table = {
        {"ping", ModemWhere::Menu, ping},
        {"tracert", ModemWhere::Menu, tracert},
        {"ugs", ModemWhere::Menu, [](S& s, const A& a) { return flow(&s.flows.ugs, a, "UGS"); }},
        {"rtps", ModemWhere::Menu, [](S& s, const A& a) { return flow(&s.flows.rtps, a, "rtPS"); }},
    };
    return table;
}

} // namespace platform::sim

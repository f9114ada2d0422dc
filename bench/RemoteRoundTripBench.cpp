// Round trip of a remote query beside a bare Qt TCP echo server, each a program of its own:
// this program started with "--serve" is the instrument's remote server on its GUI
// thread (the real command table answering "*?ATTEN" from the RF chain, the instrument's
// console message handling, its output thrown away), bare_echo_server (bench/bare) sends
// back what it gets. One blocking loopback client asks both in turn, in blocks of
// alternating order, so a drift of the machine's speed hits both alike; the client and both
// servers run on one processor, the last this benchmark may use, so that neither server is
// placed better than the other. Each server's processor time (all its threads, from the
// kernel) is read around its own blocks.
//
// Targets: the median and the 99th percentile of the round trip each at most twice the echo
// server's; at most 45 us of the instrument's processor time per line.
// --rounds=N sets the number of alternated blocks (40; CI runs one).
#include "ChildProcess.h"

#include "app/consolelog.h"
#include "app/startup.h"
#include "hw/ADF4350.h"
#include "hw/MAX11337.h"
#include "remote/remoteprotocol.h"
#include "remote/socketCalibrate.h"
#include "rf/mesuraRF.h"

#include "DefaultBoard.h"
#include "platform/Platform.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <dirent.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The instrument's remote server as start-up makes it, on a board with the RF chain up.
int serve(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    StartUp::setApplicationIdentity();
    auto board = platform::sim::makeDefaultBoard();
    platform::installBoard(board.get());
    installConsoleLog();
    ADF4350 localOscillator;
    MAX11337 converter;
    setInitMesuraRF(&localOscillator, &converter);
    SocketCalibrate server(0, true, nullptr, QHostAddress::LocalHost);
    std::fprintf(stderr, "%d\n", static_cast<int>(server.serverPort()));
    std::fflush(stderr);
    const int code = app.exec();
    board.release(); // the engine threads use it until the process ends
    return code;
}

// A blocking loopback client; an exchange ends at the reply's last byte.
class Client {
public:
    Client(unsigned short port, std::string line, char terminator) : line_(std::move(line)), terminator_(terminator)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok_ = port != 0 && ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~Client() { ::close(fd_); }
    bool ok() const { return ok_; }

    // Microseconds of one round trip, or a negative number when no answer came.
    double exchange()
    {
        const auto start = std::chrono::steady_clock::now();
        if (::send(fd_, line_.data(), line_.size(), 0) != static_cast<ssize_t>(line_.size()))
            return -1;
        char buf[512];
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0)
                return -1;
            const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n <= 0)
                return -1;
            if (buf[n - 1] == terminator_)
                break;
        }
        return std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
    }

private:
    std::string line_;
    char terminator_;
    int fd_ = -1;
    bool ok_ = false;
};

// The port a server prints, past any warning Qt printed before it.
unsigned short portFrom(int fd)
{
    for (;;) {
        const std::string line = benchchild::readLine(fd, 30000);
        if (line.empty())
            return 0;
        if (line.find_first_not_of("0123456789") == std::string::npos)
            return static_cast<unsigned short>(std::atoi(line.c_str()));
    }
}

// Nanoseconds a process has run on a processor so far, all its threads together.
double processorNs(pid_t pid)
{
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    double ns = 0;
    DIR* dir = ::opendir(tasks.c_str());
    if (!dir)
        return 0;
    while (const dirent* e = ::readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;
        std::ifstream stat(tasks + "/" + e->d_name + "/schedstat");
        double onCpu = 0;
        if (stat >> onCpu)
            ns += onCpu;
    }
    ::closedir(dir);
    return ns;
}

double percentile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
}

struct Options {
    int rounds = 40;
    int block = 500;
};
Options g_options;
bool g_failed = false;

void AttenQueryBesideEcho(benchmark::State& state)
{
    const std::string folder = benchchild::ownFolder();
    // Where the kernel puts each process decides a loopback round trip more than either
    // server does (a wake-up on another processor costs several times a whole exchange), and
    // left to the kernel it differs from one server to the other; on one processor both
    // servers and the client meet the same.
    const std::vector<int> cpus = benchchild::allowedCpus();
    const int cpu = cpus.empty() ? -1 : cpus.back();
    int echoOut = -1, remoteOut = -1;
    const pid_t echoPid = benchchild::start({folder + "/bare_echo_server"}, &echoOut, false, cpu);
    const pid_t remotePid = benchchild::start({folder + "/bench_remote", "--serve"}, &remoteOut, true, cpu);
    if (cpu >= 0)
        benchchild::pinTo(cpu);
    Client echo(portFrom(echoOut), "*?ATTEN\r", '\r');
    Client remote(portFrom(remoteOut), "*?ATTEN\r", static_cast<char>(RemoteProtocol::XON));
    std::vector<double> echoUs, remoteUs;
    double echoCpuNs = 0, remoteCpuNs = 0;
    bool ok = echo.ok() && remote.ok();
    for (int i = 0; ok && i < 200; ++i) // warm-up of both sides
        ok = echo.exchange() >= 0 && remote.exchange() >= 0;
    int round = 0;
    for (auto _ : state) {
        for (int side = 0; ok && side < 2; ++side) {
            const bool echoTurn = (side == 0) == (round % 2 == 0);
            Client& client = echoTurn ? echo : remote;
            std::vector<double>& into = echoTurn ? echoUs : remoteUs;
            const pid_t pid = echoTurn ? echoPid : remotePid;
            const double cpuBefore = processorNs(pid);
            for (int i = 0; ok && i < g_options.block; ++i) {
                const double us = client.exchange();
                ok = us >= 0;
                into.push_back(us);
            }
            (echoTurn ? echoCpuNs : remoteCpuNs) += processorNs(pid) - cpuBefore;
        }
        ++round;
        if (!ok)
            break;
    }
    benchchild::stop(echoPid);
    benchchild::stop(remotePid);
    ::close(echoOut);
    ::close(remoteOut);
    if (!ok) {
        g_failed = true;
        state.SkipWithError("a server did not answer");
        return;
    }
    const double p50 = percentile(remoteUs, 0.5) / percentile(echoUs, 0.5);
    const double p99 = percentile(remoteUs, 0.99) / percentile(echoUs, 0.99);
    const double echoCpuUs = echoCpuNs / 1000.0 / static_cast<double>(echoUs.size());
    const double remoteCpuUs = remoteCpuNs / 1000.0 / static_cast<double>(remoteUs.size());
    state.counters["echo_p50_us"] = percentile(echoUs, 0.5);
    state.counters["echo_p99_us"] = percentile(echoUs, 0.99);
    state.counters["remote_p50_us"] = percentile(remoteUs, 0.5);
    state.counters["remote_p99_us"] = percentile(remoteUs, 0.99);
    state.counters["p50_ratio"] = p50;
    state.counters["p99_ratio"] = p99;
    state.counters["echo_cpu_us_per_line"] = echoCpuUs;
    state.counters["remote_cpu_us_per_line"] = remoteCpuUs;
    std::printf("*?ATTEN round trip beside the bare echo server: p50 %.1f vs %.1f us (%.2f, target <= 2), "
                "p99 %.1f vs %.1f us (%.2f, target <= 2); processor time per line %.1f vs %.1f us "
                "(target <= 45)\n",
                percentile(remoteUs, 0.5), percentile(echoUs, 0.5), p50, percentile(remoteUs, 0.99),
                percentile(echoUs, 0.99), p99, remoteCpuUs, echoCpuUs);
}

void takeOptions(int* argc, char** argv)
{
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        if (std::strncmp(argv[i], "--rounds=", 9) == 0) {
            g_options.rounds = std::max(1, std::atoi(argv[i] + 9));
            if (g_options.rounds == 1)
                g_options.block = 50;
        } else {
            argv[kept++] = argv[i];
        }
    }
    *argc = kept;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && std::strcmp(argv[1], "--serve") == 0) {
        int one = 1;
        return serve(one, argv);
    }
    takeOptions(&argc, argv);
    benchmark::RegisterBenchmark("AttenQueryBesideEcho", AttenQueryBesideEcho)
        ->Iterations(g_options.rounds)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return g_failed ? 1 : 0;
}

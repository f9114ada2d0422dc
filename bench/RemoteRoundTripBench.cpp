// Round-trip latency (p50, p99) and pipelined throughput of a remote query over loopback,
// measured beside a bare Qt TCP echo server in the same run; the ratios say what the
// command server costs on top of Qt's own socket handling (target: p99 ratio <= 2).
#include "remote/remote.h"
#include "remote/socketCalibrate.h"

#include <QCoreApplication>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <benchmark/benchmark.h>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

class BenchQueryCmd : public RemoteCmd {
public:
    int run(const std::string& line, std::string* reply, bool level) override
    {
        (void)line;
        (void)level;
        *reply = "ATT=12";
        return 0;
    }
    using RemoteCmd::run;
};

class BenchServer : public SocketCalibrate {
public:
    BenchServer() : SocketCalibrate(0, false, nullptr) {}

protected:
    Remote* createRemote(QTcpSocket* socket) override
    {
        Remote* remote = SocketCalibrate::createRemote(socket);
        remote->insert_cmd("*?BENCH", new BenchQueryCmd);
        return remote;
    }
};

// The reference: what Qt alone costs to receive a line and send bytes back.
class EchoServer : public QObject {
public:
    EchoServer()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            QTcpSocket* s = server_.nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [s] { s->write(s->readAll()); });
            connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
        });
    }
    unsigned short port() const { return server_.serverPort(); }

private:
    QTcpServer server_;
};

// A blocking loopback client; reads until it has seen `count` terminator bytes.
class Client {
public:
    explicit Client(unsigned short port)
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(port);
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ok_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    }
    ~Client() { ::close(fd_); }
    bool ok() const { return ok_; }

    bool exchange(const std::string& out, char terminator, int count)
    {
        if (::send(fd_, out.data(), out.size(), 0) != static_cast<ssize_t>(out.size()))
            return false;
        char buf[4096];
        while (count > 0) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0)
                return false;
            const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
            if (n <= 0)
                return false;
            count -= static_cast<int>(std::count(buf, buf + n, terminator));
        }
        return true;
    }

private:
    int fd_ = -1;
    bool ok_ = false;
};

struct Target {
    const char* name;
    unsigned short port;
    std::string line;
    char terminator;
};

struct Results {
    std::map<std::string, double> p50us, p99us, linesPerSecond;
};

double percentile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, static_cast<size_t>(q * static_cast<double>(v.size())))];
}

void latency(benchmark::State& state, const Target& t, Results* results)
{
    Client client(t.port);
    if (!client.ok()) {
        state.SkipWithError("cannot connect");
        return;
    }
    for (int i = 0; i < 200; ++i) // warm-up
        client.exchange(t.line, t.terminator, 1);
    std::vector<double> us;
    us.reserve(static_cast<size_t>(state.max_iterations));
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!client.exchange(t.line, t.terminator, 1)) {
            state.SkipWithError("no answer");
            return;
        }
        us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
    }
    const double p50 = percentile(us, 0.50);
    const double p99 = percentile(us, 0.99);
    state.counters["p50_us"] = p50;
    state.counters["p99_us"] = p99;
    results->p50us[t.name] = p50;
    results->p99us[t.name] = p99;
}

void throughput(benchmark::State& state, const Target& t, Results* results)
{
    constexpr int kBatch = 100;
    Client client(t.port);
    std::string batch;
    for (int i = 0; i < kBatch; ++i)
        batch += t.line;
    double seconds = 0;
    int64_t lines = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (!client.exchange(batch, t.terminator, kBatch)) {
            state.SkipWithError("no answer");
            return;
        }
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        lines += kBatch;
    }
    state.SetItemsProcessed(lines);
    results->linesPerSecond[t.name] = seconds > 0 ? static_cast<double>(lines) / seconds : 0;
}

void silence(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // Each command writes a debug line; the bench measures the protocol, not the console.
    qInstallMessageHandler(silence);

    // The servers run in their own event loop, as on the instrument's GUI thread.
    QThread serverThread;
    serverThread.start();
    QObject context;
    context.moveToThread(&serverThread);
    BenchServer* remoteServer = nullptr;
    EchoServer* echoServer = nullptr;
    QMetaObject::invokeMethod(
        &context,
        [&] {
            remoteServer = new BenchServer;
            echoServer = new EchoServer;
        },
        Qt::BlockingQueuedConnection);

    const char xon = static_cast<char>(RemoteProtocol::XON);
    const Target remote{"remote", remoteServer->serverPort(), "*?BENCH\r", xon};
    const Target echo{"echo", echoServer->port(), "*?BENCH\r", '\r'};
    Results results;
    for (const Target* t : {&echo, &remote}) {
        benchmark::RegisterBenchmark((std::string("latency/") + t->name).c_str(),
                                     [t, &results](benchmark::State& s) { latency(s, *t, &results); })
            ->Iterations(20000)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("throughput/") + t->name).c_str(),
                                     [t, &results](benchmark::State& s) { throughput(s, *t, &results); })
            ->Iterations(300)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    QMetaObject::invokeMethod(
        &context,
        [&] {
            delete remoteServer;
            delete echoServer;
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        },
        Qt::BlockingQueuedConnection);
    serverThread.quit();
    serverThread.wait();

    if (results.p99us.count("remote") && results.p99us.count("echo") && results.p99us["echo"] > 0) {
        const double p50 = results.p50us["remote"] / results.p50us["echo"];
        const double p99 = results.p99us["remote"] / results.p99us["echo"];
        std::printf("remote/echo latency ratio: p50 %.2f, p99 %.2f (target p99 <= 2: %s)\n", p50, p99,
                    p99 <= 2.0 ? "met" : "MISSED");
    }
    if (results.linesPerSecond.count("remote") && results.linesPerSecond["echo"] > 0)
        std::printf("remote/echo throughput ratio: %.2f (%.0f vs %.0f lines/s)\n",
                    results.linesPerSecond["remote"] / results.linesPerSecond["echo"],
                    results.linesPerSecond["remote"], results.linesPerSecond["echo"]);
    return 0;
}

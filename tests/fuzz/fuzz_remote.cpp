// The remote server under libFuzzer, from the wire: an input is what up to four peers send,
// each on a connection of its own (the first through the server's listening socket on
// loopback, the others as connected socket pairs handed to the server as accepted ones). The
// bytes go through the server's own input path (framer, gate, command table, writer) on the
// simulated unit, and every peer must get exactly one well-framed answer per line it sent,
// then, once it closes its sending side, the end of the connection; at the end of each input
// the server holds no connection. The same text also goes through the parameter tokens and
// every number format.
//
// The first byte: bits 0-5 the size of each send (1 to 64), bits 6-7 the number of peers
// less one. Then the bytes sent, by the current peer (the first at the start); 0xFF starts a
// control: 0xFF 0xFF sends 0xFF; otherwise the next byte's low two bits say what to do
// (0: sends go to peer (byte >> 2) % peers from here; 1: the current peer closes its sending
// side; 2: it closes its connection outright; 3: from here sends pile up without the server
// running between them, until the next 3).
#include "FuzzSupport.h"
#include "SignalSafeConnect.h"

#include "common/BoardWiring.h"
#include "common/SignalSafeIo.h"
#include "hw/ADF4350.h"
#include "hw/ADF4360.h"
#include "hw/DrvTPS65233.h"
#include "hw/MAX11337.h"
#include "hw/drvMAX3543.h"
#include "hw/tmp100.h"
#include "remote/lineFramer.h"
#include "remote/remote.h"
#include "remote/socketCalibrate.h"
#include "remote/tokens.h"
#include "engines/measures.h"
#include "platform/sim/Pcf85263Model.h"
#include "platform/sim/VirtualClock.h"
#include "rf/attenuator.h"
#include "rf/chainState.h"
#include "rf/circuitRouting.h"
#include "rf/ifFilters.h"
#include "rf/mesuraRF.h"
#include "store/screensvariables.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QPointer>
#include <QTcpSocket>

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using fuzzsupport::fail;

namespace {

// Whole answers in what a peer received, from offset *at on: XOFF, ACK or NAK, for a query
// with data its reply line ending in CR, XON. *at moves past them (an answer still on its way
// stays). Fails on anything else.
int countAnswers(const QByteArray& got, int* at)
{
    const auto byte = [&](int i) { return i < got.size() ? static_cast<unsigned char>(got.at(i)) : -1; };
    int answers = 0;
    for (int i = *at; i < got.size(); i = *at) {
        const bool nak = byte(i + 1) == RemoteProtocol::NAK;
        if (byte(i) != RemoteProtocol::XOFF || (byte(i + 1) >= 0 && !nak && byte(i + 1) != RemoteProtocol::ACK))
            fail("answers " + QString::fromLatin1(got.toHex()) + " wrong at " + QString::number(i));
        const int end = nak ? i + 2 : got.indexOf(static_cast<char>(RemoteProtocol::XON), i + 2);
        if (end < 0 || end >= got.size())
            break;
        if (byte(end) != RemoteProtocol::XON || (!nak && end > i + 2 && byte(end - 1) != RemoteProtocol::CR))
            fail("answers " + QString::fromLatin1(got.toHex()) + " wrong at " + QString::number(i));
        *at = end + 1;
        ++answers;
    }
    return answers;
}

// Every integer a format reads prints back to the same integer.
template <typename T>
void checkNumber(const std::string& text)
{
    for (unsigned format : {1u, 2u, 3u, 16u, 17u}) {
        T value{};
        if (!tokens::convert_string_to(text, format, &value))
            continue;
        std::string printed;
        tokens::convert_to_string(value, tokens::FORMAT_DEC, &printed);
        T again{};
        if (!tokens::convert_string_to(printed, tokens::FORMAT_DEC, &again) || again != value)
            fail(QString("number %1 read as %2, printed %3").arg(text.c_str()).arg(static_cast<long long>(value)).arg(printed.c_str()));
    }
}

// The pieces of a text a number format could read: runs of letters, digits, signs and
// points that begin as a number does (at most kNumberPieces of them). A whole input is
// almost never one number; the values in its parameters are.
constexpr size_t kNumberPieces = 16;
std::vector<std::string> numberPieces(const std::string& text)
{
    const auto inPiece = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.'; };
    std::vector<std::string> pieces;
    for (size_t at = 0; at < text.size() && pieces.size() < kNumberPieces;) {
        const size_t end = std::find_if_not(text.begin() + at, text.end(), inPiece) - text.begin();
        const char first = text[at];
        if (end > at && (std::isdigit(static_cast<unsigned char>(first)) || first == '+' || first == '-' || first == '.'))
            pieces.push_back(text.substr(at, end - at));
        at = std::max(end, at + 1);
    }
    return pieces;
}

void numbersAndTokens(const std::string& text)
{
    std::vector<std::string> numbers = numberPieces(text);
    numbers.push_back(text);
    for (const std::string& number : numbers) {
        checkNumber<int>(number);
        checkNumber<unsigned>(number);
        checkNumber<short>(number);
        checkNumber<unsigned char>(number);
    }
    // Decimal, hexadecimal, both, with a point and a scale, and grouped hexadecimal lists.
    for (unsigned format : {1u, 2u, 3u, 16u, 17u, 0x202u, 0x402u}) {
        double d;
        float f;
        bool b;
        std::string s;
        std::vector<int> ints;
        std::vector<unsigned char> bytes;
        std::vector<double> doubles;
        tokens::convert_string_to(text, format, &d);
        tokens::convert_string_to(text, format, &f);
        tokens::convert_string_to(text, format, &b);
        tokens::convert_string_to(text, format, &s);
        tokens::convert_string_to(text, format, &ints);
        tokens::convert_string_to(text, format, &bytes);
        tokens::convert_string_to(text, format, &doubles);
        std::string out;
        tokens::convert_to_string(ints, format, &out);
        tokens::convert_to_string(bytes, format, &out);
    }
    tokens::SingleToken frequency("FREQ=", 17);
    tokens::SingleToken name("PLAN=", 1);
    tokens::MultiToken list("LIST=", 3);
    tokens::TokenContainer all;
    all.push_back(frequency);
    all.push_back(name);
    all.push_back(list);
    all.read(text);
    unsigned hz = 0;
    std::string plan;
    std::vector<unsigned> values;
    frequency.get_(&hz);
    name.get_(&plan);
    tokens::convert_string_to(list.value, 3, &values);
    std::vector<std::string> pieces;
    tokens::split(text, &pieces);
    tokens::find("CH", text);
    tokens::find_end_token(text, tokens::find_start_token("FREQ=", text, 0));
}

// The server, with what tests may do: hand it a connected descriptor, see its interpreters
// and their sockets (in the order it served them).
class FuzzServer : public SocketCalibrate {
public:
    FuzzServer() : SocketCalibrate(0, false, nullptr, QHostAddress::LocalHost) {}
    using SocketCalibrate::serve;
    std::vector<QPointer<Remote>> remotes;
    std::vector<QPointer<QTcpSocket>> sockets;

protected:
    Remote* createRemote(QTcpSocket* socket) override
    {
        Remote* remote = SocketCalibrate::createRemote(socket);
        remotes.emplace_back(remote);
        sockets.emplace_back(socket);
        return remote;
    }
};

struct Bench {
    ADF4360 fixed;
    ADF4350 oscillator;
    MAX11337 converter;
    std::unique_ptr<FuzzServer> server;
    std::shared_ptr<platform::sim::Pcf85263Model> clockChip;
    Bench()
    {
        clockChip = std::dynamic_pointer_cast<platform::sim::Pcf85263Model>(
            fuzzsupport::board().i2cModel(wiring::kClockAddress));
        if (!clockChip)
            fail("no clock chip on the board");
        // The unit's start-up order, then the engine the tune commands drive.
        fixed.init();
        oscillator.programaFreqPilot(0);
        setInitMesuraRF(&oscillator, &converter);
        max3543_Initialize();
        tmp100_Initialize();
        Measures::getInstance();
        fuzzsupport::hostEngineThreads();
        server = std::make_unique<FuzzServer>();
        if (!server->isListening())
            fail("the server does not listen");
    }
};

Bench& bench()
{
    static Bench b;
    return b;
}

// Where the inputs start tuned (a channel of the simulated network).
constexpr unsigned kStartHz = 602750000;

// What the remote commands set, as every input finds it: the system date and the clock
// chip as a fresh unit has them, the front end's tuning, attenuation, input circuit, filter
// and LNB supply at one start, and the serial number as the settings gave it. What one
// input set must not decide how the next one runs, or a failure would not replay from its
// input alone.
void startAsEveryInput()
{
    static const QString serialNumber = ScreensVariables::getInstance()->getScreensVariablesSerialNumber();
    fuzzsupport::board().virtualClock()->setWallTimeUs(platform::sim::VirtualClock::kDefaultWallStartUs);
    bench().clockChip->setDateTime(platform::sim::ClockDateTime{2026, 1, 1, 0, 0, 0, 0});
    setModeCircuit(0);
    Measures::getInstance()->setFilter(FILTER_WIDE);
    setAtenuador(0, true);
    setFrequencyHz(kStartHz);
    Measures::getInstance()->sintonizaFerquency(kStartHz);
    KxlDrvLibError ignored{};
    DrvTPS65233_HW_set_output_enable(&ignored, 0);
    DrvTPS65233_HW_set_internal_tone_enable(&ignored, 0);
    DrvTPS65233_HW_set_voltage(&ignored, 0);
    ScreensVariables::getInstance()->setScreensVariablesSerialNumber(serialNumber);
}

// What one input sends at most: the server then takes what one peer sent between two of its
// runs in one read, as the model below does.
constexpr int kMaxSent = 16000;
// How long the server may take for what it was sent: far more than any input needs (it runs
// on the virtual clock; only a lost answer or connection takes this long).
constexpr qint64 kMaxWaitMs = 10000;

// Bytes not yet taken by the server on its side of a connection (in the kernel and in Qt's
// buffer); 0 once the socket is gone.
qint64 untaken(const QPointer<QTcpSocket>& socket)
{
    if (!socket || !socket->isOpen())
        return 0;
    int inKernel = 0;
    if (::ioctl(static_cast<int>(socket->socketDescriptor()), FIONREAD, &inKernel) != 0)
        inKernel = 0;
    return socket->bytesAvailable() + inKernel;
}

// One peer: its end of the connection, what it sent since the server last ran (which the
// server takes in one read), the answers due and what it received.
struct Peer {
    int index = 0;
    int fd = -1;
    QPointer<QTcpSocket> serverSide;
    bool sending = true;
    bool open = true;
    QByteArray unread;
    LineFramer framer{Remote::MAX_LINE};
    int due = 0;
    QByteArray received;
    int answered = 0;
    int parsed = 0; // received up to here are whole answers
    bool ended = false;

    // What the server frames of the bytes it takes next: each line, and each overlong one,
    // is answered once.
    void serverTakes()
    {
        framer.feed(unread);
        unread.clear();
        QByteArray line;
        for (LineFramer::Framed f; (f = framer.next(&line)) != LineFramer::Framed::None; ++due) {
            if (f == LineFramer::Framed::Overflow)
                continue;
            const int end = line.size() - 1;
            if (line.isEmpty() || line.size() > Remote::MAX_LINE + 1 || (line.at(end) != '\r' && line.at(end) != '\n')
                || line.left(end).contains('\r') || line.left(end).contains('\n') || line.contains('\0'))
                fail("framed line " + QString::fromLatin1(line.toHex()));
        }
    }
    void receive()
    {
        if (fd < 0)
            return;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) {
                received.append(buffer, static_cast<int>(n));
                answered += countAnswers(received, &parsed);
                continue;
            }
            ended = ended || n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
            return;
        }
    }
    // Every answer due has come, and the server has taken all it was sent.
    bool settled() const { return !open || (answered == due && untaken(serverSide) == 0); }
    QString state() const
    {
        return QStringLiteral(" [peer %1 open %2 due %3 untaken %4 received %5 ended %6]")
            .arg(index).arg(open).arg(due).arg(untaken(serverSide)).arg(QString::fromLatin1(received.toHex())).arg(ended);
    }
};

// Each connection comes from another loopback address (127.0.0.2 to 127.0.0.251): a closed
// one waits out its TIME_WAIT on its own address, so thousands of inputs a minute do not use
// up the ports towards the server.
int connectToServer(unsigned short port)
{
    static uint32_t connections = 0;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK + 1 + connections++ % 250);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int one = 1;
    if (fd < 0 || ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one) != 0
        || ::setsockopt(fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one) != 0
        || ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0
        || testsupport::connectWaiting(fd, reinterpret_cast<sockaddr*>(&server), sizeof server) != 0)
        fail(QStringLiteral("no loopback connection (%1)").arg(QString::fromLocal8Bit(std::strerror(errno))));
    return fd;
}

// Lets the server run until cond holds.
void runServerUntil(std::vector<Peer>& peers, const std::function<bool()>& cond, const char* what)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < kMaxWaitMs) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (Peer& p : peers)
            if (p.open)
                p.receive();
        if (cond())
            return;
    }
    QString state;
    for (const Peer& p : peers)
        state += p.state();
    fail(QStringLiteral("the server did not %1:%2").arg(what).arg(state));
}

// Loopback TCP may still be carrying what was sent: the server must find it whole. How long
// the kernel takes depends on the machine's load, so the bound is real time, not a count.
void waitUntilArrived(const Peer& p)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (p.open && untaken(p.serverSide) < p.unread.size() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    if (p.open && untaken(p.serverSide) < p.unread.size())
        fail("loopback did not deliver" + p.state());
}

void answerWhatWasSent(std::vector<Peer>& peers)
{
    for (Peer& p : peers) {
        waitUntilArrived(p);
        p.serverTakes();
    }
    runServerUntil(peers, [&] { return std::all_of(peers.begin(), peers.end(), [](const Peer& p) { return p.settled(); }); },
                   "answer every line");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzzsupport::start(argc, argv);
    bench();
    fuzzsupport::forgetRecords();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzsupport::Input in(data, size);
    const uint8_t config = in.byte();
    const int sendSize = 1 + (config & 0x3F);
    const QByteArray input = in.bytes(kMaxSent);
    numbersAndTokens(input.toStdString());
    startAsEveryInput();

    // The first peer comes through the listening socket, the others are handed over.
    FuzzServer& server = *bench().server;
    std::vector<Peer> peers(1 + (config >> 6));
    peers[0].fd = connectToServer(server.serverPort());
    runServerUntil(peers, [&] { return server.peerCount() == 1; }, "accept a connection");
    for (size_t i = 1; i < peers.size(); ++i) {
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0 || !server.serve(pair[1]))
            fail("no socket pair served");
        peers[i].fd = pair[0];
    }
    if (server.sockets.size() != peers.size())
        fail("not every peer has its interpreter");
    for (size_t i = 0; i < peers.size(); ++i) {
        peers[i].index = static_cast<int>(i);
        peers[i].serverSide = server.sockets[i];
    }

    size_t current = 0;
    bool piling = false;
    QByteArray chunk;
    const auto sendChunk = [&] {
        Peer& p = peers[current];
        for (int at = 0; at < chunk.size() && p.sending;) {
            const ssize_t n = common::retryInterrupted(::send, p.fd, chunk.constData() + at,
                                                       static_cast<size_t>(chunk.size() - at), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0) {
                p.unread += chunk.mid(at, static_cast<int>(n));
                at += static_cast<int>(n);
            } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && piling) {
                answerWhatWasSent(peers); // the connection is full of piled-up sends
            } else {
                fail(QStringLiteral("peer %1 cannot send (%2)").arg(p.index).arg(errno));
            }
        }
        if (!chunk.isEmpty() && p.sending && !piling)
            answerWhatWasSent(peers);
        chunk.clear();
    };
    for (int i = 0; i < input.size(); ++i) {
        const auto byte = static_cast<uint8_t>(input.at(i));
        const bool control = byte == 0xFF && !(i + 1 < input.size() && static_cast<uint8_t>(input.at(i + 1)) == 0xFF);
        if (!control) {
            i += byte == 0xFF ? 1 : 0;
            chunk += static_cast<char>(byte);
            if (chunk.size() == sendSize)
                sendChunk();
            continue;
        }
        sendChunk();
        const uint8_t what = i + 1 < input.size() ? static_cast<uint8_t>(input.at(++i)) : 0;
        Peer& p = peers[current];
        switch (what & 3) {
        case 0: current = (what >> 2) % peers.size(); break;
        case 1:
            if (p.sending && ::shutdown(p.fd, SHUT_WR) == 0)
                p.sending = false;
            break;
        case 2:
            if (p.open) {
                ::close(p.fd);
                p.open = p.sending = false;
            }
            break;
        case 3:
            piling = !piling;
            if (!piling)
                answerWhatWasSent(peers);
            break;
        }
    }
    sendChunk();
    piling = false;
    answerWhatWasSent(peers);

    // Every peer closes its sending side, as a piped script does: it gets the rest of its
    // answers, then the server closes the connection and keeps nothing of it.
    for (Peer& p : peers)
        if (p.open && p.sending)
            ::shutdown(p.fd, SHUT_WR);
    runServerUntil(peers, [&] {
        return server.peerCount() == 0 && std::all_of(peers.begin(), peers.end(), [](const Peer& p) { return !p.open || p.ended; })
            && std::all_of(server.remotes.begin(), server.remotes.end(), [](const QPointer<Remote>& r) { return r.isNull(); });
    }, "close every connection");
    for (const Peer& p : peers) {
        if (!p.open)
            continue;
        if (p.answered != p.due || p.parsed != p.received.size())
            fail("answers at the end:" + p.state());
        ::close(p.fd);
    }
    server.remotes.clear();
    server.sockets.clear();
    fuzzsupport::forgetRecords();
    return 0;
}

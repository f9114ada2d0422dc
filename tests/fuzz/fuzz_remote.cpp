// The remote interpreter under libFuzzer: an input is what a peer sends, cut into reads of
// the sizes its first byte says. Each framed line runs through the instrument's own
// command table on the simulated unit, and every answer must be framed as the protocol
// says. The same text also goes through the parameter tokens and every number format.
#include "FuzzSupport.h"

#include "hw/ADF4350.h"
#include "hw/ADF4360.h"
#include "hw/MAX11337.h"
#include "hw/drvMAX3543.h"
#include "hw/tmp100.h"
#include "remote/lineFramer.h"
#include "remote/peerWriter.h"
#include "remote/remote.h"
#include "remote/tokens.h"
#include "engines/measures.h"
#include "rf/mesuraRF.h"

#include <QCoreApplication>

#include <cerrno>
#include <sys/socket.h>
#include <unistd.h>

using fuzzsupport::fail;

namespace {

// The answer to one line: XOFF, ACK or NAK, for a query with data its reply line, XON.
void checkAnswer(const QByteArray& a, const QByteArray& line)
{
    const auto is = [&](int i, int byte) { return i < a.size() && static_cast<unsigned char>(a.at(i)) == byte; };
    const bool framed = a.size() >= 3 && is(0, RemoteProtocol::XOFF) && is(a.size() - 1, RemoteProtocol::XON)
        && ((is(1, RemoteProtocol::NAK) && a.size() == 3)
            || (is(1, RemoteProtocol::ACK) && (a.size() == 3 || is(a.size() - 2, RemoteProtocol::CR))));
    if (!framed)
        fail("answer " + QString::fromLatin1(a.toHex()) + " to line " + QString::fromLatin1(line.toHex()));
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

void numbersAndTokens(const std::string& text)
{
    checkNumber<int>(text);
    checkNumber<unsigned>(text);
    checkNumber<short>(text);
    checkNumber<unsigned char>(text);
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

struct Bench {
    ADF4360 fixed;
    ADF4350 oscillator;
    MAX11337 converter;
    int answerFd = -1; // what the interpreter sends arrives here
    int sendFd = -1;
    Bench()
    {
        // The unit's start-up order, then the engine the tune commands drive.
        fixed.init();
        oscillator.programaFreqPilot(0);
        setInitMesuraRF(&oscillator, &converter);
        max3543_Initialize();
        tmp100_Initialize();
        Measures::getInstance();
        fuzzsupport::hostEngineThreads();
        int pair[2];
        if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0)
            fail("no socket pair");
        answerFd = pair[0];
        sendFd = pair[1];
    }
    QByteArray takeAnswer()
    {
        QCoreApplication::processEvents();
        QByteArray got;
        char buffer[4096];
        for (ssize_t n; (n = ::recv(answerFd, buffer, sizeof buffer, 0)) > 0;)
            got.append(buffer, static_cast<int>(n));
        return got;
    }
};

Bench& bench()
{
    static Bench b;
    return b;
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
    const int readSize = 1 + in.byte() % 64;
    const QByteArray sent = in.rest();
    numbersAndTokens(sent.toStdString());

    Remote remote(nullptr);
    PeerWriter* writer = PeerWriter::create(bench().sendFd, nullptr);
    remote.setWriter(writer);
    LineFramer framer(Remote::MAX_LINE);
    for (int at = 0; at < sent.size(); at += readSize) {
        framer.feed(sent.mid(at, readSize));
        QByteArray line;
        for (LineFramer::Framed f; (f = framer.next(&line)) != LineFramer::Framed::None;) {
            if (f == LineFramer::Framed::Overflow)
                continue;
            const int end = line.size() - 1;
            if (line.isEmpty() || line.size() > Remote::MAX_LINE + 1 || (line.at(end) != '\r' && line.at(end) != '\n')
                || line.left(end).contains('\r') || line.left(end).contains('\n') || line.contains('\0'))
                fail("framed line " + QString::fromLatin1(line.toHex()));
            remote.execute(line.constData(), false, RemoteCmdSources::Network);
            checkAnswer(bench().takeAnswer(), line);
        }
    }
    delete writer;
    fuzzsupport::forgetRecords();
    return 0;
}

// The modem's text path under libFuzzer: an input is what the modem sends, cut into serial
// bursts of the sizes its first byte says. It goes through the serial line's buffers, the
// frame handler, every reply decoder and text reader, and every step machine and test of the
// engine that waits for a reply, the modem answering each wait with the input (a ping's
// output it gives once, as a modem does). A decoder or a machine that lands joins with one
// row of its table below.
#include "FuzzSupport.h"

#include "common/BoardWiring.h"
#include "cablemodem/cableModen.h"
#include "engines/mesuraCM.h"
#include "cablemodem/handlerCableModem.h"
#include "cablemodem/modemConstellation.h"
#include "cablemodem/modemDecoders30.h"
#include "cablemodem/modemDecoders31.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemPathReplies.h"
#include "cablemodem/modemSteps30.h"
#include "cablemodem/modemStores.h"
#include "cablemodem/serialPort.h"
#include "platform/sim/CableModemModel.h"
#include "platform/sim/PseudoTerminal.h"
#include "platform/sim/VirtualClock.h"
#include "store/screensvariables.h"

#include <QStringList>

#include <cstring>
#include <iterator>

using fuzzsupport::fail;

namespace {

QString latin1(const QByteArray& text) { return QString::fromLatin1(text); }

// The collected reply, as the frame handler leaves it for a decoder.
void reply(const QByteArray& text)
{
    getStringBufferTrames();
    takeInReplyPart(QString::fromLatin1(text));
}

// Every reader of a modem reply: the collected text is the input's.
struct TextReader {
    const char* name;
    void (*read)(const QByteArray& text);
};

const TextReader kReaders[] = {
    {"PHY status", [](const QByteArray& t) { reply(t); decodeDownStream(0); }},
    {"BER after the PHY status", [](const QByteArray& t) { reply(t); decodeBer(0); }},
    {"upstream", [](const QByteArray& t) { reply(t); decodeUpStream(); }},
    {"IP", [](const QByteArray& t) { reply(t); decodeIP(); }},
    {"MAC", [](const QByteArray& t) { reply(t); decodificaAddressCMACPx26(GetAddressCMAC()); }},
    {"firmware", [](const QByteArray& t) { char out[MODEM_FIRMWARE_TEXT_SIZE]; reply(t); decodeCMFirmVersionPx37(out); }},
    {"version", [](const QByteArray& t) { char out[MODEM_VERSION_TEXT_SIZE]; reply(t); decodificaCableModemVersion(out); }},
    {"DOCSIS mode", [](const QByteArray& t) { reply(t); DecodeDocsisMode(); }},
    {"registration state", [](const QByteArray& t) { reply(t); cmStateLevel(GetBufferTrames()); }},
    {"marker", [](const QByteArray& t) { reply(t); TramaCM(QStringLiteral("mainMenu>")); }},
    {"value after a label", [](const QByteArray& t) { ExtreuCadena(t.constData(), "IP Address ="); }},
    {"address", [](const QByteArray& t) { IP2int(t.constData()); }},
    {"3.0 constellation", [](const QByteArray& t) { iqDump30(latin1(t)); }},
    {"3.1 tuner constellation", [](const QByteArray& t) { tunerConstellation31(latin1(t)); }},
    {"3.1 OFDM constellation", [](const QByteArray& t) { ofdmConstellation31(latin1(t)); }},
    {"3.1 modulation", [](const QByteArray& t) { qamOrderOfText(latin1(t)); bitsPerSymbolOfText(latin1(t)); }},
    {"3.1 BER", [](const QByteArray& t) { berStatus31(latin1(t), {{"sr", 5361}, {"modulation", "QAM 256"}}); }},
    {"3.1 identity", [](const QByteArray& t) { vendorInformation31(latin1(t)); }},
    {"3.1 IP", [](const QByteArray& t) { ipInformation31(latin1(t)); ipList31(latin1(t)); }},
    {"3.1 PHY status", [](const QByteArray& t) { phyStatus31(latin1(t), 3); }},
    {"3.1 upstream table", [](const QByteArray& t) { upstreamTable31(latin1(t)); }},
    {"3.1 upstream status", [](const QByteArray& t) { upstreamStatus31(latin1(t)); }},
    {"3.1 downstream status", [](const QByteArray& t) { downstreamStatus31(latin1(t)); }},
    {"3.1 OFDM lock", [](const QByteArray& t) { ofdmChannelUnlocked(latin1(t), 1); }},
    {"3.1 OFDM information", [](const QByteArray& t) { ofdmInfo31(latin1(t)); }},
    {"3.1 OFDM width",
     [](const QByteArray& t) {
         const QStringList lines = latin1(t).split('\n');
         ofdmBandwidthText(lines.value(0), lines.value(1));
     }},
    {"3.1 RxMER", [](const QByteArray& t) { merSamples31(latin1(t)); }},
    {"3.1 frequency response",
     [](const QByteArray& t) {
         int thousandths = 0;
         frequencyResponse31(latin1(t), "Average:", &thousandths);
     }},
    {"3.1 profile codewords",
     [](const QByteArray& t) {
         QString corrected, uncorrectable;
         profileCodewords31(latin1(t), &corrected, &uncorrectable);
     }},
    {"ping reply", [](const QByteArray& t) { decodePingReply(latin1(t)); pingFinished(latin1(t)); }},
    {"route trace hop", [](const QByteArray& t) { decodeTraceHop(latin1(t), 1); decodeTraceHop(latin1(t), 12); }},
    {"engine: value after a label",
     [](const QByteArray& t) { MesuraCM::getInstance()->buscarStringRetornaValor("Automatic startup:", latin1(t)); }},
    {"engine: text between", [](const QByteArray& t) { MesuraCM::getInstance()->extraer_dadas(latin1(t), ":", "\n"); }},
    {"engine: modulation", [](const QByteArray& t) { MesuraCM::getInstance()->getBitsSymbol_from_string(latin1(t)); }},
    {"engine: OFDM width",
     [](const QByteArray& t) {
         const QStringList lines = latin1(t).split('\n');
         MesuraCM::getInstance()->calculoBandwidthOFDM_3_1(lines.value(0), lines.value(1));
     }},
};

constexpr int kStepsPerMachine = 16;
// A ping run: its service flow, the pings asked, and the 10 s its replies may take.
constexpr int kStepsPerPingRun = 40;
constexpr int kBetweenStepsMs = 250;
constexpr int kAnswersPerMachine = 100;
// Enough for each test to reach its reports after its settling pauses (the generator's
// restart alone waits 30 s).
constexpr int kAnswersPerTest = 500;

MesuraCM& engine() { return *MesuraCM::getInstance(); }

// The channel the 3.0 tests tune to, as the seeds' replies name it.
constexpr unsigned kFrequencyHz = 602000000;
// Where the path tests ping and trace to, as the seeds' replies name them.
constexpr uint kPingTarget = 0xC0A80101;  // 192.168.1.1
constexpr uint kTraceTarget = 0x08080808; // 8.8.8.8

// Every step machine that waits for a reply: restarted, then stepped, the input's text
// arriving after each step as well.
struct StepMachine {
    const char* name;
    int (*step)(int run); // run 0 restarts
    int advance;          // the run value that moves it on
    int steps = kStepsPerMachine;
};

// A VoIP or IPTV test restarted as the engine's reset does (in full, then with the path test
// on): restarted with 0 it skips the path test, so its pings and trace never run inside it.
template <int (MesuraCM::*test)(int)>
int withPathTest(int run)
{
    if (run == 0)
        (engine().*test)(4);
    return (engine().*test)(run == 0 ? 72 : run);
}

const StepMachine kMachines[] = {
    {"upstream query", decodificaUpstream, 1},
    {"MAC query", decodifica_MAC, 1},
    {"firmware query", decodifica_VesionFirmware, 1},
    {"DOCSIS mode query", DecodificaDocsisMode, 1},
    {"registration state", [](int run) { return GetCMStatus(run, 2000); }, 1},
    {"readiness", GetModemReady, 64},
    {"tuning", [](int run) { return sintonitzaFrequenciaCableModem(run, 1, 602000000); }, 1},
    {"upstream burst", [](int run) { return mesuraSendUpstream(run, 30e6); }, 64},
    {"3.0 upstream generator", [](int run) { return engine().mesuraSweepGenerador(run); }, 64},
    {"VoIP pings",
     [](int run) {
         if (run == 0)
             engine().initVoIP(kPingTarget, 64, 4, 200, 20000, 1, 800, "G711", 1);
         return engine().mesurarPingUGS(run);
     },
     64, kStepsPerPingRun},
    {"VoIP test", [](int run) { return engine().mesuraOnChannelVoIP(run); }, 64},
    {"IPTV trace",
     [](int run) {
         if (run == 0)
             engine().initIPTV(kTraceTarget, 1000, 1);
         return engine().mesurarTraceRPTS(run);
     },
     64},
    {"IPTV test", [](int run) { return engine().mesuraOnChannelIPTV(run); }, 64},
    {"VoIP test, path test on", withPathTest<&MesuraCM::mesuraOnChannelVoIP>, 64, kStepsPerPingRun},
    {"IPTV test, path test on", withPathTest<&MesuraCM::mesuraOnChannelIPTV>, 64},
};

// The engine's tests that hold the pass until they end (each waits seconds of board time
// for its modem): one per input, the one its first byte picks, run until the modem's
// answers run out and the test is stopped.
struct EngineTest {
    const char* name;
    void (*run)();
};

template <void (MesuraCM::*test)()>
void pass()
{
    (engine().*test)();
}

// A DOCSIS 3.0 test as the screens start it: chosen, then the engine's passes (each a step
// of it) until it ends by itself or is stopped.
template <int code>
void passes()
{
    engine().init(kFrequencyHz, code);
    while (engine().measureCode() == code && engine().runPass()) {
    }
}

const EngineTest kTests[] = {
    {"3.1 upstream generator",
     [] {
         // The restart into the production test mode, then one set-up.
         engine().mesuraSweepGenerador_31(0);
         engine().mesuraSweepGenerador_31(64);
         engine().mesuraSweepGenerador_31(64);
     }},
    {"3.1 registration", pass<&MesuraCM::mesura_on_channel_registrat_31>},
    {"3.1 registration, OFDM", pass<&MesuraCM::mesura_on_channel_registrat_31_signal_31>},
    {"3.1 ranging", pass<&MesuraCM::mesura_ranging_31>},
    {"3.1 ranging, OFDM", pass<&MesuraCM::mesura_ranging_31_signal_31>},
    {"3.1 downstream analysis", pass<&MesuraCM::mesura_cm_iq_31>},
    {"3.1 downstream analysis, OFDM", pass<&MesuraCM::mesura_cm_iq_31_signal_31>},
    {"3.0 registration", passes<QML_CM_REGISTER_ON_CHANNEL>},
    {"3.0 ranging", passes<QML_CM_RANGING>},
    {"3.0 constellation", passes<QML_CM_IQ>},
    {"3.0 registration, stand-alone machines",
     [] {
         engine().setMesuraCM(QML_CM_REGISTER_ON_CHANNEL);
         engine().startPass();
         while (engine().isNonStopMesures())
             engine().mesura_on_channel_registrat();
     }},
};

// The modem while a machine runs: whenever the machine waits (board time moves, by at most
// 100 ms at a time) the input's text arrives again; but once asked for a ping, it gives the
// input once and then nothing until it is asked something else, so that a ping run meets
// the end of its replies (lost pings, a summary, or none: the time-out). After a number of
// answers the test is stopped, as the user would stop it, so that none runs on for ever.
class AnsweringModem {
public:
    AnsweringModem()
    {
        // The board's own modem model stays silent: an answer it owes nobody would hold
        // every wait of board time while it powers up.
        fuzzsupport::board().faults().fail(platform::sim::CableModemModel::device(), platform::sim::kRead);
        // The modem's line ends here instead, so that what the instrument asks is seen.
        fuzzsupport::board().attachSerial(wiring::kModemSerialDevice, line_.slavePath());
        setInitModem(&port_);
        fuzzsupport::board().virtualClock()->attachPeer({nullptr, [this] {
                                                              if (!answering_)
                                                                  return;
                                                              say();
                                                              if (--left_ == 0)
                                                                  engine().aturar();
                                                          }});
    }
    // The input, unless the modem has said all it had to.
    void say()
    {
        std::string asked;
        while (line_.readMaster(&asked, 0) > 0) {
        }
        if (!asked.empty()) {
            afterPing_ = QByteArray::fromStdString(asked).trimmed().split('\r').last().contains("ping ");
            saidOnce_ = false;
        }
        if (!answering_ || saidOnce_)
            return;
        takeInReplyPart(text_);
        saidOnce_ = afterPing_;
    }
    void start(const QString& text, int answers)
    {
        // The line opens as the engine's start-up opens it, by powering the modem (again
        // after a test powered it off).
        if (!isSerialPortCableModemOpen())
            power_ON_CableModem();
        afterPing_ = saidOnce_ = false;
        text_ = text;
        left_ = answers;
        engine().startPass();
        answering_ = true;
    }
    void stop()
    {
        answering_ = false;
        engine().aturar();
    }

private:
    platform::sim::PseudoTerminal line_;
    SerialPort port_{nullptr, nullptr};
    QString text_;
    int left_ = 0;
    bool answering_ = false;
    bool afterPing_ = false;
    bool saidOnce_ = false;
};

// The serial line's buffer keeps the last bytes written, at most its size, until drained.
void serialBuffers(SerialPort& port, const QByteArray& sent, int burst)
{
    QByteArray written;
    static char drained[SerialPort::kBufferSize + 1];
    port.resetCircularBuffer();
    for (int at = 0; at < sent.size(); at += burst) {
        const QByteArray chunk = sent.mid(at, burst);
        port.writeCircularBuffer(chunk.constData(), chunk.size());
        written += chunk;
        if (chunk.size() % 3 == 0) {
            port.readTamaCircularBuffer(drained);
            const QByteArray expected = written.right(SerialPort::kBufferSize);
            if (std::memcmp(drained, expected.constData(), static_cast<size_t>(expected.size())) != 0)
                fail("the serial buffer lost or reordered bytes");
            written.clear();
        }
    }
    static unsigned char second[SerialPort::kBufferSize];
    port.readCircularBuffer(second);
    while (port.GetCharFromBufferR() != 0) {
    }
    port.InitBufTrames();
}

// What the frame handler passes on, and what it keeps waiting, is what came, in order.
void frames(const QByteArray& sent, int burst)
{
    HandlerCableModem handler(nullptr, nullptr);
    QString passed;
    QString came; // a frame ends at a NUL, as the serial line's frames do
    QObject::connect(&handler, &HandlerCableModem::copyRellenar, [&](const QString& part) { passed += part; });
    for (int at = 0; at < sent.size(); at += burst) {
        const QString frame = QString::fromLatin1(sent.mid(at, burst));
        came += frame;
        handler.takeInFrame(frame);
    }
    if (came.size() <= MODEM_REPLY_LIMIT && passed + handler.pendingText() != came)
        fail("the frame handler lost or reordered text");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzzsupport::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static SerialPort port(nullptr, nullptr);
    fuzzsupport::Input in(data, size);
    const int burst = 1 + in.byte() % 256;
    const QByteArray text = in.rest();

    serialBuffers(port, text, burst);
    frames(text, burst);
    for (const TextReader& r : kReaders)
        r.read(text);
    static AnsweringModem modem;
    // The 3.1 generator's carrier and mode and the OFDM channel the tests report, from the
    // first byte's low bits; the test run, from its high bits.
    ScreensVariables* settings = ScreensVariables::getInstance();
    settings->setValue("up_test_docsis_mode", burst & 1);
    settings->setValue("up_test_mode", (burst >> 1) & 1);
    settings->setValue("rf_on", (burst >> 2) & 1);
    settings->setValue("cable_modem_ofdm_ds", (burst >> 3) & 1);
    settings->setValue("frequency", kFrequencyHz);
    const QString answer = QString::fromLatin1(text);
    for (const StepMachine& m : kMachines) {
        modem.start(answer, kAnswersPerMachine);
        m.step(0);
        for (int i = 0; i < m.steps; ++i) {
            m.step(m.advance);
            modem.say();
            // The engine's passes come a while apart; settling pauses run out meanwhile.
            modemPauseMs(kBetweenStepsMs);
        }
        modem.stop();
    }
    modem.start(answer, kAnswersPerTest);
    kTests[(burst >> 4) % std::size(kTests)].run();
    modem.stop();
    getStringBufferTrames();
    fuzzsupport::forgetRecords();
    return 0;
}

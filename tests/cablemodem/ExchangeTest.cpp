// The reply accumulator's cut and markers, the runners in virtual time, and the
// readers that take values out of a reply.
#include "ModemTestSupport.h"

#include "cablemodem/handlerCableModem.h"
#include "cablemodem/engine/mesuraCM.h"
#include "cablemodem/modemExchange.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <cstring>
#include <termios.h>

using namespace modemtest;

namespace {

// A handler on the module's accumulator; frames are given to it directly.
struct Accumulator {
    QMutex mutex;
    QWaitCondition condition;
    HandlerCableModem handler{&mutex, &condition};
    Accumulator() { getStringBufferTrames(); }
};

// Hands a frame over from the event loop, as the serial reader's queued signal does.
void frameLater(HandlerCableModem& handler, const QString& frame, int afterMs = 0)
{
    QTimer::singleShot(afterMs, &handler, [&handler, frame] { handler.takeInFrame(frame); });
}

} // namespace

TEST(ReplyAccumulator, CollectsOnlyTextClosedByALineEndOrPrompt)
{
    Accumulator a;
    SetCadenaAnalitzar1("");
    a.handler.takeInFrame("abc");
    EXPECT_FALSE(GetCondicio1());
    EXPECT_EQ(getStringBufferTrames(), "");
    a.handler.takeInFrame("def\n");
    EXPECT_TRUE(GetCondicio1());
    EXPECT_EQ(getStringBufferTrames(), "abcdef\n");

    a.handler.takeInFrame("x>y");
    EXPECT_EQ(a.handler.pendingText(), "y");
    EXPECT_EQ(a.handler.lastPart(), "x>");
    EXPECT_EQ(getStringBufferTrames(), "x>");
    a.handler.takeInFrame("#");
    EXPECT_EQ(getStringBufferTrames(), "y#");
}

TEST(ReplyAccumulator, SeesAMarkerOnlyWhollyInsideOneClosedPart)
{
    Accumulator a;
    SetCadenaAnalitzar1("\n#");
    a.handler.takeInFrame("reply\n");
    a.handler.takeInFrame("#");
    EXPECT_FALSE(GetCondicio1());
    a.handler.takeInFrame("x\n#");
    EXPECT_TRUE(GetCondicio1());

    // A prompt marker is seen as soon as its last character arrives.
    SetCadenaAnalitzar1("mainMenu>");
    SetCadenaAnalitzar2("docsis>");
    a.handler.takeInFrame("main");
    EXPECT_FALSE(GetCondicio1());
    a.handler.takeInFrame("Menu>");
    EXPECT_TRUE(GetCondicio1());
    EXPECT_FALSE(GetCondicio2());
    // Flags stay set until a new marker is set.
    a.handler.takeInFrame("other\n");
    EXPECT_TRUE(GetCondicio1());
    SetCadenaAnalitzar1("mainMenu>");
    EXPECT_FALSE(GetCondicio1());
}

TEST(ReplyAccumulator, LongMarkersMatchWholeNotByTheirFirst49Characters)
{
    Accumulator a;
    const QString command = QString(60, 'c') + ">";
    SetCadenaAnalitzar1(command);
    a.handler.takeInFrame(QString(49, 'c') + ">");
    EXPECT_FALSE(GetCondicio1());
    a.handler.takeInFrame(command);
    EXPECT_TRUE(GetCondicio1());
}

TEST(ReplyAccumulator, StaysBoundedOnLongAndUnclosedText)
{
    Accumulator a;
    // At 12001 characters, a part of 10 drops the first 10 before it is appended.
    a.handler.takeInFrame(QString(12000, 'a') + "\n");
    a.handler.takeInFrame("0123456789");
    a.handler.takeInFrame("\n");
    QString text = getStringBufferTrames();
    EXPECT_EQ(text.size(), 12001);
    EXPECT_EQ(text.right(11), "0123456789\n");

    a.handler.takeInFrame(QString(12000, 'b') + "\n");
    a.handler.takeInFrame("tail\n");
    const char* copy = GetBufferTrames();
    EXPECT_EQ(std::strlen(copy), 12000u);
    EXPECT_EQ(getStringBufferTrames(), ""); // taken out

    // Text that never closes keeps its newest 12000 characters only.
    for (int i = 0; i < 5; ++i)
        a.handler.takeInFrame(QString(10000, 'n'));
    EXPECT_EQ(a.handler.pendingText().size(), 12000);
    a.handler.takeInFrame("\n");
    EXPECT_EQ(getStringBufferTrames().size(), 12001);
}

TEST(ReplyAccumulator, TramaCMTakesTheTextOut)
{
    Accumulator a;
    a.handler.takeInFrame("CM status is OPERATIONAL\nmainMenu>");
    EXPECT_EQ(TramaCM("OPERATIONAL"), 1);
    EXPECT_EQ(TramaCM("OPERATIONAL"), 0);
}

TEST(ModemRunners, BlockingRunnerEndsOnMarkerTimeOutOrStop)
{
    PortFixture f;
    ASSERT_EQ(f.port().initPort(B115200, portName), 0);
    Accumulator a;
    MesuraCM* engine = MesuraCM::getInstance();
    engine->startPass();

    uint64_t t0 = f.clock().monotonicMs();
    frameLater(a.handler, "\r\nmainMenu>");
    EXPECT_EQ(engine->envia_cadena_modem("\r", "mainMenu>", 500), 1);
    EXPECT_EQ(f.clock().monotonicMs() - t0, 100u);
    EXPECT_EQ(f.written(), "\r");

    // No marker: the runner gives up on the first check past the time-out.
    t0 = f.clock().monotonicMs();
    EXPECT_EQ(engine->envia_cadena_modem("doc/cms\r", "mainMenu>", 500), 0);
    EXPECT_EQ(f.clock().monotonicMs() - t0, 600u);

    // The short form awaits any line for 100 ms.
    t0 = f.clock().monotonicMs();
    EXPECT_EQ(engine->envia_cadena_modem("\r"), 0);
    EXPECT_EQ(f.clock().monotonicMs() - t0, 200u);

    // A stop ends a long wait at the next slice.
    t0 = f.clock().monotonicMs();
    QTimer::singleShot(0, [engine] { engine->aturar(); });
    EXPECT_EQ(engine->envia_cadena_modem("reboot\r", "reboot_request", 30000), 0);
    EXPECT_EQ(f.clock().monotonicMs() - t0, 100u);
}

TEST(ModemRunners, TwoConditionRunnerTellsWhichMarkerCameAndIgnoresStops)
{
    PortFixture f;
    ASSERT_EQ(f.port().initPort(B115200, portName), 0);
    Accumulator a;
    MesuraCM::getInstance()->aturar();

    frameLater(a.handler, "\r\n#");
    EXPECT_EQ(envia_cadena_modem_two_conditions("\r", "mainMenu>", "\n#", 1000), 2);
    frameLater(a.handler, "\r\nmainMenu>\r\n#");
    EXPECT_EQ(envia_cadena_modem_two_conditions("\r", "mainMenu>", "\n#", 1000), 1);
    const uint64_t t0 = f.clock().monotonicMs();
    EXPECT_EQ(envia_cadena_modem_two_conditions("\r", "mainMenu>", "\n#", 1000), -1);
    EXPECT_EQ(f.clock().monotonicMs() - t0, 1100u);
}

TEST(ModemRunners, StepExchangeSendsOnceAndRetriesAfterATimeOut)
{
    PortFixture f;
    ASSERT_EQ(f.port().initPort(B115200, portName), 0);
    Accumulator a;
    EXPECT_EQ(sendModemCommand("docsis", 1, 1000), 100);
    EXPECT_EQ(f.written(), "docsis\r");
    EXPECT_EQ(sendModemCommand("docsis", 1, 1000), 100);
    a.handler.takeInFrame("docsis>");
    EXPECT_EQ(sendModemCommand("docsis", 1, 1000), 100);
    EXPECT_EQ(sendModemCommand("docsis", 1, 1000), 0);
    EXPECT_EQ(sendModemCommand("docsis", 1, 1000), 0);
    EXPECT_EQ(f.written(), "");

    // Mode 0 awaits the main prompt; no answer in time gives -1, then a resend.
    EXPECT_EQ(sendModemCommand("exit", 0, 1000), 100);
    f.clock().advanceMs(1001);
    EXPECT_EQ(sendModemCommand("exit", 0, 1000), 100);
    EXPECT_EQ(sendModemCommand("exit", 0, 1000), -1);
    EXPECT_EQ(sendModemCommand("exit", 0, 1000), 100);
    EXPECT_EQ(f.written(), "exit\rexit\r");
}

TEST(ReplyReaders, LabelValues)
{
    MesuraCM* m = MesuraCM::getInstance();
    EXPECT_EQ(m->buscarStringRetornaValor("IP Address:", "x IP Address:  10.1.2.3  \ny"), "10.1.2.3");
    EXPECT_EQ(m->buscarStringRetornaValor("IP Address:", "IP Address:  10.1.2.3  \r\n"), "10.1.2.3");
    EXPECT_EQ(m->buscarStringRetornaValor("IP Address:", "a IP Address:"), "");
    EXPECT_EQ(m->buscarStringRetornaValor("IP Address:", "IP Address:  10.1  2.3 "), "  10.1  2.3 ");
    // An empty value ends at its line end, in either line ending.
    EXPECT_EQ(m->buscarStringRetornaValor("IP Address:", "IP Address:\nnext"), "");
    EXPECT_EQ(m->buscarStringRetornaValor("IP Address:", "IP Address:\r\nnext"), "");
    EXPECT_EQ(m->buscarStringRetornaValor("Gateway:", "IP Address: 1\n"), "");

    const QVariantMap values =
        m->buscarListaStringRetornaValores({"A:", "B:", "A:", "C:"}, "A: one\nB:   two  words \nD: x\n");
    EXPECT_EQ(values.size(), 2);
    EXPECT_EQ(values.value("A:").toString(), "one");
    EXPECT_EQ(values.value("B:").toString(), "two words");
    EXPECT_FALSE(values.contains("C:"));

    EXPECT_EQ(m->extraer_dadas("a(1,2)b", "(", ")"), "1,2");
    EXPECT_EQ(m->extraer_dadas("a(1,2", "(", ")"), "");
    EXPECT_EQ(m->extraer_dadas("a 1,2)", "(", ")"), "");
    EXPECT_TRUE(m->isTextInCadena("CM status is OPERATIONAL", "OPERATIONAL"));
    EXPECT_FALSE(m->isTextInCadena("CM status", "operational"));
}

TEST(ReplyReaders, FixedBufferValuesStayBounded)
{
    EXPECT_STREQ(ExtreuCadena("IP Address = 10.1.2.3\nnext", "IP Address ="), "10.1.2.3");
    EXPECT_STREQ(ExtreuCadena("Physical Address = 00:11:22:33:44:55\r\n", "Physical Address ="),
                 "00:11:22:33:44:55");
    EXPECT_STREQ(ExtreuCadena("text ends at the label =", "label ="), "");
    EXPECT_STREQ(ExtreuCadena("IP Address =\nSubnet Mask = 1", "IP Address ="), "");
    EXPECT_STREQ(ExtreuCadena("no such thing", "label ="), "");
    const std::string long_ = "File: " + std::string(80, 'f') + "\n";
    EXPECT_EQ(std::string(ExtreuCadena(long_.c_str(), "File:")), std::string(49, 'f'));
}

TEST(ReplyReaders, DottedAddresses)
{
    EXPECT_EQ(IP2int("10.0.0.1"), 10u * (1u << 24) + 1u);
    EXPECT_EQ(IP2int("192.168.100.1\r"), 0xC0A86401u);
    EXPECT_EQ(IP2int("10.0.0"), 0u);
    EXPECT_EQ(IP2int("256.0.0.1"), 0u);
    EXPECT_EQ(IP2int("10.0.x.1"), 0u);
    EXPECT_EQ(IP2int("---.---.---.---"), 0u);
    EXPECT_EQ(IP2int("1.10.0.0.1"), 10u * (1u << 24) + 1u);
    EXPECT_STREQ(Int2IP(10 * (1 << 24) + 1), "010.000.000.001");
    EXPECT_STREQ(Int2IP(static_cast<int>(0xFFFFFFFFu)), "255.255.255.255");
}

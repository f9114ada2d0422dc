// The reply accumulator's cut and markers, the runners in virtual time, and the
// readers that take values out of a reply.
#include "ModemTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <termios.h>

using namespace modemtest;

TEST(ReplyAccumulator, ClosedPartsWholeMarkersAndBounds)
{
    QMutex mutex;
    QWaitCondition condition;
    HandlerCableModem handler(&mutex, &condition);
    getStringBufferTrames();
    // Only text closed by a line end or a prompt character is collected.
    SetCadenaAnalitzar1("");
    handler.takeInFrame("abc");
    EXPECT_FALSE(GetCondicio1());
    EXPECT_EQ(getStringBufferTrames(), "");
    handler.takeInFrame("def\n");
    EXPECT_TRUE(GetCondicio1());
    EXPECT_EQ(getStringBufferTrames(), "abcdef\n");
    handler.takeInFrame("x>y");
    EXPECT_EQ(handler.pendingText(), "y");
    EXPECT_EQ(handler.lastPart(), "x>");
    EXPECT_EQ(getStringBufferTrames(), "x>");
    handler.takeInFrame("#");
    EXPECT_EQ(getStringBufferTrames(), "y#");

    // A marker is seen only wholly inside one closed part; a prompt as soon as it ends.
    SetCadenaAnalitzar1("\n#");
    handler.takeInFrame("reply\n");
    handler.takeInFrame("#");
    EXPECT_FALSE(GetCondicio1());
    handler.takeInFrame("x\n#");
    EXPECT_TRUE(GetCondicio1());
    SetCadenaAnalitzar1("mainMenu>");
    SetCadenaAnalitzar2("docsis>");
    handler.takeInFrame("main");
    EXPECT_FALSE(GetCondicio1());
    handler.takeInFrame("Menu>");
    EXPECT_TRUE(GetCondicio1());
    EXPECT_FALSE(GetCondicio2());
    // Flags stay set until a new marker is set.
    handler.takeInFrame("other\n");
    EXPECT_TRUE(GetCondicio1());
    SetCadenaAnalitzar1("mainMenu>");
    EXPECT_FALSE(GetCondicio1());
    // Long markers match whole, not by their first 49 characters.
    SetCadenaAnalitzar1(QString(60, 'c') + ">");
    handler.takeInFrame(QString(49, 'c') + ">");
    EXPECT_FALSE(GetCondicio1());
    handler.takeInFrame(QString(60, 'c') + ">");
    EXPECT_TRUE(GetCondicio1());
    getStringBufferTrames();

    // At 12001 characters, a part of 10 drops the first 10 before it is appended.
    handler.takeInFrame(QString(12000, 'a') + "\n");
    handler.takeInFrame("0123456789");
    handler.takeInFrame("\n");
    const QString text = getStringBufferTrames();
    EXPECT_EQ(text.size(), 12001);
    EXPECT_EQ(text.right(11), "0123456789\n");
    handler.takeInFrame(QString(12000, 'b') + "\n");
    handler.takeInFrame("tail\n");
    EXPECT_EQ(std::strlen(GetBufferTrames()), 12000u);
    EXPECT_EQ(getStringBufferTrames(), ""); // taken out
    // Text that never closes keeps its newest 12000 characters only.
    for (int i = 0; i < 5; ++i)
        handler.takeInFrame(QString(10000, 'n'));
    EXPECT_EQ(handler.pendingText().size(), 12000);
    handler.takeInFrame("\n");
    EXPECT_EQ(getStringBufferTrames().size(), 12001);

    handler.takeInFrame("CM status is OPERATIONAL\nmainMenu>");
    EXPECT_EQ(TramaCM("OPERATIONAL"), 1);
    EXPECT_EQ(TramaCM("OPERATIONAL"), 0); // taken out
}

TEST(ModemRunners, MarkersTimeOutsStopsAndTheStepExchange)
{
    PortFixture f;
    ASSERT_EQ(f.port().initPort(B115200, portName), 0);
    HandlerCableModem handler(&f.mutex, &f.condition);
    getStringBufferTrames();
    // Hands a frame over from the event loop, as the serial reader's queued signal does.
    auto frameLater = [&handler](const QString& frame) {
        QTimer::singleShot(0, &handler, [&handler, frame] { handler.takeInFrame(frame); });
    };
    auto took = [&f, t0 = f.clock().monotonicMs()]() mutable {
        const uint64_t ms = f.clock().monotonicMs() - t0;
        t0 = f.clock().monotonicMs();
        return ms;
    };
    MesuraCM* engine = passingEngine();
    frameLater("\r\nmainMenu>");
    EXPECT_EQ(engine->envia_cadena_modem("\r", "mainMenu>", 500), 1);
    EXPECT_EQ(took(), 100u);
    EXPECT_EQ(f.written(), "\r");
    // No marker: the runner gives up on the first check past the time-out.
    EXPECT_EQ(engine->envia_cadena_modem("doc/cms\r", "mainMenu>", 500), 0);
    EXPECT_EQ(took(), 600u);
    // The short form awaits any line for 100 ms.
    EXPECT_EQ(engine->envia_cadena_modem("\r"), 0);
    EXPECT_EQ(took(), 200u);
    // A stop ends a long wait at the next slice.
    QTimer::singleShot(0, [engine] { engine->aturar(); });
    EXPECT_EQ(engine->envia_cadena_modem("reboot\r", "reboot_request", 30000), 0);
    EXPECT_EQ(took(), 100u);

    // The two-marker runner tells which came (the first tested first) and ignores stops.
    frameLater("\r\n#");
    EXPECT_EQ(envia_cadena_modem_two_conditions("\r", "mainMenu>", "\n#", 1000), 2);
    frameLater("\r\nmainMenu>\r\n#");
    EXPECT_EQ(envia_cadena_modem_two_conditions("\r", "mainMenu>", "\n#", 1000), 1);
    took();
    EXPECT_EQ(envia_cadena_modem_two_conditions("\r", "mainMenu>", "\n#", 1000), -1);
    EXPECT_EQ(took(), 1100u);
    f.written();

    // The step exchange sends once, answers 0 for as long as the command stays the same...
    EXPECT_EQ(sendModemCommand("docsis", 1, 1000), 100);
    EXPECT_EQ(f.written(), "docsis\r");
    EXPECT_EQ(sendModemCommand("docsis", 1, 1000), 100);
    handler.takeInFrame("docsis>");
    EXPECT_EQ(sendModemCommand("docsis", 1, 1000), 100);
    EXPECT_EQ(sendModemCommand("docsis", 1, 1000), 0);
    EXPECT_EQ(sendModemCommand("docsis", 1, 1000), 0);
    EXPECT_EQ(f.written(), "");
    // ... and in mode 0 awaits the main prompt: no answer in time gives -1, then a resend.
    EXPECT_EQ(sendModemCommand("exit", 0, 1000), 100);
    f.clock().advanceMs(1001);
    EXPECT_EQ(sendModemCommand("exit", 0, 1000), 100);
    EXPECT_EQ(sendModemCommand("exit", 0, 1000), -1);
    EXPECT_EQ(sendModemCommand("exit", 0, 1000), 100);
    EXPECT_EQ(f.written(), "exit\rexit\r");
}

TEST(ReplyReaders, LabelsFixedBuffersAndAddresses)
{
    const struct { const char* label; const char* text; const char* value; } labels[] = {
        {"IP Address:", "x IP Address:  10.1.2.3  \ny", "10.1.2.3"},
        {"IP Address:", "IP Address:  10.1.2.3  \r\n", "10.1.2.3"},
        {"IP Address:", "a IP Address:", ""},
        {"IP Address:", "IP Address:  10.1  2.3 ", "  10.1  2.3 "}, // no line end: the rest unchanged
        // An empty value ends at its line end, in either line ending.
        {"IP Address:", "IP Address:\nnext", ""},
        {"IP Address:", "IP Address:\r\nnext", ""},
        {"Gateway:", "IP Address: 1\n", ""},
    };
    MesuraCM* m = MesuraCM::getInstance();
    for (const auto& l : labels)
        EXPECT_EQ(m->buscarStringRetornaValor(l.label, l.text), l.value) << l.text;
    EXPECT_EQ(m->buscarListaStringRetornaValores({"A:", "B:", "A:", "C:"}, "A: one\nB:   two  words \nD: x\n"),
              (QVariantMap{{"A:", "one"}, {"B:", "two words"}}));
    EXPECT_EQ(m->extraer_dadas("a(1,2)b", "(", ")"), "1,2");
    EXPECT_EQ(m->extraer_dadas("a(1,2", "(", ")"), "");
    EXPECT_EQ(m->extraer_dadas("a 1,2)", "(", ")"), "");
    EXPECT_TRUE(m->isTextInCadena("CM status is OPERATIONAL", "OPERATIONAL"));
    EXPECT_FALSE(m->isTextInCadena("CM status", "operational"));

    const std::string longLine = "File: " + std::string(80, 'f') + "\n";
    const struct { const char* text; const char* label; std::string value; } fixed[] = {
        {"IP Address = 10.1.2.3\nnext", "IP Address =", "10.1.2.3"},
        {"Physical Address = 00:11:22:33:44:55\r\n", "Physical Address =", "00:11:22:33:44:55"},
        {"text ends at the label =", "label =", ""},
        {"IP Address =\nSubnet Mask = 1", "IP Address =", ""},
        {"no such thing", "label =", ""},
        {longLine.c_str(), "File:", std::string(49, 'f')},
    };
    for (const auto& c : fixed)
        EXPECT_EQ(ExtreuCadena(c.text, c.label), c.value) << c.text;

    const std::pair<const char*, unsigned> addresses[] = {
        {"10.0.0.1", 10u * (1u << 24) + 1u}, {"192.168.100.1\r", 0xC0A86401u}, {"10.0.0", 0}, {"256.0.0.1", 0},
        {"10.0.x.1", 0}, {"---.---.---.---", 0}, {"1.10.0.0.1", 10u * (1u << 24) + 1u}};
    for (const auto& [text, value] : addresses)
        EXPECT_EQ(IP2int(text), value) << text;
    EXPECT_STREQ(Int2IP(10 * (1 << 24) + 1), "010.000.000.001");
    EXPECT_STREQ(Int2IP(static_cast<int>(0xFFFFFFFFu)), "255.255.255.255");
}

// "*ATTEN" and "*?ATTEN" over a loopback connection on the simulated measuring chain: the pad
// and step-attenuator words of each value, the query's signed reply, automatic ranging on
// the scene from the attenuation in force, and lines refused without any effect.
#include "RfCommandBench.h"

#include "rf/mesuraRF.h"

#include <gtest/gtest.h>

using remotetest::ack;
using remotetest::nak;
using remotetest::RfCommandBench;
using testsupport::LogCapture;

namespace {

using Words = std::vector<std::vector<uint8_t>>;

// The pad line and the words of both step attenuators written since the log was cleared.
struct Programmed {
    std::vector<std::string> pad;
    Words a;
    Words b;
};

Programmed programmed(RfCommandBench& b)
{
    Programmed p;
    for (const std::string& w : b.lineWrites())
        if (w.rfind("15=", 0) == 0)
            p.pad.push_back(w);
    p.a = b.spiWrites("/dev/spidev4.1");
    p.b = b.spiWrites("/dev/spidev0.1");
    return p;
}

} // namespace

TEST(AttenCommand, ProgramsPadAndStepAttenuatorsAndTheQueryReportsTheValue)
{
    RfCommandBench b;
    // Nothing programmed yet: the signed form shows it.
    EXPECT_EQ(b.ask("*?ATTEN\r"), ack("*ATTEN ATT=-1"));
    struct Row {
        const char* line;
        const char* pad;
        uint8_t a, b; // half-dB steps of each step attenuator
        const char* reply;
    };
    const Row rows[] = {
        {"*ATTEN ATTEN=70\r", "15=0", 40, 60, "*ATTEN ATT=70"},
        {"*ATTEN ATTEN=0\r", "15=1", 0, 0, "*ATTEN ATT=0"},
        {"*ATTEN,ATTEN= 20.9\n", "15=1", 0, 40, "*ATTEN ATT=20"}, // decimals are dropped
        {"*ATTEN ATTEN=20\r", "15=1", 0, 40, "*ATTEN ATT=20"},    // the same value again is written
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.line);
        b.clearLog();
        EXPECT_EQ(b.ask(r.line), ack());
        const Programmed p = programmed(b);
        EXPECT_EQ(p.pad, std::vector<std::string>{r.pad});
        EXPECT_EQ(p.a, Words{{r.a}});
        EXPECT_EQ(p.b, Words{{r.b}});
        EXPECT_EQ(b.ask("*?ATTEN\r"), ack(r.reply));
    }
    EXPECT_DOUBLE_EQ(b.frontEnd->attenuationDb(), 20.0);
}

TEST(AttenCommand, RefusedLinesChangeNothingAndLinesWithoutAValueKeepTheAttenuation)
{
    RfCommandBench b;
    ASSERT_EQ(b.ask("*ATTEN ATTEN=30\r"), ack());
    LogCapture log;
    b.clearLog();
    const char* refused[] = {
        "*ATTEN ATTEN=71\r",
        "*ATTEN ATTEN=\r",
        "*ATTEN ATTEN=abc\r",
        "*ATTEN ATTEN=-1\r",
        "*ATTEN ATTEN=.\r",
        "*ATTEN ATTEN=5G\r",
        "*ATTEN ATTEN=0x10\r",
        "*ATTEN ATTEN=71 ATTEN_AUTO_ADJUSTMENT\r", // no ranging either
        "*ATTEN ATTEN=20 ATTEN_AUTO=71\r",
        "*ATTEN ATTEN=20 ATTEN_AUTO=ON\r",
        "*ATTEN ATTEN_AUTO_ADJUSTMENT ATTEN_AUTO=\r",
        "*ATTEN ATTEN_AUTO=ATTEN_AUTO_ADJUSTMENT\r", // not the bare keyword
    };
    for (const char* line : refused) {
        EXPECT_EQ(b.ask(line), nak()) << line;
        EXPECT_EQ(b.transactions(), 0u) << line << testsupport::dumpLog(*b.board);
    }
    EXPECT_TRUE(log.contains("check_if_atten_parameter  out of range *ATTEN ATTEN=71\r"));
    EXPECT_TRUE(log.contains("check_if_atten_parameter  stBAD_PARAMETER *ATTEN ATTEN=abc\r"));
    EXPECT_TRUE(log.contains("check_if_atten_parameter  file" "ON"));
    EXPECT_EQ(log.count("siiiii"), 0);

    // No ATTEN= at all: answered ACK, and the attenuation is not dropped to 0 dB.
    EXPECT_EQ(b.ask("*ATTEN\r"), ack());
    EXPECT_EQ(b.ask("*ATTEN ATTEN_AUTO=35\r"), ack());
    EXPECT_EQ(b.transactions(), 0u);
    EXPECT_EQ(b.ask("*?ATTEN\r"), ack("*ATTEN ATT=30"));
    EXPECT_DOUBLE_EQ(b.frontEnd->attenuationDb(), 30.0);
}

TEST(AttenCommand, AutomaticAdjustmentRangesOnTheSceneFromTheAttenuationInForce)
{
    RfCommandBench b;
    b.scene->addCw(300e6, 95.0);
    ASSERT_EQ(b.ask("*TUNE FREQ=300M\r"), ack());
    setDetector(DETECTOR_POWER_METER);
    LogCapture log;
    EXPECT_EQ(b.ask("*ATTEN ATTEN=0 ATTEN_AUTO_ADJUSTMENT\r"), ack());
    EXPECT_EQ(b.ask("*?ATTEN\r"), ack("*ATTEN ATT=50")); // 45.0 dBµV at the detector
    EXPECT_EQ(getDetector(), DETECTOR_POWER_METER);
    EXPECT_TRUE(log.contains("check_if_atten_parameter  siiiiiiiiiiiiii iiisisisisisisisisissisiis"
                             "*ATTEN ATTEN=0 ATTEN_AUTO_ADJUSTMENT\r"));

    // The bare keyword starts from the attenuation in force, here 70 dB, and ranges down.
    b.scene->clear();
    b.scene->addCw(300e6, 65.0);
    ASSERT_EQ(b.ask("*ATTEN ATTEN=70\r"), ack());
    b.clearLog();
    EXPECT_EQ(b.ask("*ATTEN,ATTEN_AUTO_ADJUSTMENT\r"), ack());
    const Programmed p = programmed(b);
    ASSERT_FALSE(p.a.empty());
    EXPECT_EQ(p.pad.front(), "15=0");
    EXPECT_EQ(p.a.front(), std::vector<uint8_t>{40});
    EXPECT_EQ(p.b.front(), std::vector<uint8_t>{60});
    EXPECT_EQ(b.ask("*?ATTEN\r"), ack("*ATTEN ATT=20"));
    EXPECT_GT(b.chips.converter->conversionCount(2), 0);
}

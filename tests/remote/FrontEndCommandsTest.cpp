// "*TUNE", "*ATTEN" and their queries on the simulated measuring chain: what they program
// (band lines, local oscillator, tuner; pad and step-attenuator words), the answers of every
// query form, automatic ranging on the scene, and lines refused without touching the front
// end; the level-1 tuner command.
#include "RfCommandBench.h"

#include "remote/tunerCmd.h"
#include "rf/mesuraRF.h"

#include <gtest/gtest.h>

using namespace remotetest;
using testsupport::LogCapture;

using Lines = std::vector<std::string>;

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

TEST(TuneCommand, ProgramsBandLinesOscillatorAndTunerAndRefusesAFrequencyItCannotUse)
{
    RfCommandBench b;
    struct Row {
        const char* line;
        unsigned hz;
        Lines bandLines; // SUB, SUPER, SUPER2, HI
        uint64_t oscillatorHz;
        bool oscillatorOn;
        unsigned tunerHz;
        const char* reply;
    };
    const Row rows[] = {
        {"*TUNE FREQ=5000000\r", 5000000u, {"16=1", "199=0", "14=0", "6=1"}, 195000000u, true, 200000000u,
         "*TUNE BAND=SAT FREQ=5000K DL=1MHz MODE=FREQ"},
        {"*TUNE FREQ=474.25M\r", 474250000u, {"16=0", "199=0", "14=0", "6=1"}, 0, false, 474250000u,
         "*TUNE BAND=SAT FREQ=474250K DL=1MHz MODE=FREQ"},
        {"*TUNE,FREQ=1000000K\n", 1000000000u, {"16=0", "199=1", "14=0", "6=1"}, 1600000000u, true, 600000000u,
         "*TUNE BAND=SAT FREQ=1000000K DL=1MHz MODE=FREQ"},
        {"*TUNE FREQ=2700000000\r", 2700000000u, {"16=0", "199=1", "14=1", "6=0"}, 2950000000u, true, 250000000u,
         "*TUNE BAND=SAT FREQ=2700000K DL=1MHz MODE=FREQ"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.line);
        b.clearLog();
        EXPECT_EQ(b.ask(r.line), ack());
        EXPECT_EQ(b.lineWrites(), r.bandLines);
        const auto& lo = b.chips.synthesizers->adf4350();
        EXPECT_EQ(lo.rfOutputEnabled(), r.oscillatorOn);
        EXPECT_EQ(r.oscillatorOn ? lo.outputFrequencyHz() : 0, r.oscillatorHz);
        EXPECT_EQ(b.chips.tuner->tunedFrequencyHz(), r.tunerHz);
        EXPECT_EQ(b.frontEnd->effectiveFrequencyHz().value_or(0), r.hz); // what the chain is tuned to
        EXPECT_EQ(b.ask("*?TUNE\r"), ack(r.reply));
    }

    // Lines without a usable frequency in range (the limits above) leave everything alone.
    const int tunes = b.chips.tuner->tuneCount();
    LogCapture log;
    b.clearLog();
    const char* refused[] = {
        "*TUNE\r", // no frequency: no retune to 0 Hz
        "*TUNE XFREQ=600M\r", "*TUNE FREQ=\r", "*TUNE FREQ=.\r", "*TUNE FREQ=abc\r", "*TUNE FREQ=-600M\r",
        "*TUNE FREQ=0x23C34600\r", "*TUNE FREQ=4999999\r", "*TUNE FREQ=4999.999K\r", "*TUNE FREQ=2700000.001K\r",
        "*TUNE FREQ=4294967295\r", "*TUNE FREQ=5G\r", "*TUNE FREQ=600M BAND=TER\r", "*TUNE BAND=SAT\r",
    };
    for (const char* line : refused)
        EXPECT_EQ(b.ask(line), nak()) << line;
    EXPECT_EQ(b.transactions(), 0u) << testsupport::dumpLog(*b.board);
    EXPECT_EQ(b.chips.tuner->tuneCount(), tunes);
    EXPECT_EQ(b.ask("*?TUNE\r"), ack("*TUNE BAND=SAT FREQ=2700000K DL=1MHz MODE=FREQ"));
    EXPECT_TRUE(log.contains(" stBAD_PARAMETER *TUNE FREQ=abc\r"));
    EXPECT_TRUE(log.contains(" check_if_freq_parameter  out of range *TUNE FREQ=4999999\r"));
}

TEST(TuneCommand, QueryKeywordsDecideTheReplyAndDemodAndTheTunerCommandNeedTheAccessLevel)
{
    RfCommandBench b([](Remote& r) {
        auto* tuner = new remote::TunerCmd;
        r.insert_cmd("*TUNER", tuner);
        r.insert_cmd("*?TUNER", tuner);
    });
    // The working frequency may come from elsewhere; whole kHz are reported, the rest dropped.
    setFrequencyHz(1999u);
    const QByteArray frequency = ack("*TUNE BAND=SAT FREQ=1K DL=1MHz MODE=FREQ");
    const std::pair<const char*, QByteArray> rows[] = {
        {"*?TUNE\r", frequency}, {"*?TUNE FREQ=600M\r", frequency}, {"*?TUNE CH\r", ack("*TUNE BAND=TER PLAN= CH=")},
        {"*?TUNE MODE\r", ack("*TUNE MODE=FREQ")}, {"*?TUNE MODE,CH\r", ack("*TUNE BAND=TER PLAN= CH=")},
        // Keywords are whole pieces, case-sensitive.
        {"*?TUNE MODE=2\r", frequency}, {"*?TUNE mode\r", frequency},
        {"*?TUNE DEMOD\r", nak()}, {"*?TUNE SP\r", nak()}, {"*?TUNER\r", nak()}, {"*TUNER MANUAL=1 GAIN_IF=3\r", nak()},
        {"*58207\r", ack()},
        {"*?TUNE DEMOD\r", ack("*TUNE BAND=SAT FREQ=0K DL=1MHz MODE=FREQ")},
        {"*?TUNE SP\r", ack("*TUNE BAND=SAT FREQ=0K DL=1MHz MODE=FREQ")},
        {"*?TUNER GAIN\r", ack()}, {"*TUNER MANUAL=1 GAIN_IF=3\r", nak()},
    };
    for (const auto& [line, answer] : rows)
        EXPECT_EQ(b.ask(line), answer) << line;
    // A query never tunes.
    EXPECT_EQ(getFrequencyHz(), 1999u);
    EXPECT_EQ(b.chips.tuner->tuneCount(), 0);
    EXPECT_EQ(b.transactions(), 0u) << testsupport::dumpLog(*b.board);
}

TEST(AttenCommand, ProgramsPadAndStepAttenuatorsAndRefusedLinesChangeNothing)
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

    LogCapture log;
    b.clearLog();
    const char* refused[] = {
        "*ATTEN ATTEN=71\r", "*ATTEN ATTEN=\r", "*ATTEN ATTEN=abc\r", "*ATTEN ATTEN=-1\r", "*ATTEN ATTEN=0x10\r",
        "*ATTEN ATTEN=71 ATTEN_AUTO_ADJUSTMENT\r", // no ranging either
        "*ATTEN ATTEN=20 ATTEN_AUTO=71\r", "*ATTEN ATTEN=20 ATTEN_AUTO=ON\r", "*ATTEN ATTEN_AUTO_ADJUSTMENT ATTEN_AUTO=\r",
        "*ATTEN ATTEN_AUTO=ATTEN_AUTO_ADJUSTMENT\r", // not the bare keyword
    };
    for (const char* line : refused)
        EXPECT_EQ(b.ask(line), nak()) << line;
    EXPECT_EQ(b.transactions(), 0u) << testsupport::dumpLog(*b.board);
    EXPECT_TRUE(log.contains("check_if_atten_parameter  out of range *ATTEN ATTEN=71\r"));
    EXPECT_EQ(log.count("siiiii"), 0); // no ranging

    // No ATTEN= at all: answered ACK, and the attenuation is not dropped to 0 dB.
    EXPECT_EQ(b.ask("*ATTEN\r"), ack());
    EXPECT_EQ(b.ask("*ATTEN ATTEN_AUTO=35\r"), ack());
    EXPECT_EQ(b.transactions(), 0u);
    EXPECT_EQ(b.ask("*?ATTEN\r"), ack("*ATTEN ATT=20"));
    EXPECT_DOUBLE_EQ(b.frontEnd->attenuationDb(), 20.0);
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

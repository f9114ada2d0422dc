// "*TUNE" and "*?TUNE" over a loopback connection on the simulated measuring chain: what a
// tune programs (band lines, local oscillator, tuner), the exact answers of every query
// form, and lines refused without touching the front end. The level-1 tuner command.
#include "RfCommandBench.h"

#include "remote/attenCmd.h"
#include "remote/tuneCmd.h"
#include "remote/tunerCmd.h"
#include "rf/mesuraRF.h"

#include <gtest/gtest.h>

using remotetest::ack;
using remotetest::nak;
using remotetest::RfCommandBench;
using testsupport::LogCapture;

using Lines = std::vector<std::string>;

TEST(TuneCommand, ProgramsBandLinesOscillatorAndTunerAndTheQueryReportsTheFrequency)
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
        {"*TUNE FREQ=5M\r", 5000000u, {"16=1", "199=0", "14=0", "6=1"}, 195000000u, true, 200000000u,
         "*TUNE BAND=SAT FREQ=5000K DL=1MHz MODE=FREQ"},
        {"*TUNE FREQ=474.25M\r", 474250000u, {"16=0", "199=0", "14=0", "6=1"}, 0, false, 474250000u,
         "*TUNE BAND=SAT FREQ=474250K DL=1MHz MODE=FREQ"},
        {"*TUNE,FREQ=1000000K\n", 1000000000u, {"16=0", "199=1", "14=0", "6=1"}, 1600000000u, true, 600000000u,
         "*TUNE BAND=SAT FREQ=1000000K DL=1MHz MODE=FREQ"},
        {"*TUNE FREQ=2.7G\r", 2700000000u, {"16=0", "199=1", "14=1", "6=0"}, 2950000000u, true, 250000000u,
         "*TUNE BAND=SAT FREQ=2700000K DL=1MHz MODE=FREQ"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.line);
        b.clearLog();
        EXPECT_EQ(b.ask(r.line), ack());
        EXPECT_EQ(b.lineWrites(), r.bandLines);
        const auto& lo = b.chips.synthesizers->adf4350();
        EXPECT_EQ(lo.rfOutputEnabled(), r.oscillatorOn);
        if (r.oscillatorOn) {
            EXPECT_EQ(lo.outputFrequencyHz(), r.oscillatorHz);
        }
        EXPECT_EQ(b.chips.tuner->tunedFrequencyHz(), r.tunerHz);
        const auto seen = b.frontEnd->effectiveFrequencyHz();
        ASSERT_TRUE(seen.has_value()) << testsupport::dumpLog(*b.board);
        EXPECT_DOUBLE_EQ(*seen, r.hz);
        EXPECT_EQ(getFrequencyHz(), r.hz);
        EXPECT_EQ(b.ask("*?TUNE\r"), ack(r.reply));
    }
}

TEST(TuneCommand, RefusesLinesWithoutAUsableFrequencyInRangeAndTouchesNothing)
{
    RfCommandBench b;
    ASSERT_EQ(b.ask("*TUNE FREQ=474M\r"), ack());
    const int tunes = b.chips.tuner->tuneCount();
    LogCapture log;
    b.clearLog();
    const char* refused[] = {
        "*TUNE\r",                      // no frequency: no retune to 0 Hz
        "*TUNE XFREQ=600M\r",           // the key glued inside another word is absent
        "*TUNE FREQ=\r",                "*TUNE FREQ= \r",
        "*TUNE FREQ=.\r",               "*TUNE FREQ=.M\r", // no digit at all
        "*TUNE FREQ=abc\r",             "*TUNE FREQ=600m\r",
        "*TUNE FREQ=-600M\r",           "*TUNE FREQ=0x23C34600\r",
        "*TUNE FREQ=4999999\r",         "*TUNE FREQ=4999.999K\r",
        "*TUNE FREQ=2700000.001K\r",    "*TUNE FREQ=4294967295\r",
        "*TUNE FREQ=5G\r",              // beyond 32 bits
        "*TUNE FREQ=600M BAND=TER\r",   // no band is known
        "*TUNE BAND=SAT\r",
    };
    for (const char* line : refused) {
        EXPECT_EQ(b.ask(line), nak()) << line;
        EXPECT_EQ(b.transactions(), 0u) << line << testsupport::dumpLog(*b.board);
        EXPECT_EQ(getFrequencyHz(), 474000000u) << line;
    }
    EXPECT_EQ(b.chips.tuner->tuneCount(), tunes);
    EXPECT_EQ(b.ask("*?TUNE\r"), ack("*TUNE BAND=SAT FREQ=474000K DL=1MHz MODE=FREQ"));
    EXPECT_EQ(log.count(" stBAD_PARAMETER "), 9);
    EXPECT_EQ(log.count(" out of range "), 4);
    EXPECT_TRUE(log.contains(" stBAD_PARAMETER *TUNE FREQ=abc\r"));
    EXPECT_TRUE(log.contains(" check_if_freq_parameter  out of range *TUNE FREQ=4999999\r"));

    // The limits themselves are tuned.
    EXPECT_EQ(b.ask("*TUNE FREQ=5000000\r"), ack());
    EXPECT_EQ(getFrequencyHz(), 5000000u);
    EXPECT_EQ(b.ask("*TUNE FREQ=2700000000\r"), ack());
    EXPECT_EQ(getFrequencyHz(), 2700000000u);
    EXPECT_TRUE(log.contains(" check_if_freq_parameter freq_in_Hz 2700000000"));
    EXPECT_TRUE(log.contains(" frecuencia 2700000000"));
}

TEST(TuneCommand, QueryKeywordsDecideTheReplyAndDemodNeedsTheAccessLevel)
{
    RfCommandBench b;
    // The working frequency may come from elsewhere; whole kHz are reported, the rest dropped.
    setFrequencyHz(1999u);
    EXPECT_EQ(b.ask("*?TUNE\r"), ack("*TUNE BAND=SAT FREQ=1K DL=1MHz MODE=FREQ"));
    EXPECT_EQ(b.ask("*?TUNE FREQ=600M\r"), ack("*TUNE BAND=SAT FREQ=1K DL=1MHz MODE=FREQ"));
    EXPECT_EQ(b.ask("*?TUNE CH\r"), ack("*TUNE BAND=TER PLAN= CH="));
    EXPECT_EQ(b.ask("*?TUNE MODE\r"), ack("*TUNE MODE=FREQ"));
    EXPECT_EQ(b.ask("*?TUNE MODE,CH\r"), ack("*TUNE BAND=TER PLAN= CH="));
    // Keywords are whole pieces, case-sensitive.
    EXPECT_EQ(b.ask("*?TUNE MODE=2\r"), ack("*TUNE BAND=SAT FREQ=1K DL=1MHz MODE=FREQ"));
    EXPECT_EQ(b.ask("*?TUNE mode\r"), ack("*TUNE BAND=SAT FREQ=1K DL=1MHz MODE=FREQ"));
    EXPECT_EQ(b.ask("*?TUNE DEMOD\r"), nak());
    EXPECT_EQ(b.ask("*?TUNE SP\r"), nak());
    EXPECT_EQ(b.ask("*58207\r"), ack());
    EXPECT_EQ(b.ask("*?TUNE DEMOD\r"), ack("*TUNE BAND=SAT FREQ=0K DL=1MHz MODE=FREQ"));
    EXPECT_EQ(b.ask("*?TUNE SP\r"), ack("*TUNE BAND=SAT FREQ=0K DL=1MHz MODE=FREQ"));
    // A query never tunes.
    EXPECT_EQ(getFrequencyHz(), 1999u);
    EXPECT_EQ(b.chips.tuner->tuneCount(), 0);
}

TEST(TuneCommand, TableHoldsOneObjectPerClassAndTheTunerCommandOnlyAnswersLevelOne)
{
    RfCommandBench b([](Remote& r) {
        auto* tuner = new remote::TunerCmd;
        r.insert_cmd("*TUNER", tuner);
        r.insert_cmd("*?TUNER", tuner);
    });
    EXPECT_EQ(b.ask("*?TUNER\r"), nak());
    EXPECT_EQ(b.ask("*TUNER MANUAL=1 GAIN_IF=3\r"), nak());
    EXPECT_EQ(b.ask("*5820&\r"), ack());
    EXPECT_EQ(b.ask("*?TUNER GAIN\r"), ack());
    EXPECT_EQ(b.ask("*TUNER MANUAL=1 GAIN_IF=3\r"), nak());
    EXPECT_EQ(b.transactions(), 0u) << testsupport::dumpLog(*b.board);
}

// Tuning: the band table, the tuner frequency, the band switch on the lines and the local
// oscillator, the lock wait, and the effective frequency the simulated front end sees.
#include "RfTestBench.h"

#include "rf/mesuraRF.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <cmath>

using rftest::RfBench;

TEST(BandTable, EdgesBelongToTheUpperBandAndTunerFrequenciesNeverWrap)
{
    struct Row {
        unsigned int f;
        int band;
        unsigned int tuner;
    };
    const Row rows[] = {
        {4000000u, -1, 4000000u},          {5000000u, 0, 200000000u},
        {89999999u, 0, 284999999u},        {90000000u, 1, 90000000u},
        {344999999u, 1, 344999999u},       {345000000u, 2, 345000000u},
        {899999999u, 2, 899999999u},       {900000000u, 3, 700000000u},
        {1000000000u, 3, 600000000u},      {1350000000u, 4, 700000000u},
        {1800000000u, 5, 700000000u},      {2249999999u, 5, 250000001u},
        {2250000000u, 6, 700000000u},      {2700000000u, 6, 250000000u},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(getBandaTreball(r.f), r.band) << r.f;
        EXPECT_EQ(getFrequencyTreballTuner(r.f), r.tuner) << r.f;
    }
    // Above the range the top is taken: 2950 MHz - f would wrap to about 4.29 GHz in 32 bits.
    EXPECT_EQ(getBandaTreball(4000000000u), 6);
    EXPECT_EQ(getFrequencyTreballTuner(2950000001u), 250000000u);
    EXPECT_EQ(getFrequencyTreballTuner(4294967295u), 250000000u);
    EXPECT_EQ(getFrequencyTreballTuner(2800000000u), 250000000u);
}

TEST(Tuning, EffectiveFrequencyOnTheBoardAtEdgesAndInsideEveryBand)
{
    RfBench b;
    const unsigned int freqs[] = {5000000u,    47000000u,   89999999u,   90000000u,   200000000u,
                                  344990000u,  345000000u,  600000000u,  899990000u,  900000000u,
                                  1100000000u, 1349990000u, 1350000000u, 1600000000u, 1800000000u,
                                  2000000000u, 2249990000u, 2250000000u, 2500000000u, 2700000000u};
    for (unsigned int f : freqs) {
        sintonitzar(f);
        const auto eff = b.frontEnd->effectiveFrequencyHz();
        ASSERT_TRUE(eff.has_value()) << f << "\n" << testsupport::dumpLog(*b.board);
        // The tuner is set in 10 kHz steps.
        EXPECT_LT(std::fabs(*eff - f), 10000.0) << f;
        EXPECT_EQ(getBandaProgramada(), getBandaTreball(f));
    }
    programaTuner(89999999u); // 284 999 999 Hz, programmed in 10 kHz steps
    EXPECT_EQ(b.chips.tuner->tunedFrequencyHz(), 284990000u);
}

TEST(Tuning, BandSwitchWritesTheLinesThenTheOscillatorAndWaitsASameBandTuneMovesOnlyTheTuner)
{
    RfBench b;
    b.chips.tuner->setSettleTimeUs(0);
    sintonitzar(600000000u); // band 2
    b.clearLog();
    uint64_t t0 = b.nowUs();
    sintonitzar(1000000000u); // band 3: 5 ms for the LO, 14 ms for the path
    EXPECT_EQ(b.nowUs() - t0, 19000u);
    EXPECT_EQ(b.lineWrites(), (std::vector<std::string>{"16=0", "199=1", "14=0", "6=1"}));
    EXPECT_EQ(b.chips.synthesizers->adf4350().outputFrequencyHz(), 1600000000u);
    EXPECT_TRUE(b.chips.synthesizers->adf4350().rfOutputEnabled());
    // The LO is enabled after its wait, and the band is recorded after the path settled.
    const auto entries = b.board->log().entries();
    uint64_t lastSpi = 0;
    for (const auto& e : entries)
        if (e.kind == "spi" && e.device == "/dev/spidev4.0")
            lastSpi = e.timeUs;
    EXPECT_EQ(lastSpi - t0, 5000u);

    b.clearLog();
    t0 = b.nowUs();
    sintonitzar(1500000000u); // band 4: 1 ms + 14 ms
    EXPECT_EQ(b.nowUs() - t0, 15000u);
    EXPECT_EQ(b.lineWrites(), (std::vector<std::string>{"16=0", "199=1", "14=0", "6=0"}));

    b.clearLog();
    t0 = b.nowUs();
    sintonitzar(100000000u); // band 1: 1 ms, standby, 14 ms
    EXPECT_EQ(b.nowUs() - t0, 15000u);
    EXPECT_FALSE(b.chips.synthesizers->adf4350().rfOutputEnabled());
    EXPECT_EQ(b.lineWrites(), (std::vector<std::string>{"16=0", "199=0", "14=0", "6=1"}));

    // A second tune in the same band moves only the tuner.
    sintonitzar(474000000u);
    const int tunes = b.chips.tuner->tuneCount();
    b.clearLog();
    t0 = b.nowUs();
    sintonitzar(482000000u);
    EXPECT_EQ(b.nowUs(), t0);
    EXPECT_TRUE(b.lineWrites().empty());
    EXPECT_TRUE(b.spiWrites("/dev/spidev4.0").empty());
    EXPECT_EQ(b.chips.tuner->tuneCount(), tunes + 1);
    EXPECT_EQ(b.chips.tuner->tunedFrequencyHz(), 482000000u);

    // Below the range the tuner gets the frequency and the path stays.
    sintonitzar(50000000u);
    b.clearLog();
    t0 = b.nowUs();
    sintonitzar(4000000u);
    EXPECT_EQ(b.chips.tuner->tunedFrequencyHz(), 4000000u);
    EXPECT_TRUE(b.lineWrites().empty());
    EXPECT_EQ(b.nowUs() - t0, 14000u); // the settling wait is the only step
    EXPECT_EQ(getBandaProgramada(), -1);
}

TEST(LockWait, EndsOnLockNeverLockingAndReadFailure)
{
    RfBench b;
    b.chips.tuner->setSettleTimeUs(3000);
    uint64_t t0 = b.nowUs();
    EXPECT_EQ(programaTuner(474000000u), 2);
    EXPECT_GE(b.nowUs() - t0, 3000u);
    EXPECT_LT(b.nowUs() - t0, 3300u);

    // Never locks: the status 6 is returned after 10 ms.
    b.chips.tuner->setSettleTimeUs(60000000);
    t0 = b.nowUs();
    EXPECT_EQ(programaTuner(474000000u), 6);
    EXPECT_GE(b.nowUs() - t0, 10000u);
    EXPECT_LT(b.nowUs() - t0, 11000u);

    // A failed status read gives -1 and ends the wait at once.
    b.board->faults().fail(platform::sim::Device::i2c(0x63));
    testsupport::LogCapture log;
    t0 = b.nowUs();
    EXPECT_EQ(programaTuner(474000000u), -1);
    EXPECT_EQ(b.nowUs(), t0);
    EXPECT_EQ(log.count("max3543LockDetect"), 1);
    // Tuning itself reports nothing and the band path still switches.
    EXPECT_EQ(sintonitzar(1000000000u), 0);
    EXPECT_EQ(b.frontEnd->bandFromLines(), 3);
}

TEST(Tuning, TuneArrivingDuringABandSwitchRunsAfterItAndTheStateMatchesTheLines)
{
    RfBench b;
    b.chips.tuner->setSettleTimeUs(0);
    sintonitzar(600000000u);
    // A remote tune lands in the event processing of the band switch's waits.
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        EXPECT_EQ(sintonitzar(150000000u), 0);
    });
    sintonitzar(1000000000u);
    EXPECT_TRUE(ran);
    EXPECT_EQ(getBandaProgramada(), 1);
    EXPECT_EQ(b.frontEnd->bandFromLines(), 1);
    EXPECT_FALSE(b.chips.synthesizers->adf4350().rfOutputEnabled());
    const auto eff = b.frontEnd->effectiveFrequencyHz();
    ASSERT_TRUE(eff.has_value());
    EXPECT_DOUBLE_EQ(*eff, 150000000.0);
}

// Tuning: the band table, the tuner frequency, the band switch on the lines and the local
// oscillator, the lock wait, and the effective frequency the simulated front end sees.
#include "RfTestBench.h"

#include "VirtualClock.h"

#include "rf/mesuraRF.h"

#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <tuple>

using rftest::RfBench;

namespace {

std::string joined(const std::vector<std::string>& words)
{
    std::string out;
    for (const auto& w : words)
        out += (out.empty() ? "" : " ") + w;
    return out;
}

} // namespace

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
    for (unsigned int f : {2800000000u, 2950000001u, 4294967295u})
        EXPECT_EQ(getFrequencyTreballTuner(f), 250000000u) << f;
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
    // The LO is enabled after its wait, and the band is recorded after the path settled.
    EXPECT_EQ(b.board->log().entries("spi").back().timeUs - t0, 5000u);
    EXPECT_EQ(b.board->log().entries("spi").back().device, "/dev/spidev4.0");

    // Band 4: 1 ms + 14 ms; band 1: 1 ms, the LO in standby, 14 ms.
    for (auto [f, lo, lines] : {std::tuple{1500000000u, true, "16=0 199=1 14=0 6=0"},
                                {100000000u, false, "16=0 199=0 14=0 6=1"}}) {
        b.clearLog();
        t0 = b.nowUs();
        sintonitzar(f);
        EXPECT_EQ(b.nowUs() - t0, 15000u) << f;
        EXPECT_EQ(b.chips.synthesizers->adf4350().rfOutputEnabled(), lo) << f;
        EXPECT_EQ(QString::fromStdString(joined(b.lineWrites())), lines) << f;
    }

    // A second tune in the same band moves only the tuner.
    sintonitzar(474000000u);
    const int tunes = b.chips.tuner->tuneCount();
    b.clearLog();
    t0 = b.nowUs();
    sintonitzar(482000000u);
    EXPECT_EQ(b.nowUs(), t0);
    EXPECT_TRUE(b.lineWrites().empty() && b.spiWrites("/dev/spidev4.0").empty());
    EXPECT_EQ(std::make_tuple(b.chips.tuner->tuneCount(), b.chips.tuner->tunedFrequencyHz()),
              std::make_tuple(tunes + 1, 482000000u));

    // Below the range the tuner gets the frequency and the path stays.
    sintonitzar(50000000u);
    b.clearLog();
    t0 = b.nowUs();
    sintonitzar(4000000u);
    EXPECT_TRUE(b.lineWrites().empty());
    // The settling wait is the only step.
    EXPECT_EQ(std::make_tuple(b.chips.tuner->tunedFrequencyHz(), b.nowUs() - t0, getBandaProgramada()),
              std::make_tuple(4000000u, uint64_t{14000}, -1));
}

TEST(LockWait, EndsOnLockNeverLockingAndReadFailure)
{
    RfBench b;
    b.chips.tuner->setSettleTimeUs(3000);
    // Locks after 3 ms; never locks: the status 6 is returned after 10 ms.
    for (auto [settleUs, status] : {std::pair{3000, 2}, {60000000, 6}}) {
        b.chips.tuner->setSettleTimeUs(settleUs);
        const uint64_t t0 = b.nowUs();
        EXPECT_EQ(programaTuner(474000000u), status);
        const uint64_t waited = b.nowUs() - t0, least = std::min(settleUs, 10000);
        EXPECT_TRUE(waited >= least && waited < least * 11 / 10) << waited;
    }

    // A failed status read gives -1 and ends the wait at once.
    b.board->faults().fail(platform::sim::Device::i2c(0x63));
    testsupport::LogCapture log;
    const uint64_t t0 = b.nowUs();
    EXPECT_EQ(programaTuner(474000000u), -1);
    EXPECT_EQ(b.nowUs(), t0);
    EXPECT_EQ(log.count("max3543LockDetect"), 1);
    // Tuning itself reports nothing and the band path still switches.
    EXPECT_EQ(sintonitzar(1000000000u), 0);
    EXPECT_EQ(b.frontEnd->bandFromLines(), 3);
}

// A clock whose every sleep ends late, as on a busy machine.
struct LateClock : platform::sim::VirtualClock {
    uint64_t lateUs;
    explicit LateClock(uint64_t late) : lateUs(late) {}
    void sleepUs(uint64_t us) override { VirtualClock::sleepUs(us + lateUs); }
};

TEST(LockWait, LateWakeUpsDoNotAddUp)
{
    // Locked 1 ms after its programming, the tuner is seen locked at most one late wake-up
    // after that, not one per pause before it.
    for (const uint64_t lateUs : {20u, 60u}) {
        RfBench b(true, std::make_unique<platform::sim::SimulatedBoard>(std::make_unique<LateClock>(lateUs)));
        b.chips.tuner->setSettleTimeUs(1000);
        const uint64_t t0 = b.nowUs();
        EXPECT_EQ(programaTuner(474000000u), 2);
        EXPECT_LE(b.nowUs() - t0, 1000 + lateUs) << lateUs;
    }
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
    EXPECT_EQ(std::make_tuple(getBandaProgramada(), b.frontEnd->bandFromLines(),
                              b.chips.synthesizers->adf4350().rfOutputEnabled(), b.frontEnd->effectiveFrequencyHz()),
              std::make_tuple(1, 1, false, std::optional<double>(150000000.0)));
}

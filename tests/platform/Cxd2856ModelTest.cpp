// The simulated demodulator core through raw I2C transfers: banked ports, the freeze,
// system select and the acquisition on the virtual clock, the repeater gate, and its place
// on the default board.
#include "Cxd2856Bench.h"

#include "DefaultBoard.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace platform::sim;
using namespace testsupport;

namespace {
const Device kSlvtDevice = Device::i2c(kSlvt);
using Bytes = std::vector<uint8_t>;
} // namespace

TEST(Cxd2856Registers, BanksPersistPerPortTransfersAutoIncrementAndTheChipId)
{
    Cxd2856Bench b;
    // SLVX answers the chip id before the core is powered.
    EXPECT_EQ(b.get1(kSlvx, 0x00, 0xFD), 0x90);
    b.powerUp();
    ASSERT_EQ(b.set(kSlvt, 0x40, 0x60, {0x0B}), 0);
    ASSERT_EQ(b.write(kSlvx, 0x00, {0x05}), 0);
    // Each port keeps its own bank across transfers; register 0x00 reads it back.
    EXPECT_EQ(b.read(kSlvt, 0x00, 1), Bytes{0x40});
    EXPECT_EQ(b.read(kSlvx, 0x00, 1), Bytes{0x05});
    EXPECT_EQ(b.read(kSlvt, 0x60, 1), Bytes{0x0B});
    EXPECT_EQ(b.get(kSlvt, 0x41, 0x60, 1), Bytes{0x00});

    // One transfer fills consecutive registers of the bank and one read returns them; the
    // same registers of the other port are another file.
    ASSERT_EQ(b.set(kSlvt, 0x10, 0xA6, {1, 2, 3, 4, 5}), 0);
    EXPECT_EQ(b.read(kSlvt, 0xA8, 3), (Bytes{3, 4, 5}));
    EXPECT_EQ(b.get(kSlvx, 0x10, 0xA6, 2), (Bytes{0, 0}));

    // The chip id: read only, in bank 0 only, overridable as a whole or by the board's
    // stuck register on one port.
    b.set(kSlvt, 0x00, 0xFD, {0x12});
    EXPECT_EQ(b.get1(kSlvt, 0x00, 0xFD), 0x90);
    EXPECT_EQ(b.get1(kSlvt, 0x01, 0xFD), 0x00);
    b.chip->setChipId(0x92);
    b.board->faults().stickRegister(kSlvtDevice, bankedRegister(0, 0xFD), 0x91);
    EXPECT_EQ(b.get1(kSlvt, 0x00, 0xFD), 0x91);
    EXPECT_EQ(b.get1(kSlvx, 0x00, 0xFD), 0x92);
}

TEST(Cxd2856Freeze, LatchesTheMonitorsUntilReleased)
{
    Cxd2856Bench b;
    b.powerUp();
    b.dvbcActive();
    SceneCarrier c = dvbcCarrier(474e6, Modulation::Qam256, 32);
    c.digital.preBer = 1e-4;
    b.chip->setSignal(c);
    b.set(kSlvt, 0x40, 0x60, {0x09});
    b.tuneEnd();
    b.advanceMs(10);

    // Frozen in another bank: the freeze register is in every bank and covers bank 0x40.
    ASSERT_EQ(b.set(kSlvt, 0x00, 0x01, {0x01}), 0);
    EXPECT_EQ(b.get1(kSlvt, 0x40, 0x01), 0x01);
    b.advanceMs(500);
    // Still what it was at the freeze, though the chip itself has moved on.
    EXPECT_EQ(b.get1(kSlvt, 0x40, 0x88), 0x00);
    EXPECT_EQ(b.get1(kSlvt, 0x40, 0x10) & 0x20, 0x00);
    EXPECT_EQ(b.read(kSlvt, 0x62, 3), (Bytes{0, 0, 0}));
    EXPECT_TRUE(b.chip->demodLocked());
    // Configuration written while frozen reads back.
    b.set(kSlvt, 0x40, 0x5C, {0x08});
    EXPECT_EQ(b.get1(kSlvt, 0x40, 0x5C), 0x08);

    ASSERT_EQ(b.set(kSlvt, 0x40, 0x01, {0x00}), 0);
    EXPECT_FALSE(b.chip->frozen());
    EXPECT_EQ(b.get1(kSlvt, 0x40, 0x88), 0x01);
    EXPECT_EQ(b.get1(kSlvt, 0x40, 0x10) & 0x20, 0x20);
    EXPECT_EQ(b.get1(kSlvt, 0x40, 0x62) & 0x80, 0x80);

    // A reset drops a held freeze.
    b.write(kSlvt, 0x01, {0x01});
    b.powerUp();
    EXPECT_TRUE(b.freezeReleased());
    EXPECT_EQ(b.chip->releaseCount(), 2);
}

TEST(Cxd2856Acquisition, SystemSelectAndTheLockTimelineOnTheVirtualClock)
{
    Cxd2856Bench b;
    b.powerUp();
    EXPECT_EQ(b.chip->standardName(), "DVB-T"); // the code a sleeping chip is left with
    b.dvbcActive();
    EXPECT_EQ(b.chip->standardName(), "DVB-C");
    SceneCarrier c = dvbcCarrier(474e6, Modulation::Qam64, 30);
    c.digital.timeline = {80, 230, 0};
    b.chip->setSignal(c);

    // No acquisition before the soft reset, however long.
    b.advanceMs(1000);
    EXPECT_EQ(b.get1(kSlvt, 0x40, 0x88), 0x00);
    EXPECT_EQ(std::make_tuple(b.chip->acquisitions(), b.chip->tsLockTimeMs()), std::make_tuple(0, 0u));

    b.tuneEnd();
    EXPECT_TRUE(b.chip->tsOutputEnabled());
    uint64_t t = 0;
    // at ms: AR lock, TS lock
    for (const auto& [atMs, sync, ts] : {std::tuple{0, 0, 0}, {79, 0, 0}, {80, 1, 0}, {229, 1, 0}, {230, 1, 0x20}}) {
        b.advanceMs(atMs - t);
        t = atMs;
        EXPECT_EQ(b.get1(kSlvt, 0x40, 0x88), sync) << "at " << atMs << " ms";
        EXPECT_EQ(b.get1(kSlvt, 0x40, 0x10) & 0x20, ts) << "at " << atMs << " ms";
    }
    EXPECT_EQ(std::make_tuple(b.chip->acquisitions(), b.chip->tsLockTimeMs()), std::make_tuple(1, 230u));

    // A soft reset starts over.
    b.tuneEnd();
    b.advanceMs(79);
    EXPECT_FALSE(b.chip->demodLocked());
    b.advanceMs(1);
    EXPECT_TRUE(b.chip->demodLocked());

    // Sleep ends it, and waking does not resume it without a soft reset; nor does a soft
    // reset while asleep.
    b.set(kSlvx, 0x00, 0x18, {0x01});
    b.write(kSlvx, 0x18, {0x00});
    b.advanceMs(500);
    EXPECT_FALSE(b.chip->demodLocked());
    b.write(kSlvx, 0x18, {0x01});
    b.tuneEnd();
    b.write(kSlvx, 0x18, {0x00});
    b.advanceMs(500);
    EXPECT_FALSE(b.chip->tsLocked());
    EXPECT_EQ(b.chip->acquisitions(), 2);

    // Another system ends it too.
    b.tuneEnd();
    b.advanceMs(300);
    ASSERT_TRUE(b.chip->tsLocked());
    b.set(kSlvx, 0x00, 0x17, {0x01});
    EXPECT_FALSE(b.chip->tsLocked());
    EXPECT_EQ(b.chip->tsLockTimeMs(), 0u);
}

TEST(Cxd2856Repeater, TheTunerGateNeedsTunerModeAndTheRepeaterOnTheInstrumentsBoard)
{
    Cxd2856Bench b;
    // tuner I2C mode, repeater, gate open
    for (const auto& [mode, repeater, open] :
         {std::tuple{0, 0, false}, {1, 0, false}, {0, 1, false}, {1, 1, true}, {2, 1, false}}) {
        b.set(kSlvx, 0x00, 0x1A, {uint8_t(mode)});
        b.write(kSlvx, 0x08, {uint8_t(repeater)});
        EXPECT_EQ(b.chip->tunerGateOpen(), open) << mode << "/" << repeater;
    }
    // Only bank 0 holds the gate.
    b.set(kSlvx, 0x00, 0x1A, {0x01});
    b.write(kSlvx, 0x08, {0x01});
    b.set(kSlvx, 0x01, 0x08, {0x00});
    EXPECT_TRUE(b.chip->tunerGateOpen());

    // The instrument's board has the demodulator on both addresses.
    testsupport::ScopedBoard board(makeDefaultBoard({3, false}));
    for (uint8_t port : {kSlvt, kSlvx}) {
        uint8_t bank0[] = {0x00, 0x00}, id = 0xFD;
        ASSERT_EQ(board->i2cWrite(port, bank0, 2), 0);
        ASSERT_EQ(board->i2cWrite(port, &id, 1), 0);
        ASSERT_EQ(board->i2cRead(port, &id, 1), 0);
        EXPECT_EQ(id, 0x90);
    }
}

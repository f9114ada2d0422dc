// The driver library's I2C binding: frames on the wire, failures reported, never a wrap
// or a stale byte.
#include "SimBoardFixture.h"
#include "hw/DrvI2c.h"

#include <gtest/gtest.h>

#include <memory>

using platform::sim::RegisterI2cModel;
using testsupport::ScopedBoard;

namespace {

struct BoundBus {
    ScopedBoard board;
    std::shared_ptr<RegisterI2cModel> chip = std::make_shared<RegisterI2cModel>();
    BoundBus()
    {
        board->attachI2c(0x6C, chip);
        DrvI2c_LinkAndInit();
        KxlDrvLibError e{};
        DrvI2cMux_LinkAndInit(&e);
    }
};

} // namespace

TEST(DrvI2c, WriteAndReadFramesOnTheWire)
{
    BoundBus bus;
    uint8_t frame[] = {0xD8, 0x10, 0x26, 0x07};
    EXPECT_EQ(pfnDrvI2c_WriteBytes(4, frame), 0);
    EXPECT_EQ(bus.chip->reg(0x10), 0x26);
    EXPECT_EQ(bus.chip->reg(0x11), 0x07);

    uint8_t sub = 0x10;
    uint8_t out[2] = {};
    EXPECT_EQ(pfnDrvI2c_ReadBytes(0, 0xD8, &sub, 1, out, 2), 0);
    EXPECT_EQ(out[0], 0x26);
    EXPECT_EQ(out[1], 0x07);
    // Without a sub-address the read continues where the chip's pointer is.
    EXPECT_EQ(pfnDrvI2c_NO_PROTECT_ReadBytes(0, 0xD8, nullptr, 0, out, 1), 0);

    auto log = bus.board->log().entriesWithPrefix("i2c");
    ASSERT_EQ(log.size(), 4u) << testsupport::dumpLog(*bus.board);
    EXPECT_EQ(log[0].kind, "i2c-write");
    EXPECT_EQ(log[0].device, "0x6C");
    EXPECT_EQ(log[0].bytes, (std::vector<uint8_t>{0x10, 0x26, 0x07}));
    EXPECT_EQ(log[1].bytes, (std::vector<uint8_t>{0x10}));
    EXPECT_EQ(log[2].kind, "i2c-read");
    EXPECT_EQ(log[3].kind, "i2c-read");
    EXPECT_EQ(pfnDrvI2c_NO_PROTECT_WriteBytes, pfnDrvI2c_WriteBytes);
}

TEST(DrvI2c, ShortFramesFailWithoutATransfer)
{
    BoundBus bus;
    uint8_t frame[] = {0xD8};
    EXPECT_EQ(pfnDrvI2c_WriteBytes(1, frame), 1);
    EXPECT_EQ(pfnDrvI2c_WriteBytes(0, frame), 1);
    EXPECT_EQ(pfnDrvI2c_WriteBytes(2, nullptr), 1);
    EXPECT_EQ(bus.board->i2cTransferCount(), 0);
}

TEST(DrvI2c, BusFailuresReturnOne)
{
    BoundBus bus;
    uint8_t frame[] = {0xC0, 0x01, 0x02}; // nobody at 0x60
    EXPECT_EQ(pfnDrvI2c_WriteBytes(3, frame), 1);
    uint8_t sub = 0;
    uint8_t out[1];
    bus.board->faults().nakTransfer(1); // the sub-address write
    EXPECT_EQ(pfnDrvI2c_ReadBytes(0, 0xD8, &sub, 1, out, 1), 1);
    bus.board->faults().nakTransfer(2); // the read after it
    EXPECT_EQ(pfnDrvI2c_ReadBytes(0, 0xD8, &sub, 1, out, 1), 1);
}

TEST(DrvI2cMux, NotLinkedUntilLinked)
{
    ScopedBoard board;
    KxlDrvLibError e{};
    uint8_t frame[] = {0xD8, 0x00, 0x10};
    pfnDrvI2cMux_WriteBytes(&e, 0, 3, frame);
    EXPECT_EQ(e.code, 3u);
    KxlDrvLib_error_ok(&e);
    pfnDrvI2cMux_OpenChannelAndLock(&e, 0);
    EXPECT_EQ(e.code, 3u);
    KxlDrvLib_error_ok(&e);
    pfnDrvI2cMux_Unlock(&e);
    EXPECT_EQ(e.code, 3u);
    uint8_t out = 0;
    pfnDrvI2cMux_ReadBytes(&e, 0, 0, 0xD8, nullptr, 0, &out, 1);
    EXPECT_EQ(e.code, 3u);
    // The plain link pointers fail until linked, and reach no bus.
    EXPECT_EQ(pfnDrvI2c_WriteBytes(3, frame), 1);
    EXPECT_EQ(board->i2cTransferCount(), 0);

    e.code = 99;
    EXPECT_EQ(DrvI2cMux_LinkAndInit(&e), &e);
    EXPECT_EQ(e.code, 0u);
    pfnDrvI2cMux_OpenChannelAndLock(&e, 5);
    EXPECT_EQ(e.code, 0u);
    pfnDrvI2cMux_Unlock(&e);
    EXPECT_EQ(e.code, 0u);
    EXPECT_EQ(DrvI2c_LinkAndInit(), 0);
    EXPECT_EQ(DrvI2cMux_LockBus() | DrvI2c_LockBus() | DrvI2c_UnLockBus() | DrvI2cMux_UnLockBus(), 0u);
}

TEST(DrvI2cMux, PassesBusFailuresAndClearsTheReadBuffer)
{
    BoundBus bus;
    bus.chip->setReg(0x20, 0x5A);
    KxlDrvLibError e{};
    uint8_t sub = 0x20;
    uint8_t out[3] = {0xEE, 0xEE, 0xEE};
    pfnDrvI2cMux_ReadBytes(&e, 7, 0, 0xD8, &sub, 1, out, 2);
    EXPECT_EQ(e.code, 0u);
    EXPECT_EQ(out[0], 0x5A);
    EXPECT_EQ(out[2], 0xEE); // past the length: untouched

    // A failed read leaves zeros, not the last value and not bus garbage.
    bus.board->faults().nakTransfer(1);
    pfnDrvI2cMux_ReadBytes(&e, 7, 0, 0xD8, &sub, 1, out, 2);
    EXPECT_EQ(e.code, 20u);
    EXPECT_STREQ(e.text, DRVI2CMUX_TEXT_READ_ERROR);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[1], 0);
    bus.board->faults().nakTransfer(2);
    pfnDrvI2cMux_ReadBytes(&e, 7, 0, 0xD8, &sub, 1, out, 2);
    EXPECT_EQ(e.code, 20u);
    EXPECT_EQ(out[0], 0);

    // A success after a failure reports ok again: each transfer is its own operation.
    uint8_t frame[] = {0xD8, 0x21, 0x33};
    pfnDrvI2cMux_WriteBytes(&e, 0, 3, frame);
    EXPECT_EQ(e.code, 0u);
    EXPECT_EQ(bus.chip->reg(0x21), 0x33);
    bus.board->faults().fail(platform::sim::Device::i2c(0x6C));
    pfnDrvI2cMux_WriteBytes(&e, 0, 3, frame);
    EXPECT_EQ(e.code, 20u);
    EXPECT_STREQ(e.text, DRVI2CMUX_TEXT_WRITE_ERROR);
    // A frame too short to carry a byte is a failure, not a 65535-byte write.
    bus.board->faults().fail(platform::sim::Device::i2c(0x6C), platform::sim::kEveryAccess, false);
    const int before = bus.board->i2cTransferCount();
    pfnDrvI2cMux_WriteBytes(&e, 0, 1, frame);
    EXPECT_EQ(e.code, 20u);
    EXPECT_EQ(bus.board->i2cTransferCount(), before);
}

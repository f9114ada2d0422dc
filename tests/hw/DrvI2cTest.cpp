// The driver library's I2C binding: frames on the wire, failures reported, never a wrap
// or a stale byte.
#include "ChipBench.h"
#include "hw/DrvI2c.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using hwtest::Bytes;
using hwtest::Wire;
using platform::sim::Device;

namespace {

struct BoundBus : hwtest::ChipBench {
    std::shared_ptr<platform::sim::RegisterI2cModel> chip = std::make_shared<platform::sim::RegisterI2cModel>();
    BoundBus()
    {
        board->attachI2c(0x6C, chip);
        DrvI2c_LinkAndInit();
        KxlDrvLibError e{};
        DrvI2cMux_LinkAndInit(&e);
    }
};

} // namespace

TEST(DrvI2c, FramesOnTheWireAndFailuresWithoutAStrayTransfer)
{
    BoundBus bus;
    uint8_t frame[] = {0xD8, 0x10, 0x26, 0x07};
    EXPECT_EQ(pfnDrvI2c_WriteBytes(4, frame), 0);
    uint8_t sub = 0x10;
    uint8_t out[2] = {};
    EXPECT_EQ(pfnDrvI2c_ReadBytes(0, 0xD8, &sub, 1, out, 2), 0);
    EXPECT_EQ(Bytes(out, out + 2), (Bytes{0x26, 0x07}));
    // Without a sub-address the read continues where the chip's pointer is.
    EXPECT_EQ(pfnDrvI2c_NO_PROTECT_ReadBytes(0, 0xD8, nullptr, 0, out, 1), 0);
    EXPECT_EQ(bus.wire("i2c"), (Wire{"i2c-write 0x6C 10 26 07", "i2c-write 0x6C 10", "i2c-read 0x6C 26 07",
                                     "i2c-read 0x6C 00"}));
    EXPECT_EQ(pfnDrvI2c_NO_PROTECT_WriteBytes, pfnDrvI2c_WriteBytes);

    // Frames too short to carry a byte fail before the bus.
    bus.clearLog();
    EXPECT_EQ(pfnDrvI2c_WriteBytes(1, frame), 1);
    EXPECT_EQ(pfnDrvI2c_WriteBytes(0, frame), 1);
    EXPECT_EQ(pfnDrvI2c_WriteBytes(2, nullptr), 1);
    EXPECT_TRUE(bus.wire("i2c").empty());
    // Bus failures: nobody at the address, a NAK on the sub-address write or on the read.
    uint8_t nobody[] = {0xC0, 0x01, 0x02};
    EXPECT_EQ(pfnDrvI2c_WriteBytes(3, nobody), 1);
    for (int n : {1, 2}) {
        bus.board->faults().nakTransfer(n);
        EXPECT_EQ(pfnDrvI2c_ReadBytes(0, 0xD8, &sub, 1, out, 1), 1) << n;
    }
}

TEST(DrvI2cMux, NotLinkedUntilLinked)
{
    testsupport::ScopedBoard board;
    KxlDrvLibError e{};
    uint8_t frame[] = {0xD8, 0x00, 0x10};
    uint8_t out = 0;
    const std::function<void()> calls[] = {
        [&] { pfnDrvI2cMux_WriteBytes(&e, 0, 3, frame); },
        [&] { pfnDrvI2cMux_OpenChannelAndLock(&e, 0); },
        [&] { pfnDrvI2cMux_Unlock(&e); },
        [&] { pfnDrvI2cMux_ReadBytes(&e, 0, 0, 0xD8, nullptr, 0, &out, 1); },
    };
    for (const auto& call : calls) {
        KxlDrvLib_error_ok(&e);
        call();
        EXPECT_EQ(e.code, 3u);
    }
    // The plain link pointers fail until linked, and reach no bus.
    EXPECT_EQ(pfnDrvI2c_WriteBytes(3, frame), 1);
    EXPECT_EQ(board->i2cTransferCount(), 0);

    e.code = 99;
    EXPECT_EQ(DrvI2cMux_LinkAndInit(&e), &e);
    EXPECT_EQ(e.code, 0u);
    pfnDrvI2cMux_OpenChannelAndLock(&e, 5);
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
    EXPECT_EQ(Bytes(out, out + 3), (Bytes{0x5A, 0x00, 0xEE})); // past the length: untouched

    // A failed read (at the sub-address write or at the read) leaves zeros, not the last
    // value and not bus garbage.
    for (int n : {1, 2}) {
        out[0] = out[1] = 0x77;
        bus.board->faults().nakTransfer(n);
        pfnDrvI2cMux_ReadBytes(&e, 7, 0, 0xD8, &sub, 1, out, 2);
        EXPECT_EQ(e.code, 20u);
        EXPECT_STREQ(e.text, DRVI2CMUX_TEXT_READ_ERROR);
        EXPECT_EQ(Bytes(out, out + 2), (Bytes{0, 0})) << n;
    }

    // A success after a failure reports ok again: each transfer is its own operation.
    uint8_t frame[] = {0xD8, 0x21, 0x33};
    pfnDrvI2cMux_WriteBytes(&e, 0, 3, frame);
    EXPECT_EQ(e.code, 0u);
    EXPECT_EQ(bus.chip->reg(0x21), 0x33);
    bus.board->faults().fail(Device::i2c(0x6C));
    pfnDrvI2cMux_WriteBytes(&e, 0, 3, frame);
    EXPECT_EQ(e.code, 20u);
    EXPECT_STREQ(e.text, DRVI2CMUX_TEXT_WRITE_ERROR);
    // A frame too short to carry a byte is a failure, not a 65535-byte write.
    bus.board->faults().fail(Device::i2c(0x6C), platform::sim::kEveryAccess, false);
    const int before = bus.board->i2cTransferCount();
    pfnDrvI2cMux_WriteBytes(&e, 0, 1, frame);
    EXPECT_EQ(e.code, 20u);
    EXPECT_EQ(bus.board->i2cTransferCount(), before);
}

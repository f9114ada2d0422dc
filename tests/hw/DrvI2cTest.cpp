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

TEST(DrvI2c, FramesOnTheWireAndFailuresWithoutAStrayTransferOrAStaleByte)
{
    hwtest::ChipBench bus;
    auto chip = std::make_shared<platform::sim::RegisterI2cModel>();
    bus.board->attachI2c(0x6C, chip);
    DrvI2c_LinkAndInit();
    KxlDrvLibError e{};
    DrvI2cMux_LinkAndInit(&e);
    uint8_t frame[] = {0xD8, 0x10, 0x26, 0x07};
    EXPECT_EQ(pfnDrvI2c_WriteBytes(4, frame), 0);
    uint8_t sub = 0x10;
    uint8_t out[3] = {};
    EXPECT_EQ(pfnDrvI2c_ReadBytes(0, 0xD8, &sub, 1, out, 2), 0);
    EXPECT_EQ(Bytes(out, out + 2), (Bytes{0x26, 0x07}));
    // Without a sub-address the read continues where the chip's pointer is.
    EXPECT_EQ(pfnDrvI2c_NO_PROTECT_ReadBytes(0, 0xD8, nullptr, 0, out, 1), 0);
    EXPECT_EQ(bus.wire("i2c"), (Wire{"i2c-write 0x6C 10 26 07", "i2c-write 0x6C 10", "i2c-read 0x6C 26 07",
                                     "i2c-read 0x6C 00"}));

    // Frames too short to carry a byte fail before the bus, not as a 65535-byte write.
    bus.clearLog();
    EXPECT_EQ((std::vector<int>{pfnDrvI2c_WriteBytes(1, frame), pfnDrvI2c_WriteBytes(0, frame),
                                pfnDrvI2c_WriteBytes(2, nullptr)}),
              (std::vector<int>{1, 1, 1}));
    pfnDrvI2cMux_WriteBytes(&e, 0, 1, frame);
    EXPECT_EQ(e.code, 20u);
    EXPECT_TRUE(bus.wire("i2c").empty());

    // A NAK on the sub-address write or on the read: the multiplexer's read leaves zeros,
    // not the last value and not bus garbage, and touches nothing past its length.
    chip->setReg(0x20, 0x5A);
    sub = 0x20;
    for (int n : {0, 1, 2}) {
        out[0] = out[1] = 0x77;
        out[2] = 0xEE;
        if (n)
            bus.board->faults().nakTransfer(n);
        pfnDrvI2cMux_ReadBytes(&e, 7, 0, 0xD8, &sub, 1, out, 2);
        EXPECT_EQ(e.code, n ? 20u : 0u) << n;
        EXPECT_STREQ(e.text, n ? DRVI2CMUX_TEXT_READ_ERROR : nullptr) << n;
        EXPECT_EQ(Bytes(out, out + 3), (Bytes{uint8_t(n ? 0 : 0x5A), 0x00, 0xEE})) << n;
        if (n)
            bus.board->faults().nakTransfer(n);
        EXPECT_EQ(pfnDrvI2c_ReadBytes(0, 0xD8, &sub, 1, out, 1), n ? 1 : 0) << n;
    }

}

TEST(DrvI2cMux, NotLinkedUntilLinked)
{
    testsupport::ScopedBoard board;
    KxlDrvLibError e{};
    uint8_t frame[] = {0xD8, 0x00, 0x10};
    uint8_t out = 0;
    const std::function<void()> calls[] = {[&] { pfnDrvI2cMux_WriteBytes(&e, 0, 3, frame); },
                                           [&] { pfnDrvI2cMux_OpenChannelAndLock(&e, 0); }, [&] { pfnDrvI2cMux_Unlock(&e); },
                                           [&] { pfnDrvI2cMux_ReadBytes(&e, 0, 0, 0xD8, nullptr, 0, &out, 1); }};
    for (const auto& call : calls) {
        KxlDrvLib_error_ok(&e);
        call();
        EXPECT_EQ(e.code, 3u);
    }
    // The plain link pointers fail until linked, and reach no bus.
    EXPECT_EQ(pfnDrvI2c_WriteBytes(3, frame), 1);
    EXPECT_EQ(pfnDrvI2c_ReadBytes(0, 0xD8, nullptr, 0, &out, 1), 1);
    EXPECT_EQ(board->i2cTransferCount(), 0);

    e.code = 99;
    EXPECT_EQ(DrvI2cMux_LinkAndInit(&e), &e);
    pfnDrvI2cMux_OpenChannelAndLock(&e, 5);
    pfnDrvI2cMux_Unlock(&e);
    EXPECT_EQ(e.code, 0u);
    EXPECT_EQ(DrvI2cMux_LockBus() | DrvI2c_LockBus() | DrvI2c_UnLockBus() | DrvI2cMux_UnLockBus(), 0u);
}

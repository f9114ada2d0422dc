#include "Cxd2856Bench.h"

namespace testsupport {

using namespace platform::sim;

Cxd2856Bench::Cxd2856Bench() : scene(std::make_shared<RfScene>()), chip(installCxd2856(*board, scene)) {}

int Cxd2856Bench::write(uint8_t port, uint8_t reg, std::initializer_list<uint8_t> data)
{
    std::vector<uint8_t> bytes{reg};
    bytes.insert(bytes.end(), data.begin(), data.end());
    return board->i2cWrite(port, bytes.data(), bytes.size());
}

int Cxd2856Bench::set(uint8_t port, uint8_t bank, uint8_t reg, std::initializer_list<uint8_t> data)
{
    if (write(port, 0x00, {bank}) != 0)
        return -1;
    return write(port, reg, data);
}

std::vector<uint8_t> Cxd2856Bench::read(uint8_t port, uint8_t reg, size_t n)
{
    std::vector<uint8_t> out(n);
    if (board->i2cWrite(port, &reg, 1) != 0 || board->i2cRead(port, out.data(), n) != 0)
        return {};
    return out;
}

std::vector<uint8_t> Cxd2856Bench::get(uint8_t port, uint8_t bank, uint8_t reg, size_t n)
{
    if (write(port, 0x00, {bank}) != 0)
        return {};
    return read(port, reg, n);
}

::testing::AssertionResult Cxd2856Bench::freezeReleased() const
{
    if (!chip->frozen())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "the demodulator's monitors are left frozen (" << chip->freezeCount()
                                         << " freezes, " << chip->releaseCount() << " releases)";
}

void Cxd2856Bench::powerUp()
{
    set(kSlvx, 0x00, 0x10, {0x01});
    write(kSlvx, 0x18, {0x01});
    write(kSlvx, 0x28, {0x13});
    write(kSlvx, 0x17, {0x01});
    write(kSlvx, 0x1D, {0x00});
    write(kSlvx, 0x14, {0x00});
    write(kSlvx, 0x1C, {0x03});
    advanceMs(4);
    write(kSlvx, 0x50, {0x00});
    advanceMs(1);
    write(kSlvx, 0x10, {0x00});
    advanceMs(1);
}

void Cxd2856Bench::shutdown()
{
    set(kSlvx, 0x00, 0x10, {0x01});
    write(kSlvx, 0x1C, {0x00});
}

void Cxd2856Bench::wakeFromShutdown()
{
    set(kSlvx, 0x00, 0x1C, {0x03});
    advanceMs(4);
    write(kSlvx, 0x10, {0x00});
    advanceMs(1);
}

void Cxd2856Bench::dvbcActive(int mhz)
{
    set(kSlvx, 0x00, 0x17, {0x04});
    set(kSlvt, 0x00, 0xA9, {0x00});
    write(kSlvt, 0x2C, {0x01});
    write(kSlvx, 0x18, {0x00});
    // IF word (3.7 MHz at 6 MHz, 4.9 MHz above) and the band setting.
    if (mhz == 6)
        set(kSlvt, 0x10, 0xB6, {0x13, 0xBB, 0xBC});
    else
        set(kSlvt, 0x10, 0xB6, {0x1A, 0x22, 0x22});
    const uint8_t band[3][4] = {{0x07, 0x33, 0x00, 0xEE}, {0x08, 0x66, 0x00, 0xEE}, {0x09, 0x9A, 0x00, 0xEE}};
    const uint8_t* b = band[mhz - 6];
    set(kSlvt, 0x40, 0x26, {b[0], b[1], b[2], b[3]});
}

void Cxd2856Bench::tuneEnd()
{
    set(kSlvt, 0x00, 0xFE, {0x01});
    write(kSlvt, 0xC3, {0x00});
}

SceneCarrier dvbcCarrier(double centreHz, Modulation m, double merDb, double symbolRateBd)
{
    SceneCarrier c;
    c.kind = SceneCarrier::Kind::Digital;
    c.frequencyHz = centreHz;
    c.bandwidthHz = 8e6;
    c.levelDbuV = 60;
    c.standard = standard::kDvbC;
    c.merDb = merDb;
    c.digital.modulation = m;
    c.digital.symbolRateBd = symbolRateBd;
    return c;
}

} // namespace testsupport

#include "drvMAX3543.h"

#include "ChipLog.h"
#include "i2cControl.h"

#include "common/BoardWiring.h"

namespace {

namespace w = wiring::max3543;

struct TunerOptions {
    int rfifd = 1;
    int wpda = 4;
    int npda = 3;
    int dwpd = 0;
    int dnpd = 0;
    int r0b = 0;
};

TunerOptions& options()
{
    static TunerOptions o;
    return o;
}

constexpr const char* kChip = "TUNER->";

int composeR0B(const TunerOptions& o)
{
    return ((o.dwpd << 7) | ((o.wpda & 7) << 4) | (o.dnpd << 3) | (o.npda & 7)) & 0xFF;
}

} // namespace

int max3543_Initialize()
{
    TunerOptions& o = options();
    o.r0b = composeR0B(o);
    unsigned char regs[sizeof w::kInitFromTfs];
    for (size_t i = 0; i < sizeof regs; ++i)
        regs[i] = w::kInitFromTfs[i];
    regs[w::kPdCfg2 - w::kTfs] = static_cast<unsigned char>(o.r0b);
    regs[w::kFiltCf - w::kTfs] = static_cast<unsigned char>(w::kIfFilterCode | (o.rfifd & 3));
    if (i2cWriteRegisters(wiring::kTunerAddress, w::kTfs, regs, sizeof regs) != 0) {
        chipLog(kChip, "max3543_Initialize", w::kTfs, wiring::kTunerAddress, "failed");
        return -1;
    }
    return 0;
}

int max3543_SetRfFreqHz(unsigned int hz)
{
    const uint64_t rf = (static_cast<uint64_t>(hz) + w::kStepHz / 2) / w::kStepHz * w::kStepHz;
    const uint64_t lo = rf + w::kIfHz;
    int exponent = 0;
    while (exponent < w::kMaxLoDivExponent && (lo << exponent) < w::kVcoMinHz)
        ++exponent;
    const uint64_t vco = lo << exponent;
    if (vco < w::kVcoMinHz || vco >= w::kVcoMaxHz) {
        chipLog(kChip, "max3543_SetRfFreqHz", w::kNdiv, wiring::kTunerAddress, "out of range");
        return -1;
    }
    uint64_t n = vco / w::kCrystalHz;
    uint64_t frac = ((vco % w::kCrystalHz << w::kFracBits) + w::kCrystalHz / 2) / w::kCrystalHz;
    if (frac >> w::kFracBits) {
        ++n;
        frac = 0;
    }
    const unsigned char band = rf < w::kVhfHighFromHz ? 0 : rf < w::kUhfFromHz ? 1 : 2;
    const unsigned char regs[] = {
        static_cast<unsigned char>(n),
        static_cast<unsigned char>((exponent << 4) | ((frac >> 16) & 0x0F)),
        static_cast<unsigned char>(frac >> 8),
        static_cast<unsigned char>(frac),
        band,
    };
    if (i2cWriteRegisters(wiring::kTunerAddress, w::kNdiv, regs, sizeof regs) != 0) {
        chipLog(kChip, "max3543_SetRfFreqHz", w::kNdiv, wiring::kTunerAddress, "failed");
        return -1;
    }
    return 0;
}

int max3543LockDetect()
{
    unsigned char status = 0;
    if (i2cReadRegisters(wiring::kTunerAddress, w::kGenStatus, &status, 1) != 0) {
        chipLog(kChip, "max3543LockDetect", w::kGenStatus, wiring::kTunerAddress, "failed");
        return -1;
    }
    return status & 7;
}

void setRfifd(char value) { options().rfifd = value; }
void setWpda(char value) { options().wpda = value; }
void setNpda(char value) { options().npda = value; }
void setDWPD(bool on) { options().dwpd = on ? 15 : 0; }
void setDNPD(bool on) { options().dnpd = on ? 15 : 0; }
int getWpda() { return options().wpda; }
int getNpda() { return options().npda; }
int getR0B() { return options().r0b; }

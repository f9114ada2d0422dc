#include "DrvTPS65233.h"

#include "ChipLog.h"
#include "i2cControl.h"

#include "common/BoardWiring.h"

#include <mutex>

namespace {

namespace w = wiring::tps65233;
constexpr const char* kChip = "LNB->";

struct Kept {
    std::mutex mutex;
    DrvTPS65233_State state{3, 0, 0, 0, 0};
};

Kept& kept()
{
    static Kept k;
    return k;
}

bool writeRegister(unsigned char reg, unsigned char value, const char* function)
{
    if (i2cWriteRegisters(wiring::kLnbSupplyAddress, reg, &value, 1) == 0)
        return true;
    chipLog(kChip, function, reg, wiring::kLnbSupplyAddress, "write failed");
    return false;
}

// Read-modify-write: bits in mask := value, and the write mark on register 0. Nothing is
// written when the read fails. Returns whether the chip has the new value.
bool modify(KxlDrvLibError* err, unsigned char reg, unsigned char mask, unsigned char value, const char* function)
{
    KxlDrvLib_error_ok(err);
    unsigned char old = 0;
    bool ok = i2cReadRegisters(wiring::kLnbSupplyAddress, reg, &old, 1) == 0;
    if (!ok) {
        chipLog(kChip, function, reg, wiring::kLnbSupplyAddress, "read failed, nothing written");
    } else {
        unsigned char next = static_cast<unsigned char>((old & ~mask) | (value & mask));
        if (reg == w::kControl)
            next |= w::kWriteMark;
        ok = writeRegister(reg, next, function);
    }
    if (!ok)
        KxlDrvLib_error_set(err, KxlDrvLib_code_fail, 0, DRVTPS65233_TEXT_SET_ERROR);
    return ok;
}

} // namespace

void DrvTPS65233_Init(KxlDrvLibError* err)
{
    KxlDrvLib_error_ok(err);
    if (!writeRegister(w::kControl, w::kInitControl, "DrvTPS65233_Init"))
        KxlDrvLib_error_set(err, KxlDrvLib_code_fail, 0, DRVTPS65233_TEXT_OPEN_ERROR);
    if (!writeRegister(w::kCurrent, w::kInitCurrent, "DrvTPS65233_Init"))
        KxlDrvLib_error_set(err, KxlDrvLib_code_fail, 0, DRVTPS65233_TEXT_OPEN_ERROR);
    std::lock_guard<std::mutex> lock(kept().mutex);
    kept().state = DrvTPS65233_State{3, 0, 0, 0, 0};
}

void DrvTPS65233_HW_set_voltage(KxlDrvLibError* err, unsigned code)
{
    if (!modify(err, w::kControl, w::kVoltageMask, static_cast<unsigned char>(code & 7), "DrvTPS65233_HW_set_voltage"))
        return;
    std::lock_guard<std::mutex> lock(kept().mutex);
    kept().state.voltageCode = code & 7;
}

void DrvTPS65233_HW_set_internal_tone_enable(KxlDrvLibError* err, unsigned char on)
{
    if (!modify(err, w::kControl, w::kToneEnable, on ? w::kToneEnable : 0, "DrvTPS65233_HW_set_internal_tone_enable"))
        return;
    std::lock_guard<std::mutex> lock(kept().mutex);
    kept().state.tone = on ? 1 : 0;
}

void DrvTPS65233_HW_set_output_enable(KxlDrvLibError* err, unsigned char on)
{
    if (!modify(err, w::kControl, w::kOutputEnable, on ? w::kOutputEnable : 0, "DrvTPS65233_HW_set_output_enable"))
        return;
    std::lock_guard<std::mutex> lock(kept().mutex);
    kept().state.output = on ? 1 : 0;
}

void DrvTPS65233_HW_set_max_current(KxlDrvLibError* err, unsigned code)
{
    if (!modify(err, w::kCurrent, w::kCurrentMask, static_cast<unsigned char>((code & 3) << w::kCurrentShift),
                "DrvTPS65233_HW_set_max_current"))
        return;
    std::lock_guard<std::mutex> lock(kept().mutex);
    kept().state.currentLimit = code & 3;
}

DrvTPS65233_State DrvTPS65233_GetState(void)
{
    std::lock_guard<std::mutex> lock(kept().mutex);
    return kept().state;
}

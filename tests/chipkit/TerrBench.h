// A demodulator asleep on the fake register files, with what the terrestrial-standard tests
// share: the output-side writes the kit core makes inside a tune, a handle made active on a
// system, and whether a monitor left the freeze on.
#pragma once

#include "KitTrail.h"
#include "chipkit/kit_demod_output.h"

#include <gtest/gtest.h>

#include <vector>

namespace kittest {

struct TerrBench : DemodBench {
    TerrBench() { EXPECT_EQ(initialize(), 0u); }

    // What the output-clock set-up and the data pins write on this chip as it stands.
    std::vector<Step> clockWrites(kit_dtv_system_t system)
    {
        i2c.clearLog();
        EXPECT_EQ(kit_demod_SetTSClockModeAndFreq(&demod, system), 0u);
        return takeLog();
    }
    std::vector<Step> pinWrites(uint8_t hiZ)
    {
        i2c.clearLog();
        EXPECT_EQ(kit_demod_SetTSDataPinHiZ(&demod, hiZ), 0u);
        return takeLog();
    }

    void activeOn(kit_dtv_system_t system, kit_dtv_bandwidth_t bandwidth)
    {
        kit_demod_FinishTransition(&demod, system, KIT_RESULT_OK);
        demod.bandwidth = bandwidth;
        i2c.clearLog();
    }

    // The last write of the freeze register left the monitors frozen.
    bool frozen() const { return !freezeReleased(i2c); }

    // The writes to one SLVT bank, without the freeze register (the chip has one for all banks).
    std::vector<std::pair<int, int>> regWrites(int bank) const
    {
        std::vector<std::pair<int, int>> out;
        for (const auto& w : i2c.writesTo(SLVT, bank))
            if (w.first != 0x01)
                out.push_back(w);
        return out;
    }

    void set(int port, int bank, int reg, const std::vector<int>& bytes)
    {
        for (size_t i = 0; i < bytes.size(); ++i)
            i2c.setReg(port, static_cast<uint8_t>(bank), static_cast<uint8_t>(reg + i),
                       static_cast<uint8_t>(bytes[i]));
    }

private:
    std::vector<Step> takeLog()
    {
        std::vector<Step> out = i2c.writes();
        i2c.clearLog();
        return out;
    }
};

} // namespace kittest

// ADF4350 synthesizer, the local oscillator of the up- and down-converting bands. It is
// driven from fixed register sets (one per pilot frequency) and an RF output enable; only
// registers that differ from the ones last written go out, R5 first and R0 last.
#pragma once

#include "spidevice.h"

#include "common/BoardWiring.h"

#include <cstdint>
#include <string>

class ADF4350 {
public:
    explicit ADF4350(std::string device = wiring::kSynthesizerNode);

    // Loads the set of pilot index 3, 4, 5 or 6 (anything else: the default 195 MHz set),
    // writes what differs from the last written registers, then forgets them so the next
    // write sends all six. 0 on success, -1 when a register did not go out.
    int programaFreqPilot(int index);
    // Sets or clears the RF output enable (R4 bit 5) and writes the changed registers.
    int rf_output_enable(bool on);
    int standby(bool standby) { return rf_output_enable(!standby); }

    uint32_t getRegister(int n) const { return n >= 0 && n < wiring::adf4350::kRegisterCount ? regs_[n] : 0; }

private:
    int writeChanged();
    void forgetWritten();

    SpiDevice spi_;
    uint32_t regs_[wiring::adf4350::kRegisterCount] = {};
    uint32_t written_[wiring::adf4350::kRegisterCount] = {};
    bool known_[wiring::adf4350::kRegisterCount] = {}; // written_ holds what the chip has
};

#include "ADF4350.h"

#include "SpiWords.h"

ADF4350::ADF4350(std::string device)
    : spi_(std::move(device), wiring::kSynthesizerSpi.speedHz, wiring::kSynthesizerSpi.mode,
           wiring::kSynthesizerSpi.bitsPerWord)
{
    spi_.open();
    const auto& defaults = wiring::adf4350::kPilotSets[0];
    for (int i = 0; i < wiring::adf4350::kRegisterCount; ++i)
        regs_[i] = defaults[i];
}

void ADF4350::forgetWritten()
{
    for (bool& k : known_)
        k = false;
}

int ADF4350::writeChanged()
{
    int rc = 0;
    // R0 last: writing it starts the VCO band selection with the other registers in place.
    for (int i = wiring::adf4350::kRegisterCount - 1; i >= 0; --i) {
        if (known_[i] && written_[i] == regs_[i])
            continue;
        if (spiwords::send(spi_, regs_[i], 4) != 0) {
            known_[i] = false;
            rc = -1;
            continue;
        }
        written_[i] = regs_[i];
        known_[i] = true;
    }
    return rc;
}

int ADF4350::programaFreqPilot(int index)
{
    const auto& set = wiring::adf4350::kPilotSets[wiring::adf4350::pilotSetRow(index)];
    for (int i = 0; i < wiring::adf4350::kRegisterCount; ++i)
        regs_[i] = set[i];
    int rc = writeChanged();
    forgetWritten();
    return rc;
}

int ADF4350::rf_output_enable(bool on)
{
    if (on)
        regs_[4] |= wiring::adf4350::kOutputEnableBit;
    else
        regs_[4] &= ~wiring::adf4350::kOutputEnableBit;
    return writeChanged();
}

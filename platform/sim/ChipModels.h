// The chips of the RF board on the simulated buses, wired as the board-wiring header
// says: the step attenuators, the synthesizers and the converter on their spidev nodes;
// the tuner, the temperature sensor, the real-time clock and the LNB supply on the I2C bus.
// Tests keep the handles to speak physics to the models.
#pragma once

#include "Max11337Model.h"
#include "Max3543Model.h"
#include "Pcf85263Model.h"
#include "Pe4312Model.h"
#include "SimulatedBoard.h"
#include "SynthesizerNodeModel.h"
#include "Tmp100Model.h"
#include "Tps65233Model.h"

#include <memory>

namespace platform::sim {

struct ChipModels {
    std::shared_ptr<Pe4312Model> attenuatorA;
    std::shared_ptr<Pe4312Model> attenuatorB;
    std::shared_ptr<SynthesizerNodeModel> synthesizers;
    std::shared_ptr<Max11337Model> converter;
    std::shared_ptr<Max3543Model> tuner;
    std::shared_ptr<Tmp100Model> temperature;
    std::shared_ptr<Pcf85263Model> realTimeClock;
    std::shared_ptr<Tps65233Model> lnbSupply;
};

ChipModels installChipModels(SimulatedBoard& board);

} // namespace platform::sim

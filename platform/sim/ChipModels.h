// The chips of the RF board on the simulated buses, wired as the board-wiring header
// says: the step attenuators, the synthesizers and the converter on their spidev nodes.
// Tests keep the handles to speak physics to the models.
#pragma once

#include "Max11337Model.h"
#include "Pe4312Model.h"
#include "SimulatedBoard.h"
#include "SynthesizerNodeModel.h"

#include <memory>

namespace platform::sim {

struct ChipModels {
    std::shared_ptr<Pe4312Model> attenuatorA;
    std::shared_ptr<Pe4312Model> attenuatorB;
    std::shared_ptr<SynthesizerNodeModel> synthesizers;
    std::shared_ptr<Max11337Model> converter;
};

ChipModels installChipModels(SimulatedBoard& board);

} // namespace platform::sim

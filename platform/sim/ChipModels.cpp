#include "ChipModels.h"

#include "hw/BoardWiring.h"

namespace platform::sim {

ChipModels installChipModels(SimulatedBoard& board)
{
    ChipModels m;
    m.attenuatorA = std::make_shared<Pe4312Model>();
    m.attenuatorB = std::make_shared<Pe4312Model>();
    m.synthesizers = std::make_shared<SynthesizerNodeModel>(board.clock());
    m.converter = std::make_shared<Max11337Model>(board.clock());
    board.attachSpi(wiring::kAttenuatorANode, m.attenuatorA);
    board.attachSpi(wiring::kAttenuatorBNode, m.attenuatorB);
    board.attachSpi(wiring::kSynthesizerNode, m.synthesizers);
    board.attachSpi(wiring::kConverterNode, m.converter);
    return m;
}

} // namespace platform::sim

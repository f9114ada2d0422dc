#include "ChipModels.h"

#include "SystemTimeCommands.h"

#include "common/BoardWiring.h"

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
    m.tuner = std::make_shared<Max3543Model>(board.clock());
    m.temperature = std::make_shared<Tmp100Model>();
    m.realTimeClock = std::make_shared<Pcf85263Model>(board.clock());
    m.lnbSupply = std::make_shared<Tps65233Model>();
    board.attachI2c(wiring::kTunerAddress, m.tuner);
    board.attachI2c(wiring::kTemperatureAddress, m.temperature);
    board.attachI2c(wiring::kClockAddress, m.realTimeClock);
    board.attachI2c(wiring::kLnbSupplyAddress, m.lnbSupply);
    installHardwareClockCommand(board, m.realTimeClock);
    return m;
}

} // namespace platform::sim

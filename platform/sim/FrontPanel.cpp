#include "FrontPanel.h"

#include "Max11337Model.h"

#include "common/BoardWiring.h"

#include <cmath>

namespace platform::sim {

namespace {
// The pack reaches the converter through a 4.03:1 divider; one step is 0.5 mV.
constexpr double kBatteryVoltsPerStep = 0.0005 * 4.03;
} // namespace

void installFrontPanel(SimulatedBoard& board, const DefaultBoardOptions& options)
{
    const int model = options.hardwareModel;
    board.gpio().setExternalLevel(wiring::gpio::STRAP0, model & 1);
    board.gpio().setExternalLevel(wiring::gpio::STRAP1, (model >> 1) & 1);
    setKeyPressed(board, FrontPanelKey::Menu, false);
    setKeyPressed(board, FrontPanelKey::Power, false);
    setMainsConnected(board, true);
    setCharging(board, false);
    setBatteryVolts(board, kChargedBatteryVolts);
}

void setKeyPressed(SimulatedBoard& board, FrontPanelKey key, bool pressed)
{
    const int line = key == FrontPanelKey::Menu ? wiring::gpio::KEY_MENU : wiring::gpio::KEY_POWER;
    const int level = pressed ? wiring::gpio::KEY_PRESSED_LEVEL : 1 - wiring::gpio::KEY_PRESSED_LEVEL;
    board.gpio().setExternalLevel(line, level);
}

void setMainsConnected(SimulatedBoard& board, bool connected)
{
    board.gpio().setExternalLevel(wiring::gpio::MAINS, connected ? 1 : 0);
}

void setCharging(SimulatedBoard& board, bool charging)
{
    board.gpio().setExternalLevel(wiring::gpio::CHARGER, charging ? 1 : 0);
}

bool setBatteryVolts(SimulatedBoard& board, double volts)
{
    auto converter = std::dynamic_pointer_cast<Max11337Model>(board.spiModel(wiring::kConverterNode));
    if (!converter)
        return false;
    converter->setChannelValue(wiring::max11337::kBatteryChannel, static_cast<int>(std::lround(volts / kBatteryVoltsPerStep)));
    return true;
}

} // namespace platform::sim

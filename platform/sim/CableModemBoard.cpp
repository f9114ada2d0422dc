#include "CableModemBoard.h"

#include "common/BoardWiring.h"

#include <cmath>

namespace platform::sim {

namespace {
constexpr double kDbuvPerDbmv = 60.0;

ModemChannel toModemChannel(const SceneCarrier& c)
{
    ModemChannel channel;
    channel.powerDbmv = c.levelDbuV - kDbuvPerDbmv;
    channel.merDb = c.merDb;
    channel.centreHz = static_cast<uint32_t>(c.frequencyHz);
    const bool singleCarrier = c.kind == SceneCarrier::Kind::Digital;
    // Single carriers sit side by side in a bonding group; 6 MHz ones are Annex B.
    channel.widthHz = singleCarrier ? static_cast<uint32_t>(c.bandwidthHz) : 0;
    channel.annex = c.bandwidthHz < 7e6 ? 'B' : 'A';
    return channel;
}
} // namespace

ModemChannelSource sceneModemChannels(std::shared_ptr<const RfScene> scene)
{
    return [scene](uint32_t frequencyHz) {
        for (const SceneCarrier& c : scene->blocksOf("DOCSIS")) {
            const bool found = frequencyHz == 0 ? c.standard == "DOCSIS30"
                                                : std::fabs(frequencyHz - c.frequencyHz) < c.bandwidthHz / 2;
            if (found)
                return toModemChannel(c);
        }
        ModemChannel none;
        none.present = false;
        return none;
    };
}

std::shared_ptr<CableModemModel> installCableModem(SimulatedBoard& board, const DefaultBoardOptions& options,
                                                   std::shared_ptr<const RfScene> scene)
{
    CableModemOptions modem;
    modem.autoStart = options.hardwareModel == 3;
    modem.docsis31 = options.hardwareModel == 3;
    auto model = std::make_shared<CableModemModel>(board, modem);
    if (scene)
        model->setChannelSource(sceneModemChannels(scene));
    board.attachSerial(wiring::kModemSerialDevice, model->slavePath());
    board.keep(model);
    return model;
}

} // namespace platform::sim

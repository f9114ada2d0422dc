#include "CableModemBoard.h"

#include "common/BoardWiring.h"

#include <cmath>

namespace platform::sim {

namespace {
constexpr double kDbuvPerDbmv = 60.0;

int qamOrderOf(Modulation m)
{
    switch (m) {
    case Modulation::Qam16: return 16;
    case Modulation::Qam32: return 32;
    case Modulation::Qam64: return 64;
    case Modulation::Qam128: return 128;
    default: return 256;
    }
}

ModemChannel toModemChannel(const SceneCarrier& c)
{
    ModemChannel channel;
    channel.powerDbmv = c.levelDbuV - kModemInputLossDb - kDbuvPerDbmv;
    channel.merDb = c.merDb;
    channel.centreHz = static_cast<uint32_t>(c.frequencyHz);
    // Single carriers sit side by side in a bonding group; 6 MHz ones are Annex B.
    channel.widthHz = static_cast<uint32_t>(c.bandwidthHz);
    channel.annex = c.bandwidthHz < 7e6 ? 'B' : 'A';
    channel.qamOrder = qamOrderOf(c.digital.modulation);
    return channel;
}
} // namespace

ModemNetwork sceneModemNetwork(std::shared_ptr<const RfScene> scene)
{
    ModemNetwork network;
    network.downstream = [scene](uint32_t frequencyHz) {
        for (const SceneCarrier& c : scene->blocksOf(standard::kDocsis30)) {
            const bool found = frequencyHz == 0 || std::fabs(frequencyHz - c.frequencyHz) < c.bandwidthHz / 2;
            if (found)
                return toModemChannel(c);
        }
        ModemChannel none;
        none.present = false;
        return none;
    };
    network.ofdm = [scene] {
        std::vector<ModemOfdmChannel> ofdm;
        for (const SceneCarrier& c : scene->blocksOf("DOCSIS31"))
            ofdm.push_back({static_cast<uint32_t>(c.frequencyHz), static_cast<uint32_t>(c.bandwidthHz),
                            c.levelDbuV - kModemInputLossDb - kDbuvPerDbmv, c.merDb, scene->tiltDbPerGhz()});
        return ofdm;
    };
    network.plan = [scene] { return scene->docsisPlan(); };
    return network;
}

std::shared_ptr<CableModemModel> installCableModem(SimulatedBoard& board, const DefaultBoardOptions& options,
                                                   std::shared_ptr<const RfScene> scene)
{
    CableModemOptions modem;
    modem.autoStart = options.hardwareModel == 3;
    modem.docsis31 = options.hardwareModel == 3;
    auto model = std::make_shared<CableModemModel>(board, modem);
    if (scene)
        model->setNetwork(sceneModemNetwork(scene));
    board.attachSerial(wiring::kModemSerialDevice, model->slavePath());
    board.keep(model);
    return model;
}

} // namespace platform::sim

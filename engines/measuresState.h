// State the engine's modules share beside the Measures object: the histories of the two
// max-hold filters and the frequency the engine last tuned.
#pragma once

#include <QList>

namespace rfengine {

struct EngineState {
    QList<int> integration_maxim_List;
    QList<int> carreir_noise_maxim_List;
    unsigned int frequencyEquip = 0;
};

EngineState& state();

} // namespace rfengine

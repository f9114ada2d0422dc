// Shared set-up of the tests of the upstream generators and the VoIP and IPTV path tests:
// the simulated modem booted and registered, the engine passing, the settings they read,
// and what the engine tells the screens.
#pragma once

#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"

#include <functional>

namespace modemtest {

void setSettings(const QVariantMap& values);

class PathBench {
public:
    // The modem booted, with its command line started, and past registration when asked.
    explicit PathBench(int hardwareModel = kDocsis31, bool registered = true);
    ModemLink link;
    MesuraCM* engine;
    EngineSignals emitted;
    Commands commands() { return link.modem().commands(); }
    // Calls step until it answers one of the given results; the last answer, or the busy
    // answer after maxCalls.
    int until(const std::function<int()>& step, std::initializer_list<int> results, int maxCalls = 3000);

private:
    testsupport::ScopedWorkDir dir_;
};

} // namespace modemtest

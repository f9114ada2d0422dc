// The measuring chain on the simulated board with the unit's calibration files, and a peer
// connected over loopback to a command server that carries the instrument's command table.
#pragma once

#include "RemoteTestSupport.h"
#include "RfTestBench.h"

#include "services/hardware.h"
#include "engines/mesuraCM.h"
#include "engines/measures.h"

#include <QThread>

#include <climits>
#include <cstdint>
#include <functional>

namespace remotetest {

struct RfCommandBench : rftest::CalibratedBench {
    // setup adds test commands to each connection's table.
    explicit RfCommandBench(std::function<void(Remote&)> setup = nullptr) : server(std::move(setup))
    {
        // "*TUNE" tunes through the measurement engine: bring it up first, so what its
        // construction writes is not taken for what a command did.
        board.hostEngineThreads();
        // The engines read the hardware model from whichever thread gets there first;
        // reading it here keeps its strap lines out of the commands' log.
        HardwareModel::getInstance();
        Measures::getInstance();
        // The cable-modem thread takes its lines and tunes its tuner as it starts, then idles:
        // the log is cleared once that thread is in its passes and the board has gone quiet.
        waitFor([] { return MesuraCM::getInstance()->isNonStopMesures(); });
        for (size_t seen = SIZE_MAX; seen != board->log().size();) {
            seen = board->log().size();
            QThread::msleep(150);
        }
        clearLog();
    }

    QByteArray ask(const QByteArray& line) { return peer.ask(line); }
    // Board transactions since the log was last cleared.
    size_t transactions() { return board->log().size(); }

    ProbeServer server;
    Peer peer{server.serverPort()};
};

} // namespace remotetest

// The measuring chain on the simulated board with the unit's calibration files, and a peer
// connected over loopback to a command server that carries the instrument's command table.
#pragma once

#include "RemoteTestSupport.h"
#include "RfTestBench.h"

#include <functional>

namespace remotetest {

struct RfCommandBench : rftest::CalibratedBench {
    // setup adds test commands to each connection's table.
    explicit RfCommandBench(std::function<void(Remote&)> setup = nullptr) : server(std::move(setup)) {}

    QByteArray ask(const QByteArray& line)
    {
        peer.send(line);
        return peer.answer();
    }
    // Board transactions since the log was last cleared.
    size_t transactions() { return board->log().size(); }

    ProbeServer server;
    Peer peer{server.serverPort()};
};

} // namespace remotetest

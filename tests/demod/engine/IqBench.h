// The constellation engine on the simulated board: the RF chips and the band path in front of
// the demodulator and its tuner, all looking at the typical network, the measuring chain
// brought up, and the engine's worker running on the board's virtual clock. The worker is the
// only thread that waits, so it alone moves time; the test watches the maps it hands over
// (with the board time at which it did) and those the engine passes on to the screens.
#pragma once

#include "ChipModels.h"
#include "Cxd2858Model.h"
#include "RfFrontEndModel.h"
#include "SimBoardFixture.h"
#include "cxd2856/Cxd2856Model.h"

#include "engines/mesuraiq.h"
#include "hw/ADF4350.h"
#include "hw/MAX11337.h"

#include <QVariantMap>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace iqtest {

struct Handed {
    uint64_t ms; // board time when the worker handed it over
    QVariantMap map;
};

struct IqBench {
    testsupport::ScopedWorkDir dir;
    testsupport::ScopedBoard board;
    platform::sim::ChipModels chips = platform::sim::installChipModels(*board);
    std::shared_ptr<platform::sim::RfScene> scene = std::make_shared<platform::sim::RfScene>();
    std::shared_ptr<platform::sim::RfFrontEndModel> frontEnd = platform::sim::installRfFrontEnd(*board, scene);
    std::shared_ptr<platform::sim::Cxd2856Model> demod = platform::sim::installCxd2856(*board, scene);
    std::shared_ptr<platform::sim::Cxd2858Model> tuner =
        platform::sim::installCxd2858(*board, demod, scene, frontEnd);
    ADF4350 lo;
    MAX11337 adc;
    MesuraIQ* iq = nullptr;
    // What the engine passed on to the screens (s_send_dades_iq), in order.
    std::vector<QVariantMap> shown;

    // typical: the typical network on the input, else an empty one.
    explicit IqBench(bool typical = true);
    ~IqBench();

    // The band path set for an input frequency, as the measuring chain tunes it.
    void tune(unsigned int hz);
    // A copy of what the worker has handed over so far.
    std::vector<Handed> handed();
    size_t handedCount();
    // Processes events (real time) until done() holds; false after timeoutMs.
    bool waitFor(const std::function<bool()>& done, int timeoutMs = 60000);
    // Waits until a shown map satisfies the predicate; that map, or an empty one.
    QVariantMap waitForShown(const std::function<bool(const QVariantMap&)>& match, int timeoutMs = 60000);
    uint64_t nowMs() { return board.clock().monotonicMs(); }

private:
    QMetaObject::Connection shownConnection_, handedConnection_;
    std::mutex mutex_;
    std::vector<Handed> handed_;
};

} // namespace iqtest

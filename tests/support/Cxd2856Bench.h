// A board with the simulated demodulator for tests that speak raw I2C to it: the
// transfers a driver makes, the register sequences that power the chip up and bring it
// into DVB-C, and the check that a call left the monitors unfrozen.
#pragma once

#include "Cxd2856Model.h"
#include "SimBoardFixture.h"

#include "common/BoardWiring.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <vector>

namespace testsupport {

constexpr uint8_t kSlvt = wiring::kDemodulatorSlvtAddress;
constexpr uint8_t kSlvx = wiring::kDemodulatorSlvxAddress;

struct Cxd2856Bench {
    Cxd2856Bench();

    // One write transfer: register, then data bytes. 0 or -1 as the bus answers.
    int write(uint8_t port, uint8_t reg, std::initializer_list<uint8_t> data);
    // Bank select, then one write transfer.
    int set(uint8_t port, uint8_t bank, uint8_t reg, std::initializer_list<uint8_t> data);
    // Sub-address write, then a read of n bytes; empty when either transfer fails.
    std::vector<uint8_t> read(uint8_t port, uint8_t reg, size_t n);
    std::vector<uint8_t> get(uint8_t port, uint8_t bank, uint8_t reg, size_t n);
    uint8_t get1(uint8_t port, uint8_t bank, uint8_t reg) { return get(port, bank, reg, 1).at(0); }

    // The software's sequences, as plain register writes.
    void powerUp();                // reset, clocks, release
    void shutdown();
    void wakeFromShutdown();
    void dvbcActive(int mhz = 8);  // system, active, IF word and band setting
    void tuneEnd();                // soft reset, TS output on
    void advanceMs(uint64_t ms) { board.clock().advanceMs(ms); }
    // Succeeds unless the monitors are still frozen (after a driver call returned).
    ::testing::AssertionResult freezeReleased() const;

    ScopedBoard board;
    std::shared_ptr<platform::sim::RfScene> scene;
    std::shared_ptr<platform::sim::Cxd2856Model> chip;
};

// A DVB-C carrier for the scene or the direct input.
platform::sim::SceneCarrier dvbcCarrier(double centreHz, platform::sim::Modulation m, double merDb,
                                        double symbolRateBd = 6900000);

} // namespace testsupport

// The chip models on a simulated board, and what the drivers put on its buses in a form a
// test compares in one line: "i2c-write 0x51 00 30 45".
#pragma once

#include "ChipModels.h"
#include "SimBoardFixture.h"

#include <cstdio>
#include <string>
#include <vector>

namespace hwtest {

using Bytes = std::vector<uint8_t>;
using Wire = std::vector<std::string>;

struct ChipBench {
    testsupport::ScopedBoard board;
    platform::sim::ChipModels chips = platform::sim::installChipModels(*board);

    // Transfers whose kind starts with prefix ("spi", "i2c", "i2c-write"), on every device
    // ("spi /dev/spidev4.1 28") or on one ("spi 28").
    Wire wire(const std::string& prefix, const std::string& device = {})
    {
        Wire out;
        for (const auto& t : board->log().entriesWithPrefix(prefix)) {
            if (!device.empty() && t.device != device)
                continue;
            std::string s = device.empty() ? t.kind + " " + t.device : t.kind;
            for (uint8_t b : t.bytes) {
                char hex[4];
                std::snprintf(hex, sizeof hex, " %02X", b);
                s += hex;
            }
            out.push_back(s + (t.failed ? " FAILED" : ""));
        }
        return out;
    }
    // The bytes of the transfers of one kind, on one device or all.
    std::vector<Bytes> bytes(const std::string& kind, const std::string& device = {})
    {
        std::vector<Bytes> out;
        for (const auto& t : board->log().entries(kind))
            if (device.empty() || t.device == device)
                out.push_back(t.bytes);
        return out;
    }
    Bytes last(const std::string& kind, const std::string& device = {})
    {
        const auto all = bytes(kind, device);
        return all.empty() ? Bytes{} : all.back();
    }
    void clearLog() { board->log().clear(); }
};

} // namespace hwtest

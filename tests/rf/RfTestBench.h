// A simulated board with the RF chips, the front-end model and a scene, and the measuring
// chain brought up on it, for the tests of the chain.
#pragma once

#include "ChipModels.h"
#include "RfFrontEndModel.h"
#include "SimBoardFixture.h"

#include "hw/ADF4350.h"
#include "hw/MAX11337.h"

#include <memory>
#include <string>
#include <vector>

namespace rftest {

struct RfBench {
    testsupport::ScopedBoard board;
    platform::sim::ChipModels chips = platform::sim::installChipModels(*board);
    std::shared_ptr<platform::sim::RfScene> scene = std::make_shared<platform::sim::RfScene>();
    std::shared_ptr<platform::sim::RfFrontEndModel> frontEnd = platform::sim::installRfFrontEnd(*board, scene);
    ADF4350 lo;
    MAX11337 adc;

    // Brings the chain up (setInitMesuraRF) unless told not to, on the given board (a plain
    // simulated one when none is given); the log starts empty.
    explicit RfBench(bool init = true, std::unique_ptr<platform::sim::SimulatedBoard> on = nullptr);

    // "gpio-value" writes as "line=value", in order.
    std::vector<std::string> lineWrites() const;
    // Words latched by one SPI node, as the bytes of each transfer.
    std::vector<std::vector<uint8_t>> spiWrites(const std::string& node) const;
    uint64_t nowUs() { return board.clock().monotonicUs(); }
    void clearLog() { board->log().clear(); }
};

} // namespace rftest

namespace rftest {

// Writes a file into the "calibracion" folder of the working directory.
void writeCalibrationFile(const QString& name, const QString& xml);
void removeCalibrationFile(const QString& name);
// A CAL_0.XML from the CABLE and DOCSIS sections' inner text.
QString cal0(const QString& cable, const QString& docsis = QString(), const QString& rootAttributes = QString());
// An OPWR wavelength element with its line.
QString opticalLine(int wavelength, const QString& slope, const QString& offset);

// The chain on the board with the simulated unit's calibration files loaded, the narrow
// IF filter selected and exact (jitter-free) readings.
struct CalibratedBench : RfBench {
    testsupport::ScopedWorkDir dir;
    CalibratedBench();
};

} // namespace rftest

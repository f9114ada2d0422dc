// The measurement engine on the simulated board: the chain brought up with the simulated
// unit's calibration, the engine created on it (the board hosts the threads it starts), and
// a watch on the detector that records where the front end was tuned for each conversion.
#pragma once

#include "RfTestBench.h"

#include "engines/measures.h"

#include <QVariantMap>

#include <functional>
#include <vector>

namespace rftest {

struct EngineBench : CalibratedBench {
    Measures* engine = nullptr;
    // The input frequency at the detector for every conversion of the peak detector since
    // watchDetector() (0 where the path passes nothing).
    std::vector<unsigned int> detector;
    // Called after every watched conversion, with the number of conversions so far.
    std::function<void(int)> afterConversion;

    EngineBench();
    ~EngineBench();
    // Stores the settings and hands them to the engine, as a screen change does.
    void settings(const QVariantMap& values);
    void watchDetector();
    // The watched frequencies with consecutive repeats folded: one entry per tuning.
    std::vector<unsigned int> tunings() const;
    // Runs the loop in the given type until it ends by itself or is stopped.
    void run(int type);
    // Runs the spectrum loop until one sweep is complete; the swept list, empty when the
    // loop ended without one.
    QVariantList sweepOnce();
};

// The frequency the front end tunes for an input frequency of the direct bands (10 kHz steps).
constexpr unsigned int tuned(unsigned int f) { return f / 10000u * 10000u; }

// A spectrum point map.
QVariantMap point(unsigned int frequency, const char* type = nullptr, int bandwidth = 0);
// count points from first, step apart.
QVariantList points(unsigned int first, unsigned int step, int count);

} // namespace rftest

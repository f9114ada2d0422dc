// The calibration tables as one record, shared by the loader and the corrections only.
// A load builds a new record and swaps it in whole.
#pragma once

#include "calibracionRF.h"

#include <QMap>
#include <QString>

namespace rfcal {

struct DetectorLine {
    double offset = 0;
    double slope = 0;
};

enum Wavelength { L1310, L1490, L1550, kWavelengthCount };

// What each of the CABLE and DOCSIS sets holds.
struct CorrectionSet {
    QList<calibration_point> linearityPeak;
    QList<calibration_point> linearityAverage;
    QMap<QString, QList<calibration_point>> frequencyMap; // keyed by the "att" text
    QList<calibration_point> frequencyWorking;            // the list in use
    bool singleList = false;
    QList<calibration_point> offsetAtt;
    bool markLinearityPeak = false;
    bool markLinearityAverage = false;
    bool markFrequency = false;
    bool markOffsetAtt = false;
    int lastLookupAtt = -999; // attenuation of the last frequency-response lookup
};

struct CalibrationTables {
    DetectorLine peak;
    DetectorLine average;
    DetectorLine powerMeter;
    DetectorLine optical[kWavelengthCount];
    CorrectionSet cable;
    CorrectionSet docsis;
    QList<calibration_temp_point> temperature;
    bool markTemperature = false;
    bool markPowerMeter = false;
    int optimumCount = 3100;
    double cachedTemperature = -1000.0;
    double cachedFactor = 0.0;
};

CalibrationTables& tables();
// The set the routing selected.
CorrectionSet& selectedSet();

// Offset the optical lines carry on top of the file's OFFSET.
constexpr double kOpticalOffset = 1087.5;

} // namespace rfcal

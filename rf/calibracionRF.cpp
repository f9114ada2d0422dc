#include "calibrationTables.h"

#include "chainState.h"

namespace rfcal {

CalibrationTables& tables()
{
    static CalibrationTables t;
    return t;
}

CorrectionSet& selectedSet() { return getCalibracioCable() ? tables().cable : tables().docsis; }

} // namespace rfcal

using rfcal::tables;

bool carregaMarca(const QDomElement& element) { return element.attribute(QStringLiteral("enabled")) == QLatin1String("ON"); }

void loadMarques()
{
    rfcal::CalibrationTables& t = tables();
    for (rfcal::CorrectionSet* set : {&t.cable, &t.docsis}) {
        set->markLinearityPeak = set->markLinearityAverage = false;
        set->markFrequency = set->markOffsetAtt = false;
        set->singleList = false;
    }
    t.markTemperature = t.markPowerMeter = false;
}

double getPendentPeak() { return tables().peak.slope; }
double getOffsetPeak() { return tables().peak.offset; }
double getPendentAverage() { return tables().average.slope; }
double getOffsetAverage() { return tables().average.offset; }
double getPendentPowerMeter() { return tables().powerMeter.slope; }
double getOffsetPowerMeter() { return tables().powerMeter.offset; }
double getPendentOpticalPowerMeter() { return getPendentOpticalPowerMeter_l_1550(); }
double getOffsetOpticalPowerMeter() { return getOffsetOpticalPowerMeter_l_1550(); }
double getPendentOpticalPowerMeter_l_1310() { return tables().optical[rfcal::L1310].slope; }
double getOffsetOpticalPowerMeter_l_1310() { return tables().optical[rfcal::L1310].offset; }
double getPendentOpticalPowerMeter_l_1490() { return tables().optical[rfcal::L1490].slope; }
double getOffsetOpticalPowerMeter_l_1490() { return tables().optical[rfcal::L1490].offset; }
double getPendentOpticalPowerMeter_l_1550() { return tables().optical[rfcal::L1550].slope; }
double getOffsetOpticalPowerMeter_l_1550() { return tables().optical[rfcal::L1550].offset; }
bool isCorrecioFrequenciaCable() { return tables().cable.markFrequency; }
bool isCorrecioOffsetAtenuadorsCable() { return tables().cable.markOffsetAtt; }
bool isCorrecioTemperatura() { return tables().markTemperature; }
bool isCorrecioPWR() { return tables().markPowerMeter; }
int getOptimasContesIQ() { return tables().optimumCount; }

// The calibration tables of the RF chain (filled from "CAL_0.XML" and "CAL_FO.XML" by
// Calibrations) and the corrections computed from them, in tenths of a dB: detector
// linearity, attenuator value, attenuator offset, frequency response and temperature.
#pragma once

#include <QDomElement>
#include <QList>
#include <QVariant>

struct calibration_point {
    unsigned int key;
    double value;
};

struct calibration_temp_point {
    double temperature;
    double slope;
    double offset;
};

// Marks: an element's "enabled" attribute is exactly "ON".
bool carregaMarca(const QDomElement& element);
// Every mark and both single-list flags to false.
void loadMarques();

// Detector lines.
double getPendentPeak();
double getOffsetPeak();
double getPendentAverage();
double getOffsetAverage();
double getPendentPowerMeter();
double getOffsetPowerMeter();
double getPendentOpticalPowerMeter(); // the 1550 nm line
double getOffsetOpticalPowerMeter();
double getPendentOpticalPowerMeter_l_1310();
double getOffsetOpticalPowerMeter_l_1310();
double getPendentOpticalPowerMeter_l_1490();
double getOffsetOpticalPowerMeter_l_1490();
double getPendentOpticalPowerMeter_l_1550();
double getOffsetOpticalPowerMeter_l_1550();
bool isCorrecioFrequenciaCable();
bool isCorrecioOffsetAtenuadorsCable();
bool isCorrecioTemperatura();
bool isCorrecioPWR();
// ADC steps at which the demodulator input is best (3100 unless the file sets it).
int getOptimasContesIQ();

// Corrections; each uses the set the routing selected, and yields 0 while its mark is off.
double calculaValueCorrecio(unsigned int x, const QList<calibration_point>& list);
double calculaCorrecioLinealitatPEAK(int steps);
double calculaCorrecioLinealitatAVERAGE(int steps);
double calculaCorrecioLinealitat(int steps, int detector);
int getCorrecioAtenuadordBuV(int att);
double calculaCorrecioOffsetAtenuadors(unsigned int f, int att);
double calculaCorrecioFrequencia(unsigned int f, int att);
double calculaCorrecioTemperatura(double T);
double getFactorCorrecioTemperatura();
// 100 × log10(bandwidth / FILTER_NARROW); 0 for a bandwidth of 0 or less.
double addDigitalChannelIntegration(double bandwidth);
// Writes "correccio" and "addIntegration" into every point map.
QList<QVariant> inicialitzarCorreccionsFinestra(QList<QVariant> points, int att);

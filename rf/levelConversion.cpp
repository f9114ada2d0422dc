#include "levelConversion.h"

#include "attenuator.h"
#include "bandTuning.h"
#include "calibracionRF.h"
#include "chainStateRecord.h"

#include "common/BoardWiring.h"
#include "hw/delay.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kClipLevel = 1300;
constexpr int kNoLine = -1000;
constexpr int kPrepareHold = 4;
constexpr int kHoldSettleMs = 10;

int corrected(int raw) { return static_cast<int>(corregirLecturadBuV(raw, getAtenuador())); }

// Tunes, then hands n acquisitions to take, with their index.
template <class Take>
void tuneAndAcquire(unsigned int f, int n, int a, int b, Take take)
{
    sintonitzar(f);
    for (int i = 0; i < n; ++i) {
        int raw = 0;
        adquisicio(a, &raw, b);
        take(i, raw);
    }
}

int readWithDetector(int detector, int* value)
{
    const int saved = getDetector();
    setDetector(detector);
    int raw = 0;
    adquisicio(0, &raw, 0);
    *value = convertirPasosdBuV(raw);
    setDetector(saved);
    return 0;
}

} // namespace

int convertirPasosdBuV(int steps)
{
    double slope = 0, offset = 0;
    switch (getDetector()) {
    case DETECTOR_PEAK_MAX:
    case DETECTOR_PEAK_MEAN:
        slope = getPendentPeak();
        offset = getOffsetPeak();
        break;
    case DETECTOR_POWER_METER:
        slope = getPendentPowerMeter();
        offset = getOffsetPowerMeter();
        break;
    case DETECTOR_OPTICAL_METER:
        slope = getPendentOpticalPowerMeter();
        offset = getOffsetOpticalPowerMeter();
        break;
    default:
        return kNoLine;
    }
    return static_cast<int>(steps * slope + offset);
}

double corregirIndependentFrequencia(int steps, int att)
{
    return calculaCorrecioLinealitat(steps, getDetector()) + getCorrecioAtenuadordBuV(att) + getFactorCorrecioTemperatura();
}

double corregirLecturadBuV(int steps, int att)
{
    return std::min(convertirPasosdBuV(steps), kClipLevel) + corregirIndependentFrequencia(steps, att);
}

double corregirDependentFrequencia(unsigned int f, int att)
{
    return calculaCorrecioOffsetAtenuadors(f, att) + calculaCorrecioFrequencia(f, att);
}

int mesuraNivellEspectre(unsigned int f, int a, int b)
{
    sintonitzar(f);
    int raw = 0;
    adquisicio(a, &raw, b);
    setMesuraNivell(corrected(raw));
    return 0;
}

int mesuraNivellEspectreFast(unsigned int f)
{
    sintonitzar(f);
    int raw = 0;
    adquisicio_fast(&raw);
    setMesuraNivell(corrected(raw));
    return 0;
}

int mesuraNivellScan(unsigned int f, int a, int b)
{
    int sum = 0;
    tuneAndAcquire(f, 10, a, b, [&](int, int raw) { sum += corrected(raw); });
    setMesuraNivell(sum / 10);
    return 0;
}

int mesuraNivellScanMarker(unsigned int f, int a, int b)
{
    int largest = 0;
    tuneAndAcquire(f, 50, a, b, [&](int i, int raw) { largest = i == 0 ? raw : std::max(largest, raw); });
    setMesuraNivell(corrected(largest));
    return 0;
}

int mesuraNivellScanTilt(unsigned int f, int a, int b)
{
    int sum = 0;
    tuneAndAcquire(f, 100, a, b, [&](int, int raw) { sum += raw; });
    setMesuraNivell(corrected(sum / 100));
    return 0;
}

int mesuraPowerMeter(int* value) { return readWithDetector(DETECTOR_POWER_METER, value); }

int mesuraOpticalPowerMeter(int* value) { return readWithDetector(DETECTOR_OPTICAL_METER, value); }

int mesuraNivellEspectreMantenintPic(int mode, unsigned int f, int att)
{
    rfchain::ChainState& st = rfchain::state();
    if (mode == kPrepareHold) {
        setAtenuador(att, true);
        setDetector(DETECTOR_PEAK_MAX);
        programaTrack(0);
        st.peakHoldStart = true;
        return 0;
    }
    sintonitzar(f);
    if (st.peakHoldStart) {
        resetTrack();
        programaTrack(1);
        delay(kHoldSettleMs);
        st.peakHoldStart = false;
    }
    const int raw = getLecturaConversorRF(wiring::max11337::kPeakChannel);
    if (raw == -1) {
        setMesuraNivell(UNMEASURED);
        return -1;
    }
    setNivellConversor(raw);
    setMesuraNivell(static_cast<int>(corregirLecturadBuV(raw, att)));
    resetTrack();
    return 0;
}

// The constellation engine's point acquisition: raw samples of the demodulator scaled onto the
// screen's 256 x 256 grid, with a jitter that spreads identical samples over their cell.
#include "mesuraiq.h"

#include "common/embedded_timers.h"

#include <cmath>
#include <cstdlib>

namespace {
constexpr int kGrid = 256;
constexpr double kCentre = 128.0;

// 0 to just over 1.
double randomDouble() { return std::rand() / 2147483646.5; }
} // namespace

bool MesuraIQ::escalaCoordenada(int raw, double jitter, double k, int scale, int* out)
{
    if (scale == 0)
        return false;
    const double v = (raw + jitter) * k / scale + kCentre;
    // Truncated toward zero, as the screen's cells are counted from its corner.
    if (!(v > -1.0 && v < kGrid))
        return false;
    *out = static_cast<int>(v);
    return true;
}

void MesuraIQ::get_constellation_points(uint64_t start, uint32_t duration, int n, uint32_t carrier, int16_t iScale,
                                        int16_t qScale, SampleReader readSample)
{
    llista_i.clear();
    llista_q.clear();
    const double k = kCentre - kCentre / (n > 0 ? n : 1);
    for (int reads = 0; reads < kMaxPuntsPerEmissio && EMBEDDEDTIMERS_GeticksInMs() - start < duration
                        && isNonStopMesures();
         ++reads) {
        int16_t i = 0, q = 0;
        // A read that found no sample is no point at the centre.
        if (!readSample(carrier, &i, &q))
            continue;
        int x = 0, y = 0;
        const double r1 = randomDouble(), r2 = randomDouble();
        if (escalaCoordenada(i, r1, k, iScale, &x) && escalaCoordenada(q, r2, k, qScale, &y)) {
            llista_i.append(x);
            llista_q.append(y);
        }
    }
    // The unit's bus fills the period with samples; a faster one waits out the rest of it.
    const uint64_t elapsed = EMBEDDEDTIMERS_GeticksInMs() - start;
    if (elapsed < duration)
        pause(static_cast<uint32_t>(duration - elapsed));
    m_dades_iq.insert(QStringLiteral("llista_i"), QVariant::fromValue(llista_i));
    m_dades_iq.insert(QStringLiteral("llista_q"), QVariant::fromValue(llista_q));
}

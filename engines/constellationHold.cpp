// The measurement engine's use of the constellation engine for one digital channel: the
// attenuation set for the demodulator, the channel held in one standard for a while, and
// the result maps of that channel, and of no other, taken in.
#include "measures.h"

#include "common/Clock.h"
#include "engines/mesuraiq.h"
#include "rf/mesuraRF.h"

#include <algorithm>

namespace {

constexpr int kSliceMs = 100;
constexpr int kLockWaitMs = 2000;

} // namespace

void Measures::IQ_enganxat(QVariantMap dades)
{
    // A map of the standard tried before, or of a screen's own channel, says nothing about
    // the channel asked for now.
    const QVariant system = dades.value(QStringLiteral("system"));
    if (iqSystem_ < 0 || !system.isValid() || system.toInt() != iqSystem_
        || dades.value(QStringLiteral("frequency")).toUInt() != iqFrequency_)
        return;
    iqLocked_ = dades.value(QStringLiteral("locked")).toInt() != 0;
    if (iqLocked_)
        iqFigures_ = dades;
}

bool Measures::holdConstellation(unsigned int frequency, int system, int symbolRate, int ms, bool untilLocked)
{
    MesuraIQ* iq = MesuraIQ::getInstance();
    if (!iqWatched_) {
        connect(iq, &MesuraIQ::s_send_dades_iq, this, &Measures::IQ_enganxat);
        iqWatched_ = true;
    }
    iqSystem_ = system;
    iqFrequency_ = MesuraIQ::workingFrequency(frequency, system);
    iqLocked_ = false;
    iqFigures_.clear();
    iq->initManual(frequency, system, symbolRate);

    common::Clock& clock = common::clock();
    const uint64_t end = clock.monotonicMs() + static_cast<uint64_t>(std::max(ms, 0));
    while (!(untilLocked && iqLocked_)) {
        const uint64_t now = clock.monotonicMs();
        if (now >= end || waitOrExit(static_cast<int>(std::min<uint64_t>(end - now, kSliceMs))))
            break;
    }
    iq->aturar();
    iqSystem_ = -1;
    return iqLocked_;
}

void Measures::attenuateForIq(int (*excessDb)(int totalPower))
{
    setMesuraNivell(centralLevel_);
    if (!isExitMesures())
        mesuraTotalPower();
    const int x = excessDb(getMesuraSumPower());
    ajustarAtenuador_IQ();
    // About a dB of attenuation per dB of excess, much less once the ranging has put in more
    // than 10 dB of its own.
    const int att = getAtenuador();
    double extra = x * 0.25;
    if (att < 10)
        extra = x * (50 - att) / 40.0;
    else if (att <= 20)
        extra = x * (70 - 3 * att) / 40.0;
    setAtenuador(static_cast<int>(extra + att + 0.5), true);
}

bool Measures::mesuraIQ_enganxat(unsigned int frequency, int system, int symbolRate)
{
    // A dB per dB of total power above 80 dBµV.
    attenuateForIq([](int total) { return total == UNMEASURED ? 0 : std::max((total - 800) / 10, 0); });
    return holdConstellation(frequency, system, symbolRate, kLockWaitMs, true);
}

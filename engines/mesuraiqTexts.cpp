// The constellation engine's display texts and the screen's grid size per constellation.
#include "mesuraiq.h"

#include <cmath>

namespace {

const QString kUnlocked = QStringLiteral("---");
const QString kNoRate = QStringLiteral("--");

template <size_t N>
QString pick(const char* const (&texts)[N], uint32_t code, const QString& otherwise)
{
    return code < N && texts[code] ? QString::fromLatin1(texts[code]) : otherwise;
}

QString boundPrefix(uint32_t status)
{
    return status == 1 ? QStringLiteral(">") : status == 2 ? QStringLiteral("<") : QString();
}

} // namespace

// A result whose status says it was not measured under lock (3) is no figure either.
constexpr uint32_t kNotLocked = 3;

QString MesuraIQ::getStringBER(bool locked, uint32_t status, float value)
{
    if (!locked || status == kNotLocked)
        return kUnlocked;
    return boundPrefix(status) + QString::number(static_cast<double>(value), 'E', 1);
}

QString MesuraIQ::getStringMER(bool locked, uint32_t status, int32_t value)
{
    if (!locked || status == kNotLocked)
        return kUnlocked;
    return boundPrefix(status) + QString::number(static_cast<long long>(std::trunc((value + 5.0) / 10.0)));
}

QString MesuraIQ::getStringModulation(bool locked, uint32_t constellation)
{
    static const char* const texts[] = {"BPSK",   "QPSK",    "DQPSK",   "8 PSK",   "16 APSK",  "32 APSK",  "16 QAM",
                                        "32 QAM", "64 QAM",  "128 QAM", "256 QAM", "1024 QAM", "4096 QAM", "8 VSB"};
    return locked ? pick(texts, constellation, kUnlocked) : kUnlocked;
}

QString MesuraIQ::getStringGuard(bool locked, uint32_t guard)
{
    static const char* const texts[] = {"1/4", "1/8", "1/16", "1/32", "1/128", "19/128", "19/256", "1/64"};
    return locked ? pick(texts, guard, kUnlocked) : kUnlocked;
}

QString MesuraIQ::getStringMode(bool locked, uint32_t mode)
{
    static const char* const texts[] = {"2k", "8k", "4k", "1k", "8k EXT", "16k", "16k EXT", "32k", "32k EXT"};
    return locked ? pick(texts, mode, kUnlocked) : kUnlocked;
}

QString MesuraIQ::getStringHierarchy(bool locked, uint32_t hierarchy)
{
    static const char* const texts[] = {"NONE", "MODE 1", "MODE 2", "MODE 4"};
    return locked ? pick(texts, hierarchy, kUnlocked) : kUnlocked;
}

QString MesuraIQ::getStringCodeRate(bool locked, uint32_t rate, CodeRates table)
{
    if (!locked)
        return kUnlocked;
    static const char* const driver[] = {"1/4", "1/3", "2/5", "1/2", "3/5", "2/3", "3/4",
                                         "4/5", "5/6", "6/7", "7/8", "8/9", "9/10"};
    static const char* const dvbs[] = {"1/2", "2/3", "3/4", "5/6", "7/8"};
    static const char* const dvbs2[] = {"1/4", "1/3", "2/5", "1/2", "3/5", "2/3", "3/4", "4/5", "5/6", "8/9", "9/10"};
    switch (table) {
    case CodeRates::Dvbs: return pick(dvbs, rate, kNoRate);
    case CodeRates::Dvbs2: return pick(dvbs2, rate, kNoRate);
    case CodeRates::Driver: break;
    }
    return pick(driver, rate, kNoRate);
}

QString MesuraIQ::getStringProfile(bool locked, bool base, bool lite)
{
    if (!locked)
        return kUnlocked;
    if (base)
        return lite ? QStringLiteral("Base & Lite") : QStringLiteral("Base");
    return lite ? QStringLiteral("Lite") : QStringLiteral("None");
}

QString MesuraIQ::getStringPilotPattern(bool locked, uint32_t pattern)
{
    if (!locked)
        return kUnlocked;
    return QStringLiteral("PP") + QString::number(pattern < 7 ? pattern + 1 : 8);
}

QString MesuraIQ::getStringConstellationRotation(bool locked, uint32_t rotation)
{
    if (!locked)
        return kUnlocked;
    return rotation == 1 ? QStringLiteral("ON") : QStringLiteral("OFF");
}

void MesuraIQ::limitsOclaro(uint32_t* merStatus, int32_t* mer, uint32_t cberStatus, float* cber)
{
    if (*mer > 455) {
        *mer = 450;
        *merStatus = 1;
    }
    if (cberStatus == 2)
        *cber = 1e-9f;
}

int MesuraIQ::getNumberCuadresConstellation(uint32_t constellation)
{
    static const int squares[] = {2, 2, 2, 4, 4, 8, 4, 6, 8, 12, 16, 32, 64, 64};
    return constellation < sizeof squares / sizeof squares[0] ? squares[constellation] : 1;
}

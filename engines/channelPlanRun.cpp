// The automatic channel-plan run: every active channel of the plan (or of the selected
// bonding group), one per step: whether a signal is there and its power, and under
// automatic detection whether it is analogue (with its sound-carrier offset) or digital
// (with the first standard the constellation engine locks on).
#include "measures.h"

#include "analogueGeometry.h"

#include "rf/mesuraRF.h"
#include "store/channelslist.h"

#include <climits>

namespace {

// The standards a digital channel is tried in, in this order (digital_standards_idx).
constexpr int kStandardsTried[] = {0, 1, 7, 2, 3};
// The sound-carrier offsets an analogue channel is tried with, in MHz, in this order.
const char* const kSoundOffsets[] = {"4.5", "5.5", "6.0", "6.5"};
constexpr int kPlanSymbolRate = 27500;
// A vision carrier stands at least this far above the middle of its channel (0.1 dB).
constexpr int kAnalogueMargin = 50;

const QString kPower = QStringLiteral("power");
const QString kType = QStringLiteral("type");
const QString kSystem = QStringLiteral("system");

// The level at f, UNMEASURED when the reading fails.
int levelAt(unsigned int f)
{
    if (f == 0 || mesuraNivellEspectre(f, 20, 1) != 0)
        return UNMEASURED;
    return getMesuraNivell();
}

} // namespace

void Measures::mesura_channelplan()
{
    runChannelSteps(&Measures::mesuraAutomaticaCanalitzacio, &Measures::fiMesuraChannelPlan);
}

int Measures::mesuraAutomaticaCanalitzacio(int step)
{
    static const ChannelRun kPlan{{kPower}, true, &Measures::classifyPlanChannel, &Measures::channelPlanVoid,
                                  &Measures::channelPlanChanged};
    QVariantList source;
    if (step == 0) {
        const QString s = screen();
        if (planListScreen())
            source = Channelslist::getInstance()->currentChannelList();
        else if (s == QLatin1String("DOCSIS_BONDING_GROUP_RF") || s == QLatin1String("DOCSIS_BONDING_GROUP_OPTIC"))
            source = bondingGroupChannels();
    }
    return channelStep(planSteps_, step, source, kPlan);
}

void Measures::classifyPlanChannel(QVariantMap* result)
{
    const int power = channelPowerWithSignal(*result);
    if (power == UNMEASURED)
        return;
    const unsigned int centre = rfengine::tunableFrequency(result->value(QStringLiteral("frequency")).toLongLong());

    const bool automatic = variables_.value(QStringLiteral("scan_auto_system")).toBool();
    if (!automatic) {
        result->insert(kPower, power);
        result->insert(kType, QStringLiteral("DIGITAL"));
        const QString selected = QStringLiteral("scan_system_selected");
        result->insert(kSystem, variables_.contains(selected) ? variables_.value(selected).toString()
                                                              : QStringLiteral("DVB-C"));
        return;
    }
    // A 3.1 block is neither a television channel nor a standard the engine can lock on.
    if (result->value(kSystem).toString() == QLatin1String("D3.1"))
        return;

    const unsigned int fv = rfengine::videoCarrier(*result);
    const int lc = levelAt(centre);
    const int lv = levelAt(fv);
    const bool analogue = lc != UNMEASURED && lv != UNMEASURED && lv - lc >= kAnalogueMargin;
    if (!analogue) {
        result->insert(kType, QStringLiteral("DIGITAL"));
        result->insert(QStringLiteral("printedFreqAudio"), QStringLiteral("-"));
        sintonitzar(centre);
        setAtenuador(-20, true);
        QVariant found = QStringLiteral("-");
        for (int standard : kStandardsTried) {
            if (isExitMesures())
                break;
            if (mesuraIQ_enganxat(centre, standard, kPlanSymbolRate)) {
                found = standard;
                break;
            }
        }
        result->insert(kSystem, found);
    } else {
        int best = INT_MIN;
        for (const char* offset : kSoundOffsets) {
            const int sound = levelAt(rfengine::carrierOffset(fv, QString::fromLatin1(offset).toDouble()));
            if (sound != UNMEASURED && sound > best) {
                best = sound;
                result->insert(QStringLiteral("freqAudio"), QString::fromLatin1(offset));
            }
        }
        result->insert(kType, QStringLiteral("ANALOG"));
        result->insert(kSystem, QStringLiteral("PAL"));
    }
    result->insert(kPower, power);
}

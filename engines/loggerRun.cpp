// The logger run: every active channel of the plan (or of the selected bonding group), one
// per step, with its channel power and, as the settings ask, the carrier-to-noise and
// vision-to-sound ratio of an analogue channel or the demodulated figures of a digital one.
// Each result goes to the logger store and to the screens as soon as it is measured.
#include "measures.h"

#include "analogueGeometry.h"

#include "rf/mesuraRF.h"
#include "store/channelslist.h"

namespace {

enum LoggerFlags { kMer = 1, kBer = 2, kAccuracy = 4 };

const QString kPower = QStringLiteral("power");
const QString kMerKey = QStringLiteral("mer");

bool setting(const QVariantMap& settings, const char* key) { return settings.value(QLatin1String(key)).toBool(); }

} // namespace

void Measures::mesura_logger() { runChannelSteps(&Measures::mesuraLogger, &Measures::finMesuraLogger); }

int Measures::mesuraLogger(int step)
{
    static const ChannelRun kLogger{{kPower, QStringLiteral("c_n"), QStringLiteral("v_a")},
                                    false,
                                    &Measures::measureLoggedChannel,
                                    &Measures::loggerVoid,
                                    &Measures::loggerChanged};
    QVariantList source;
    if (step == 0) {
        mesura_optical_power_meter();
        if (InDBGScreen())
            source = bondingGroupChannels();
        else if (planListScreen())
            source = Channelslist::getInstance()->currentChannelList();
    }
    return channelStep(loggerSteps_, step, source, kLogger);
}

void Measures::measureLoggedChannel(QVariantMap* result)
{
    const int power = channelPowerWithSignal(*result);
    if (power == UNMEASURED)
        return;
    result->insert(kPower, power);
    if (screen() == QLatin1String("EDIT_CHANNEL_PLAN"))
        return;

    sintonitzar(loggerSteps_.tuningFrequency);
    if (result->value(QStringLiteral("type")).toString() == QLatin1String("DIGITAL")) {
        measureLoggedDigital(result);
        return;
    }
    const unsigned int fv = rfengine::videoCarrier(*result);
    const unsigned int fa = rfengine::carrierOffset(fv, result->value(QStringLiteral("freqAudio")).toDouble());
    // A record that places no sound carrier leaves both ratios without their second carrier.
    if (fv == 0 || fa == 0)
        return;
    if (setting(variables_, "logger_measure_CN")) {
        mesura_noise_logger(fv, fa, result->value(QStringLiteral("bandwidth")).toInt());
        result->insert(QStringLiteral("c_n"), carrierNoise_);
    }
    if (setting(variables_, "logger_measure_VA") && !isExitMesures()) {
        int video = UNMEASURED;
        int audio = UNMEASURED;
        mesura_demod_analog_generica(fv, fa, &video, &audio);
        if (video != UNMEASURED && audio != UNMEASURED)
            result->insert(QStringLiteral("v_a"), video - audio);
    }
}

void Measures::measureLoggedDigital(QVariantMap* result)
{
    const int flags = (setting(variables_, "logger_measure_MER") ? kMer : 0)
        | (setting(variables_, "logger_measure_BER") ? kBer : 0)
        | (setting(variables_, "logger_measure_accuracy") ? kAccuracy : 0);
    if (flags == 0)
        return;
    setAtenuador(-20, true);
    const QString system = result->value(QStringLiteral("system")).toString();
    if (system != QLatin1String("D3.1")) {
        mesuraIQ_logger(flags, result->value(QStringLiteral("frequency")).toUInt(), SystemToInt(system));
        if (flags & kMer)
            result->insert(kMerKey,
                           iqFigures_.isEmpty() ? double(UNMEASURED) : rfengine::merOfConstellation(iqFigures_));
        return;
    }
    // An OFDM block of 3.1 has no demodulator here: its MER is taken as its carrier-to-noise,
    // read on the logged channel itself.
    setFilter(FILTER_NARROW);
    setMesuraNivell(UNMEASURED);
    setCarrierNoise(UNMEASURED);
    setVideoAudio(UNMEASURED);
    const qint64 c = result->value(QStringLiteral("frequency")).toLongLong();
    const qint64 b = result->value(QStringLiteral("bandwidth")).toLongLong();
    const unsigned int low = rfengine::tunableFrequency(c - b / 2);
    const unsigned int high = rfengine::tunableFrequency(c + b / 2);
    int cn = 0;
    const bool measured =
        low != 0 && high != 0 && mesuraCarrierNoise(low, high, rfengine::tunableFrequency(c), &cn) == 0;
    result->insert(kMerKey, measured ? cn / 10.0 : double(UNMEASURED));
}

int Measures::mesuraIQ_logger(int flags, unsigned int frequency, int system)
{
    // A few dB less than the ranging found.
    attenuateForIq([](int) { return -10; });
    int ms = 2000;
    if (flags & kBer)
        ms = (flags & kAccuracy) ? 40000 : 5000;
    holdConstellation(frequency, system, 27500, ms, false);
    return 0;
}

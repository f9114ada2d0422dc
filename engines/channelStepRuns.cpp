// The logger and channel-plan step machines, which differ only in where their channels come
// from and what they measure on a channel with signal: preparing the channel list, clearing
// the spectrum powers, reading a channel's level from full attenuation, handing each result
// over, and the run that drives the steps.
#include "measures.h"

#include "analogueGeometry.h"

#include "rf/mesuraRF.h"
#include "store/channelslist.h"
#include "store/loggerlist.h"

namespace {

constexpr int kBusy = 100;
constexpr int kFullAttenuation = 70;
// The plan's ranging floor for a low threshold, and the margin above it for a higher one.
constexpr int kLowThreshold = 41;
constexpr int kMidThreshold = 100;
constexpr int kLowThresholdAttenuation = 10;
constexpr int kThresholdAttenuationMargin = 30;

// Restores the ordinary reading of the exit flags when the run ends, however it ends.
class StopOnlyPass {
public:
    explicit StopOnlyPass(bool* changesEndPass) : flag_(changesEndPass) { *flag_ = false; }
    ~StopOnlyPass() { *flag_ = true; }

private:
    bool* flag_;
};

} // namespace

void Measures::runChannelSteps(int (Measures::*step)(int), void (Measures::*finished)())
{
    {
        // Each step is one channel logged; a new pass would start the plan again from its
        // first channel and log the channels already done a second time.
        StopOnlyPass pass(&changesEndPass_);
        int r = (this->*step)(0);
        while (r == kBusy && !isExitMesures())
            r = (this->*step)(64);
        if (r != kBusy && !isExitMesures())
            changeTipusMesure(NO_MESURE);
    }
    emit(this->*finished)();
}

int Measures::channelStep(rfengine::ChannelSteps& steps, int step, const QVariantList& source, const ChannelRun& run)
{
    if (step == 0) {
        steps.results.clear();
        stepIndex_ = 0;
        steps.phase = 0;
        setFilter(FILTER_NARROW);
        steps.channels = rfengine::activeChannels(source);
        if (steps.channels.isEmpty()) {
            emit(this->*run.none)();
            return -1;
        }
        return kBusy;
    }
    if (clearingStep(steps))
        return kBusy;
    // A list that a failed preparation left empty has no channel at any index.
    if (stepIndex_ < 0 || stepIndex_ >= steps.channels.size()) {
        stepIndex_ = 0;
        return 0;
    }
    const QVariantMap channel = steps.channels.at(stepIndex_).toMap();

    int level = UNMEASURED;
    double gain = 0;
    const int r = readChannelLevel(steps, channel, run.holdToThreshold, &level, &gain);
    if (r == -1)
        return -1;
    if (r != 0)
        return kBusy;
    QVariantMap result = channel;
    for (const QString& key : run.unmeasured)
        result.insert(key, UNMEASURED);
    if (rfengine::levelClearsThreshold(level, scanThreshold(), gain))
        (this->*run.measure)(&result);
    // A channel whose measurement a stop cut short is not a result.
    if (exitRequestedNow())
        return kBusy;

    steps.results << result;
    int next = kBusy;
    if (++stepIndex_ >= steps.channels.size()) {
        stepIndex_ = 0;
        next = 0;
    }
    Loggerlist::getInstance()->setCurrentLogger(result);
    emit(this->*run.measured)(result);
    return next;
}

bool Measures::clearingStep(rfengine::ChannelSteps& steps)
{
    if (steps.phase != 0)
        return false;
    clearPowerListaFrequencyMeasures();
    stepIndex_ = 0;
    steps.phase = 1;
    return true;
}

int Measures::readChannelLevel(rfengine::ChannelSteps& steps, const QVariantMap& channel, bool holdToThreshold,
                               int* level, double* gain)
{
    steps.tuningFrequency = rfengine::channelTuningFrequency(channel);
    *gain = addDigitalChannelIntegration(channel.value(QStringLiteral("bandwidth")).toDouble());
    *level = UNMEASURED;
    if (steps.tuningFrequency == 0)
        return 0;
    setAtenuador(kFullAttenuation, true);
    sintonitzar(steps.tuningFrequency);
    ajustarAtenuador();
    const int thr = scanThreshold();
    if (holdToThreshold && getAtenuador() < thr) {
        if (thr < kLowThreshold)
            setAtenuador(kLowThresholdAttenuation, true);
        else if (thr < kMidThreshold)
            setAtenuador(thr - kThresholdAttenuationMargin, true);
        else
            setAtenuador(kFullAttenuation, true);
    }
    const int r = mesuraNivellEspectre(steps.tuningFrequency, 20, 1);
    if (r == -1)
        steps.phase = 0;
    else if (r == 0)
        *level = getMesuraNivell();
    return r;
}

QVariantList Measures::bondingGroupChannels()
{
    Channelslist* plan = Channelslist::getInstance();
    const QList<int> groups = plan->docsisBondingGroup();
    const int index = plan->currentDocsisBondingGroupIndex();
    if (index < 0 || index >= groups.size())
        return {};
    return plan->carrierListChannels(groups.at(index));
}

int Measures::channelPowerWithSignal(const QVariantMap& channel)
{
    const unsigned int centre = rfengine::tunableFrequency(channel.value(QStringLiteral("frequency")).toLongLong());
    int power = UNMEASURED;
    if (centre != 0 && !isExitMesures())
        mesuraIntegracio(centre, channel.value(QStringLiteral("bandwidth")).toInt(), &power);
    return rfengine::powerClearsThreshold(power, scanThreshold()) ? power : UNMEASURED;
}

bool Measures::planListScreen()
{
    const QString s = screen();
    return InScanScreen() || s == QLatin1String("EDIT_CHANNEL_PLAN") || s == QLatin1String("MAIN_MENU");
}

int Measures::scanThreshold() const { return variables_.value(QStringLiteral("scan_threshold_min")).toInt(); }

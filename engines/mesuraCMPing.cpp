// The VoIP test's path measurement: a UGS service flow asked of the modem, then pings of the
// target over it, each reply's time taken as one sample; the samples made into latency,
// jitter, packet loss and the E-model's R value and MOS.
#include "mesuraCM.h"

#include "cablemodem/modemExchange.h"
#include "cablemodem/modemPathReplies.h"
#include "cablemodem/modemPathTests.h"
#include "cablemodem/modemStores.h"
#include "cablemodem/modemVoIPQuality.h"

#include <algorithm>

namespace {

constexpr int kPingSamples = 100;
constexpr int kReplyWindowMs = 10000;
constexpr int kTotalLoss = 1000;
constexpr char kEndOfText = '\x03';

struct PingRun {
    int step = 31;
    float samples[kPingSamples] = {};
    int received = 0;
    int lastSequence = -1;
    uint64_t startMs = 0;
    QString text;
};

PingRun& pingRun()
{
    static PingRun run;
    return run;
}

// The modem takes 1 to 100 pings a run; the sample table holds that many.
int pingCount(const MesuraCM::VoIPParams& v) { return std::clamp(v.ping_number, 1, kPingSamples); }

// A time figure as the screens take it: tenths of a millisecond, rounded.
double figure(double ms) { return ms * 10 + 0.5; }

} // namespace

int MesuraCM::mesurarPingUGS(int mode)
{
    PingRun& p = pingRun();
    const VoIPParams v = voipParams();
    const int count = pingCount(v);
    if (mode == 0) {
        p.step = -15;
        std::fill(std::begin(p.samples), std::end(p.samples), -1.0f);
        p.received = 0;
        SetPingsRebuts(0);
        return 0;
    }
    switch (p.step) {
    case -15:
    case -14:
    case -10:
    case -9:
    case -8:
    case -7: {
        const QString flow = v.ugs_enabled ? modemMenuPath()
                + QString::asprintf("ugs %d %d %d %d\r", v.grantsize, v.gr_per_int, v.nom_grant, v.tol_grant)
                                           : QString();
        p.step = serviceFlowStep(p.step, &p.startMs, "\r", flow, 1000, 1001);
        return 0;
    }
    case 0:
        sendCommandCableModem(modemMenuPath()
                              + QString::asprintf("ping %s %d %d%s\r", Int2IP(getTraceIPAddress()), count, v.length,
                                                  v.ugs_enabled ? " ugs" : ""));
        p.text = getStringBufferTrames();
        p.received = 0;
        p.lastSequence = -1;
        p.step = 1;
        return 0;
    case 1:
        p.startMs = modemTicksMs();
        p.step = 2;
        return 0;
    case 2: {
        if (modemTimeOver(p.startMs, kReplyWindowMs)) {
            p.step = 30;
            report(&MesuraCM::cm_status_information, tr("Time OUT"));
            return 0;
        }
        modemPauseMs(1000);
        p.text += getStringBufferTrames();
        const PingReply reply = decodePingReply(p.text);
        if (reply.state == PingReply::kNone) {
            if (pingFinished(p.text))
                p.step = 25;
            return 0;
        }
        if (reply.state == PingReply::kPartial)
            return 0;
        p.text = p.text.mid(reply.end);
        // A duplicate reply, or one without a time, is no sample.
        if (reply.sequence == p.lastSequence)
            return 0;
        p.lastSequence = reply.sequence;
        report(&MesuraCM::cm_status_information,
               QString("Ping: %1").arg(reply.sequence) + tr(" of ") + QString::number(count));
        if (!reply.timed)
            return 0;
        p.samples[p.received++] = reply.oneWayMs;
        SetPingsRebuts(GetPingsRebuts() + 1);
        p.step = p.received >= count ? 25 : 1;
        return MODEM_STEP_PATH_TAKEN;
    }
    case 25:
        return pingStatistics();
    case 30:
        // The replies stopped: the ping is interrupted and the run gives no figures, since
        // a path that went quiet says nothing of its latency or jitter. What was taken is
        // dropped, so the run ends as one whose pings were all lost.
        SetCadenaAnalitzar1("mainMenu>");
        sendCommandCableModem(QString(QChar(kEndOfText)));
        std::fill(std::begin(p.samples), std::end(p.samples), -1.0f);
        p.received = 0;
        p.step = 31;
        return pingStatistics();
    default:
        return 0;
    }
}

int MesuraCM::pingStatistics()
{
    const PingRun& p = pingRun();
    const VoIPParams v = voipParams();
    const int count = pingCount(v);
    int n = 0;
    double sum = 0;
    double lowest = 1e9;
    double highest = -1.0;
    for (int i = 0; i < count; ++i) {
        const double s = p.samples[i];
        if (s < 0)
            continue;
        ++n;
        sum += s;
        lowest = std::min(lowest, s);
        highest = std::max(highest, s);
    }
    if (n == 0) {
        InicialitzarMesuresVoIP();
        SetVoIPPLR(kTotalLoss);
        SetPingsRebuts(0);
        // Nothing to show: the screen clears its figures and ends the test.
        report(&MesuraCM::ping_UGS_Changed, QVariantMap{{"reset", true}});
        return MODEM_STEP_PATH_DONE;
    }
    const double lossPercent = (1.0 - static_cast<double>(n) / count) * 100.0;
    SetVoIPPLR(static_cast<int>(lossPercent * 10 + 0.5));
    // The E-model takes the loss in whole percent, cut down; counted in integers, so that 8
    // of 20 lost is 40 and not the 39 a rounding error in the fraction would leave.
    const int wholeLossPercent = (count - n) * 100 / count;
    const double mean = sum / n;
    double jitterSum = 0;
    double jitterLowest = 1e9;
    double jitterHighest = -1.0;
    for (int i = 0; i < count; ++i) {
        if (p.samples[i] < 0)
            continue;
        const double j = std::abs(mean - p.samples[i]);
        jitterSum += j;
        jitterLowest = std::min(jitterLowest, j);
        jitterHighest = std::max(jitterHighest, j);
    }
    const double jitterMean = jitterSum / n;
    CalculaMOS(static_cast<int>(mean), static_cast<int>(jitterMean), v.codec, wholeLossPercent);
    SetPingsRebuts(n);
    SetModemMeasuresPingRebuts(n);
    report(&MesuraCM::ping_UGS_Changed, QVariantMap{{"ip_LatencyMin", figure(lowest)},
                                      {"ip_LatencyAvg", figure(mean)},
                                      {"ip_LatencyMax", figure(highest)},
                                      {"ip_JitterMin", figure(jitterLowest)},
                                      {"ip_JitterAvg", figure(jitterMean)},
                                      {"ip_JitterMax", figure(jitterHighest)},
                                      {"ip_MOS", GetVoIPMOS()},
                                      {"ip_PLR", GetVoIPPLR()},
                                      {"ip_R_VALUE", GetVoIPRValue()}});
    return MODEM_STEP_PATH_DONE;
}

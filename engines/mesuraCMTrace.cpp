// The IPTV test's path measurement: an rtPS service flow asked of the modem, then the modem's
// route trace to the target, each hop line made into a hop record (address, latency, jitter,
// lost probes) until the target answers, 30 hops are filled or the trace goes quiet.
#include "mesuraCM.h"

#include "cablemodem/cableModen.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemPathReplies.h"
#include "cablemodem/modemPathTests.h"
#include "cablemodem/modemStores.h"

#include <cstring>

namespace {

constexpr int kHopWindowMs = 120000;
// Text awaited before a hop is looked for, unless the trace has ended: enough for the
// trace's heading and first hop, then for one more hop.
constexpr int kFirstHopText = 299;
constexpr int kNextHopText = 84;
const char kEndOfText[] = "\x03";

static_assert(sizeof(NodeTrace::address) == TRACE_ADDRESS_SIZE, "a hop's address fits its record");

struct TraceRun {
    int step = 31;
    int hops = 0;
    uint64_t startMs = 0;
    QString text;
};

TraceRun& traceRun()
{
    static TraceRun run;
    return run;
}

bool isTarget(const TraceHop& hop)
{
    return hop.lost < TRACE_PROBES && IP2int(hop.address) == static_cast<unsigned>(getTraceIPAddress());
}

} // namespace

int MesuraCM::mesurarTraceRPTS(int mode)
{
    TraceRun& t = traceRun();
    const IPTVParams params = iptvParams();
    if (mode == 0) {
        t.hops = 0;
        t.step = -15;
        SetPingsRebuts(0);
        t.text.clear();
        return 0;
    }
    modemPauseMs(20);
    switch (t.step) {
    case -15:
        InicialitzarMesuresIPTV();
        [[fallthrough]];
    case -14:
    case -10:
    case -9:
    case -8:
    case -7: {
        // Whatever the modem still runs is interrupted first.
        const QString flow
            = params.rtps_enabled ? modemMenuPath() + QString::asprintf("rtps %d\r", params.nom_poll) : QString();
        t.step = serviceFlowStep(t.step, &t.startMs, QString(kEndOfText) + "\r", flow, 30, 30);
        return 0;
    }
    case 0:
        sendCommandCableModem(modemMenuPath() + "tracert " + Int2IP(getTraceIPAddress())
                              + (params.rtps_enabled ? " rtps\r" : "\r"));
        t.text = getStringBufferTrames();
        t.startMs = modemTicksMs();
        t.step = 2;
        return 0;
    case 1:
        t.startMs = modemTicksMs();
        t.step = 2;
        return 0;
    case 2:
        return takeTraceHop();
    case 4:
        EnviarDadesIPTV(QList<QVariant>());
        t.step = 31;
        return MODEM_STEP_PATH_DONE;
    case 30:
        EnviarDadesIPTV(QList<QVariant>());
        SetCadenaAnalitzar1("mainMenu>");
        sendCommandCableModem(kEndOfText);
        t.step = 31;
        return MODEM_STEP_PATH_DONE;
    default:
        return 0;
    }
}

int MesuraCM::takeTraceHop()
{
    TraceRun& t = traceRun();
    if (modemTimeOver(t.startMs, kHopWindowMs)) {
        t.step = 30;
        SetModemProcess(MODEM_PROCESS_TRACE_QUIET);
        return MODEM_STEP_PATH_TAKEN;
    }
    modemPauseMs(1000);
    t.text += getStringBufferTrames();
    const bool ended = t.text.contains(QLatin1String("main"));
    if (!ended && t.text.size() <= (t.hops == 0 ? kFirstHopText : kNextHopText))
        return 0;
    const TraceHop hop = decodeTraceHop(t.text, t.hops + 1);
    if (!hop.found && ended) {
        // The trace ended short of the target: the path is what it found.
        t.step = 30;
        return MODEM_STEP_PATH_TAKEN;
    }
    NodeTrace& node = GetNodesIPTV()[t.hops];
    std::memcpy(node.address, hop.address, sizeof node.address);
    node.latency = hop.latency;
    node.jitter = hop.jitter;
    node.lost = hop.lost;
    ++t.hops;
    SetPingsRebuts(GetPingsRebuts() + 1);
    if (hop.found)
        t.text = t.text.mid(hop.end);
    t.step = 1;
    if (isTarget(hop))
        t.step = 4;
    else if (t.hops >= TRACE_NODES)
        t.step = 30;
    report(&MesuraCM::cm_status_information, tr("Node") + ": " + QString::number(t.hops));
    return MODEM_STEP_PATH_TAKEN;
}

void MesuraCM::EnviarDadesIPTV(QList<QVariant> list)
{
    const NodeTrace* nodes = GetNodesIPTV();
    for (int i = 0; i < traceRun().hops; ++i) {
        list.append(QVariantMap{{"ip", QString::fromLatin1(nodes[i].address)},
                                {"ltcy", nodes[i].latency},
                                {"jitter", nodes[i].jitter},
                                {"perduts", nodes[i].lost}});
    }
    if (!list.isEmpty())
        report(&MesuraCM::node_IPTV_Changed, list);
}

// DOCSIS 3.0 decoding of what the modem receives: one downstream channel's PHY report, the
// sweep over the eight downstream receivers and then the upstream channels, and the
// registration decode sequence around that sweep. Step machines, one step per call.
#include "mesuraCM.h"

#include "cablemodem/cableModen.h"
#include "cablemodem/modemDecoders30.h"
#include "cablemodem/modemExchange.h"
#include "cablemodem/modemMaps30.h"
#include "cablemodem/modemStores.h"

#include <QDebug>

namespace {
constexpr int kBusy = 100;
constexpr int kRestart = 0;
constexpr int kAdvance = 64;
constexpr int kReplyTimeoutMs = 5000;
constexpr int kLastChannel = PHY_CHANNELS - 1;

// Step 4 of the sweep: which receivers have a channel, and the group when seven do.
void noteRegistrationChannels()
{
    int counted = 0;
    for (int i = 0; i < PHY_CHANNELS; ++i) {
        if (GetPhyPointer()[i].frequency == 0)
            continue;
        SetChannelRegistre30(i, 0);
        for (int g = 0; g < GRUP_DOCSIS_CHANNELS; ++g) {
            if (GetCanalGrupDocsis(g) == 0) {
                ++counted;
                break;
            }
        }
    }
    SetGrupDocsisRegistre30(counted == 7 ? GetGrupDocsisActiu() : 0);
}
} // namespace

int MesuraCM::decodificaDownstream(int mode, int channel)
{
    static int step = 0;
    static int phyChannel = 0;
    static uint64_t startMs = 0;
    if (mode == kRestart) {
        step = 0;
        phyChannel = channel;
        return kBusy;
    }
    if (promptThenCommand(step, startMs, kReplyTimeoutMs, 1000, "power", QString::asprintf("phy %d\r", phyChannel)))
        return kBusy;
    switch (step) {
    case 2:
        if (modemTimeOver(startMs, kReplyTimeoutMs))
            step = 1001;
        if (!GetCondicio1())
            return kBusy;
        step = decodeDownStream(phyChannel) ? 100 : 1002;
        return kBusy;
    case 100:
        // Stays here: every further advance emits the channel again until a restart.
        decodificaDocsisMode_30();
        report(&MesuraCM::phyChanged, phyChannelMap30(phyChannel));
        return 0;
    default:
        step = 0;
        phyChannel = 0;
        return -1;
    }
}

int MesuraCM::decodificaUpDownSencer(int mode)
{
    static int step = 0;
    static int channel = 0;
    if (mode == kRestart) {
        channel = 0;
        decodificaDownstream(kRestart, 0);
        step = 1;
        return kBusy;
    }
    switch (step) {
    case 0:
        decodificaDownstream(kRestart, channel);
        step = 1;
        return kBusy;
    case 1: {
        // Two of the decoder's steps per pass, but none after it has answered: a second
        // advance would emit the channel twice, or run a restarted decoder on.
        int r = decodificaDownstream(kAdvance, channel);
        if (r == kBusy)
            r = decodificaDownstream(kAdvance, channel);
        if (r == 0) {
            if (channel < kLastChannel) {
                ++channel;
                step = 0;
            } else {
                step = 2;
            }
        } else if (r == -1) {
            step = 1000;
        }
        return kBusy;
    }
    case 2:
        decodificaUpstream(kRestart);
        step = 3;
        return kBusy;
    case 3: {
        const int r = decodificaUpstream(kAdvance);
        if (r == 0) {
            const QVariantList ups = upstreamChannelList30(true);
            if (!ups.isEmpty())
                report(&MesuraCM::upsChanged, ups);
            step = 4;
        } else if (r == -1) {
            step = 1001;
        }
        return kBusy;
    }
    case 4:
        noteRegistrationChannels();
        return 0;
    default:
        return -1;
    }
}

int MesuraCM::decodificaUpDownSencer_30(int mode)
{
    static int step = 4;
    if (mode == kRestart || mode == 4) {
        step = 4;
        InicialitzaMesuresRegistre30();
        SetModemStatus(MODEM_STATUS_STARTING);
        SetModemProcess(MODEM_PROCESS_START);
        return kBusy;
    }
    // Done: the next advance sweeps again.
    if (step == -1)
        step = 4;
    int answer = kBusy;
    if (registrationSweep(step, -1, &answer))
        return answer;
    qDebug().nospace() << " decodificaUpDownSencer_30: " << step;
    return -1;
}

bool MesuraCM::registrationSweep(int& step, int after, int* answer)
{
    switch (step) {
    case 4:
        SetModemProcess(MODEM_PROCESS_SWEEP);
        decodificaUpDownSencer(kRestart);
        step = 5;
        *answer = MODEM_STEP_STAGE_DONE;
        return true;
    case 5: {
        const int r = decodificaUpDownSencer(kAdvance);
        *answer = kBusy;
        if (r == 0) {
            SetModemProcess(MODEM_PROCESS_STATE);
            procesMesuraRegistre30(0);
            step = 6;
            *answer = MODEM_STEP_STAGE_DONE;
        } else if (r == -1) {
            step = 1002;
        }
        return true;
    }
    case 6:
        for (int i = 0; i < REGISTRE30_CHANNELS; ++i)
            SetMesuresRegistre30(i, UNMEASURED);
        step = after;
        *answer = 0;
        return true;
    default:
        return false;
    }
}

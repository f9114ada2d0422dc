// The cable-modem tests this build does not have yet: each tells so once and lets the
// pass idle, and their step machines restart to nothing. Each goes when its test comes.
#include "mesuraCM.h"

void MesuraCM::mesura_VoIP() { testNotAvailable("mesura_VoIP"); }
void MesuraCM::mesura_IPTV() { testNotAvailable("mesura_IPTV"); }

int MesuraCM::mesuraSweepGenerador(int mode)
{
    testNotAvailable(QString("mesuraSweepGenerador(%1)").arg(mode));
    return 0;
}

int MesuraCM::mesuraSweepGenerador_31(int mode)
{
    testNotAvailable(QString("mesuraSweepGenerador_31(%1)").arg(mode));
    return 0;
}

int MesuraCM::mesuraOnChannelVoIP(int) { return 0; }
int MesuraCM::mesuraOnChannelIPTV(int) { return 0; }

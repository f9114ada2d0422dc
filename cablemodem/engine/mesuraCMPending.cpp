// The cable-modem tests this build does not have yet: each tells so once and lets the
// pass idle, and their step machines restart to nothing. Each goes when its test comes.
#include "mesuraCM.h"

void MesuraCM::mesura_cm_iq() { testNotAvailable("mesura_cm_iq"); }
void MesuraCM::mesura_VoIP() { testNotAvailable("mesura_VoIP"); }
void MesuraCM::mesura_IPTV() { testNotAvailable("mesura_IPTV"); }
void MesuraCM::mesura_ranging_31() { testNotAvailable("mesura_ranging_31"); }
void MesuraCM::mesura_on_channel_registrat_31() { testNotAvailable("mesura_on_channel_registrat_31"); }
void MesuraCM::mesura_cm_iq_31() { testNotAvailable("mesura_cm_iq_31"); }
void MesuraCM::mesura_on_channel_registrat_31_signal_31()
{
    testNotAvailable("mesura_on_channel_registrat_31_signal_31");
}
void MesuraCM::mesura_ranging_31_signal_31() { testNotAvailable("mesura_ranging_31_signal_31"); }
void MesuraCM::mesura_cm_iq_31_signal_31() { testNotAvailable("mesura_cm_iq_31_signal_31"); }

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

int MesuraCM::mesuraModemIQ(int) { return 0; }
int MesuraCM::mesuraOnChannelVoIP(int) { return 0; }
int MesuraCM::mesuraOnChannelIPTV(int) { return 0; }

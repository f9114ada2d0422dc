// The DOCSIS 3.0 set-up step machines: putting the modem into the wanted ranging, DHCP
// and registration modes, tuning it and following its registration state; and making
// it send a test burst on the upstream.
#pragma once

// run 0 restarts, 4 restarts with a frequency change (the "go" command); other values
// advance. mode 0, 1 or 2 selects the modem modes. 100 busy, the state level while it
// polls the registration state, -1 failed.
int sintonitzaFrequenciaCableModem(int run, int mode, int frequency);

// run 0 or 4 restarts, 15 restarts and starts, 64 advances; anything else -1.
// 100 busy, 33554998 a stage finished, 0 the burst runs (or was stopped), -1 failed.
int mesuraSendUpstream(int run, double frequency);

int MesuraUpstreamEspectre(int run);

// The DOCSIS 3.1 report texts of the simulated cable modem: upstream and downstream status,
// the PHY and BER reports of an SC-QAM receiver, and the OFDM channel's information,
// profiles, per-subcarrier MER, frequency response and constellations. All follow from the
// session's one state and the network it sees, so they agree with each other: the MER of a
// channel is the same in every report, the subcarrier range of the information is the one
// the MER report answers for. Lines end with "\n"; the model adds the prompt.
#pragma once

#include "CableModemReplies.h"

#include <string>

namespace platform::sim {

constexpr int kModemScQamReceivers31 = 32;
constexpr int kModemOfdmChannels31 = 2;

// Where an OFDM channel's subcarriers lie: a 4K FFT with 50 kHz spacing centred on the
// block, the active ones covering its bandwidth, the PLC at the centre.
struct ModemOfdmLayout {
    int fftSize = 4096;
    double spacingHz = 50000;
    int first = 0;
    int last = 0;
    double firstHz = 0;
    double lastHz = 0;
    double plcHz = 0;
    double subcarrierHz(int k) const;
};
ModemOfdmLayout modemOfdmLayout(const ModemOfdmChannel& channel);
// The RxMER the modem measures on subcarrier k of the channel, in dB, around its MER.
double modemSubcarrierMerDb(const ModemOfdmChannel& channel, int k);
// The average over the active subcarriers, as the information report gives it.
double modemAverageMerDb(const ModemOfdmChannel& channel);

// "docsis/Debug/usstatus", "docsis/Debug/dsstatus".
std::string modemUpstreamStatus31(const ModemSession& session);
std::string modemDownstreamStatus31(const ModemSession& session);
// "docsis/phystatus N", "docsis/Debug/berstatus N mode": SC-QAM receiver N (from 0).
std::string modemPhyStatus31(const ModemSession& session, int receiver);
std::string modemBerStatus31(const ModemSession& session, int receiver);
// OFDM channel reports; an unlocked channel answers "OFDM channel N unlock!" alone.
std::string modemOfdmInfo31(const ModemSession& session, int channel);
std::string modemOfdmProfiles31(const ModemSession& session, int channel);
std::string modemOfdmMer31(const ModemSession& session, int channel, int first, int last);
std::string modemOfdmResponse31(const ModemSession& session, int channel);
std::string modemOfdmConstellation31(const ModemSession& session, int channel, int points);
// "docsis/Production/Test/Tuner/IQconstellation N": received symbols of SC-QAM receiver N.
std::string modemTunerConstellation31(const ModemSession& session, int receiver);

} // namespace platform::sim

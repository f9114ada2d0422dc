// "*TUNE" and "*?TUNE": tune the RF front end to a frequency, and report the working
// frequency or the tuning mode. One object serves both keys.
#pragma once

#include "remotecmd.h"

#include <map>
#include <string>

namespace remote {

class TuneCmd : public RemoteCmd {
public:
    static constexpr const char* BAND_ = "BAND=";
    static constexpr const char* PLAN_ = "PLAN=";
    static constexpr const char* FREQ_ = "FREQ=";
    static constexpr const char* CH_ = "CH=";
    static constexpr const char* MODE_ = "MODE=";
    static constexpr const char* FREQ_DL_ = "DL=";
    static constexpr const char* KHZ_ = "K";
    static constexpr const char* TER_ = "TER";
    static constexpr const char* SAT_ = "SAT";
    static constexpr const char* FREQUENCY_ = "FREQ";
    static constexpr const char* CHANNEL_ = "CH";
    static constexpr const char* MODE_Q = "MODE";
    static constexpr const char* DEMOD_ = "DEMOD";
    static constexpr const char* SP_ = "SP";
    static constexpr const char* NEXT_ = "NEXT";
    static constexpr const char* PREVIOUS_ = "PREV";

    static constexpr const char* BAND_TER = "bands::TER";
    static constexpr const char* BAND_SAT = "bands::SAT";

    // What the front end can be tuned to; a FREQ= outside it is refused.
    static constexpr unsigned FREQ_MIN_HZ = 5000000u;
    static constexpr unsigned FREQ_MAX_HZ = 2700000000u;

    int run(const std::string& line, std::string* reply, bool level) override;
    int run(const std::string& line, bool level) override;

    int check_if_band_and_plan_parameters(const std::string& line, int& band, int defaultBand, bool& bandGiven,
                                          bool& planGiven, std::string& plan, std::string& bandName);
    int check_if_freq_parameter(const std::string& line, unsigned& frequency, bool& frequencyGiven, int band,
                                std::string bandName);
    bool check_frequency_value(unsigned frequency, int band);
    void build_frequency_khz(std::string* reply, unsigned frequency, std::string bandName);
    int check_if_channel_parameter(const std::string& line, std::string& channel, bool& channelGiven,
                                   bool& nextGiven, bool& previousGiven);
    bool check_other_things(const std::string& line);
    bool check_type_of_mode(const std::string& line, bool& frequencyMode, bool& channelMode);

    // Band, plan and channel handling has nothing to act on: there is no band table to fill
    // and no channel list reachable from here.
    void check_if_we_have_to_switch_band(bool bandGiven, int band, int defaultBand);
    void check_if_send_nex_prev_plan(bool planGiven, bool nextGiven, bool previousGiven, const std::string& plan,
                                     const std::string& bandName);
    void get_channel_name(std::string& channel, bool channelGiven, int band, int plan, unsigned frequency);
    void send_mode_channel_messages(bool channelGiven, bool nextGiven, bool previousGiven,
                                    unsigned long long frequency, int band, int plan, const std::string& channel,
                                    const std::string& bandName);
    void send_mode_frequency_messages(bool frequencyGiven, bool bandGiven, unsigned long long frequency,
                                      const std::string& plan, const std::string& bandName);

private:
    std::map<std::string, int> bands_;
};

} // namespace remote

#include "tuneCmd.h"

#include "exceptionlog.h"
#include "tokens.h"
#include "unsignedParameter.h"

#include "engines/measures.h"
#include "rf/mesuraRF.h"

namespace remote {

namespace {

// Without a BAND= the tune command works in band 1, which names the satellite band.
constexpr int kDefaultBand = 1;
constexpr unsigned kFrequencyFormat = tokens::FORMAT_DEC | tokens::FORMAT_POINT_SCALE;
constexpr unsigned kTextFormat = tokens::FORMAT_DEC | tokens::FORMAT_HEX;
// The channel query has no channel plan or channel to name: both fields stay empty.
const char kPlanFileName[] = "";
const char kChannelName[] = "";
// The frequency query always reports a 1 MHz step.
const char kStepText[] = "1MHz";

} // namespace

int TuneCmd::run(const std::string& line, bool level)
{
    (void)level;
    try {
        std::string bandName = BAND_TER;
        std::string plan;
        std::string channel;
        bool bandGiven = false;
        bool planGiven = false;
        bool frequencyGiven = false;
        bool channelGiven = false;
        bool nextGiven = false;
        bool previousGiven = false;
        unsigned frequency = 0;
        int band = kDefaultBand;

        if (check_if_band_and_plan_parameters(line, band, kDefaultBand, bandGiven, planGiven, plan, bandName) != 0)
            return -1;
        if (check_if_freq_parameter(line, frequency, frequencyGiven, band, bandName) != 0)
            return -1;
        // Only a frequency that passed its checks reaches the front end: a line without one
        // leaves the tuning as it is.
        if (frequencyGiven) {
            setFrequencyHz(frequency);
            Measures::getInstance()->sintonizaFerquency(frequency);
            remotelog::note(" frecuencia ", std::to_string(frequency));
        }
        check_if_channel_parameter(line, channel, channelGiven, nextGiven, previousGiven);
        if (!bandGiven && !planGiven && !frequencyGiven && !channelGiven && !nextGiven && !previousGiven)
            return -1;
        check_if_we_have_to_switch_band(bandGiven, band, kDefaultBand);
        check_if_send_nex_prev_plan(planGiven, nextGiven, previousGiven, plan, bandName);
        return 0;
    } catch (const std::exception& e) {
        remotelog::note(" errors ", e.what());
    } catch (...) {
        remotelog::note(" errors ", "");
    }
    return -1;
}

int TuneCmd::run(const std::string& line, std::string* reply, bool level)
{
    try {
        if (tokens::find(CHANNEL_, line)) {
            *reply = std::string(BAND_) + TER_ + " " + PLAN_ + kPlanFileName + " " + CH_ + kChannelName;
            return 0;
        }
        if (tokens::find(MODE_Q, line)) {
            *reply = std::string(MODE_) + FREQUENCY_;
            return 0;
        }
        int result = 0;
        unsigned frequency = 0;
        std::string bandName;
        if (tokens::find(DEMOD_, line) || tokens::find(SP_, line)) {
            result = level ? 0 : -1;
        } else {
            bandName = BAND_SAT;
            frequency = getFrequencyHz();
        }
        build_frequency_khz(reply, frequency, bandName);
        return result;
    } catch (const std::exception& e) {
        remotelog::note(" errors ", e.what());
    } catch (...) {
        remotelog::note(" errors ", "");
    }
    return -1;
}

int TuneCmd::check_if_band_and_plan_parameters(const std::string& line, int& band, int defaultBand, bool& bandGiven,
                                               bool& planGiven, std::string& plan, std::string& bandName)
{
    tokens::SingleToken bandToken(BAND_, kTextFormat);
    if (!bandToken.read(line))
        return -1;
    if (bandToken.absent) {
        band = defaultBand;
        bandName = defaultBand == 1 ? BAND_SAT : BAND_TER;
        return 0;
    }
    std::string name;
    bandToken.get_(&name);
    const auto found = bands_.find(name);
    if (found == bands_.end())
        return -1;
    band = found->second;
    bandGiven = true;

    tokens::SingleToken planToken(PLAN_, kTextFormat);
    std::string planText;
    if (planToken.read(line) && !planToken.absent && planToken.get_(&planText)) {
        plan = planText + ".XML";
        planGiven = !plan.empty();
    }
    return 0;
}

int TuneCmd::check_if_freq_parameter(const std::string& line, unsigned& frequency, bool& frequencyGiven, int band,
                                     std::string bandName)
{
    (void)bandName;
    remotelog::note(" check_if_freq_parameter ", line);
    unsigned value = 0;
    const ParameterRead read = readUnsignedParameter(line, FREQ_, kFrequencyFormat, &value);
    if (read == ParameterRead::Absent)
        return 0;
    if (read == ParameterRead::Bad) {
        remotelog::note(" stBAD_PARAMETER ", line);
        return -1;
    }
    if (!check_frequency_value(value, band)) {
        remotelog::note(" check_if_freq_parameter  out of range ", line);
        return -1;
    }
    frequency = value;
    frequencyGiven = true;
    remotelog::note(" check_if_freq_parameter freq_in_Hz ", std::to_string(value));
    return 0;
}

bool TuneCmd::check_frequency_value(unsigned frequency, int band)
{
    (void)band;
    return frequency >= FREQ_MIN_HZ && frequency <= FREQ_MAX_HZ;
}

void TuneCmd::build_frequency_khz(std::string* reply, unsigned frequency, std::string bandName)
{
    *reply = std::string(BAND_) + (bandName == BAND_TER ? TER_ : SAT_) + " " + FREQ_;
    tokens::convert_to_string(frequency / 1000, tokens::FORMAT_DEC, reply);
    *reply += std::string(KHZ_) + " " + FREQ_DL_ + kStepText + " " + MODE_ + FREQUENCY_;
}

int TuneCmd::check_if_channel_parameter(const std::string& line, std::string& channel, bool& channelGiven,
                                        bool& nextGiven, bool& previousGiven)
{
    (void)line;
    (void)channel;
    (void)channelGiven;
    (void)nextGiven;
    (void)previousGiven;
    return 0;
}

bool TuneCmd::check_other_things(const std::string& line)
{
    (void)line;
    return true;
}

bool TuneCmd::check_type_of_mode(const std::string& line, bool& frequencyMode, bool& channelMode)
{
    (void)line;
    (void)frequencyMode;
    (void)channelMode;
    return false;
}

void TuneCmd::check_if_we_have_to_switch_band(bool, int, int) {}

void TuneCmd::check_if_send_nex_prev_plan(bool, bool, bool, const std::string&, const std::string&) {}

void TuneCmd::get_channel_name(std::string&, bool, int, int, unsigned) {}

void TuneCmd::send_mode_channel_messages(bool, bool, bool, unsigned long long, int, int, const std::string&,
                                         const std::string&)
{
}

void TuneCmd::send_mode_frequency_messages(bool, bool, unsigned long long, const std::string&, const std::string&) {}

} // namespace remote

#include "attenCmd.h"

#include "exceptionlog.h"
#include "tokens.h"
#include "unsignedParameter.h"

#include "rf/mesuraRF.h"

#include <string>

namespace remote {

namespace {

constexpr unsigned kNumberFormat = tokens::FORMAT_DEC | tokens::FORMAT_POINT_SCALE;
constexpr unsigned kTextFormat = tokens::FORMAT_DEC | tokens::FORMAT_HEX;

} // namespace

int AttenCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)level;
    return remotelog::guarded("AttenCmd", -1, [&] {
        *reply = "ATT=" + std::to_string(getAtenuador());
        return 0;
    });
}

// Every parameter is checked before anything is programmed: a line answered NAK leaves the
// attenuator as it was and starts no ranging.
int AttenCmd::run(const std::string& line, bool level)
{
    (void)level;
    return remotelog::guarded("AttenCmd", -1, [&] {
        unsigned value = 0;
        bool found = false;
        if (check_if_atten_parameter(line, value, found) != 0)
            return -1;
        unsigned autoValue = 0;
        bool autoFound = false;
        if (check_if_atten_auto_parameter(line, autoValue, autoFound) != 0)
            return -1;
        // Without ATTEN= the attenuation in force stays, and the ranging starts from it.
        if (found)
            setAtenuador(static_cast<int>(value), true);
        if (tokens::find(ATTEN_AUTO_ADJUST_, line)) {
            remotelog::note("check_if_atten_parameter  siiiiiiiiiiiiii iiisisisisisisisisissisiis", line);
            ajustarAtenuador();
        }
        return 0;
    });
}

bool AttenCmd::check_atten_value(unsigned value) { return value <= ATTEN_MAX_DB; }

int AttenCmd::check_if_atten_parameter(const std::string& line, unsigned& value, bool& found)
{
    return checkValue(line, ATTEN_, value, found);
}

int AttenCmd::check_if_atten_auto_parameter(const std::string& line, unsigned& value, bool& found)
{
    tokens::SingleToken text(ATTEN_AUTO_, kTextFormat);
    std::string word;
    if (text.read(line) && !text.absent && text.get_(&word))
        remotelog::note("check_if_atten_parameter  file", word);
    return checkValue(line, ATTEN_AUTO_, value, found);
}

int AttenCmd::checkValue(const std::string& line, const char* key, unsigned& value, bool& found)
{
    unsigned number = 0;
    const ParameterRead read = readUnsignedParameter(line, key, kNumberFormat, &number);
    if (read == ParameterRead::Absent)
        return 0;
    if (read == ParameterRead::Bad) {
        remotelog::note("check_if_atten_parameter  stBAD_PARAMETER ", line);
        return -1;
    }
    found = true;
    if (!check_atten_value(number)) {
        remotelog::note("check_if_atten_parameter  out of range ", line);
        return -1;
    }
    value = number;
    return 0;
}

} // namespace remote

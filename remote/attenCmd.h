// "*ATTEN" and "*?ATTEN": program the RF input attenuator (0 to 70 dB), optionally let the
// instrument range it by itself, and report the attenuation. One object serves both keys.
#pragma once

#include "remotecmd.h"

#include <map>
#include <string>

namespace remote {

class AttenCmd : public RemoteCmd {
public:
    static constexpr const char* ATTEN_ = "ATTEN=";
    static constexpr const char* ATTEN_AUTO_ = "ATTEN_AUTO=";
    static constexpr const char* ATTEN_AUTO_ADJUST_ = "ATTEN_AUTO_ADJUSTMENT";
    static constexpr const char* STR_ATTEN_ON_ = "ON";
    static constexpr const char* STR_ATTEN_OFF_ = "OFF";
    static constexpr unsigned ATTEN_MAX_DB = 70;

    int run(const std::string& line, std::string* reply, bool level) override;
    int run(const std::string& line, bool level) override;

    bool check_atten_value(unsigned value);
    // ATTEN=: 0 when absent (found false) or a valid value (found true); -1 when present
    // but empty, not a number or above 70.
    int check_if_atten_parameter(const std::string& line, unsigned& value, bool& found);
    // ATTEN_AUTO=: the same rules; the value has no further use.
    int check_if_atten_auto_parameter(const std::string& line, unsigned& value, bool& found);

private:
    int checkValue(const std::string& line, const char* key, unsigned& value, bool& found);

    std::map<std::string, unsigned> words_;
};

} // namespace remote

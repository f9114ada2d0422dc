// A tuner command for a connection that gave an access code: the names of its gain and
// filter parameters are fixed, but it sets nothing. Kept out of the command table.
#pragma once

#include "remotecmd.h"

#include <string>

namespace remote {

class TunerCmd : public RemoteCmd {
public:
    static constexpr const char* MANUAL_ = "MANUAL=";
    static constexpr const char* FILTER_BAND_ = "FILTER_BAND=";
    static constexpr const char* MODE_ = "MODE=";
    static constexpr const char* IF_ = "GAIN_IF=";
    static constexpr const char* RF_ = "GAIN_RF=";
    static constexpr const char* TOKEN_GAIN_ = "GAIN";
    static constexpr const char* TOKEN_FILTERS_ = "FILTERS";

    TunerCmd();

    // Answers with nothing to report.
    int run(const std::string& line, std::string* reply, bool level) override;
    // There is nothing to set: always refused.
    int run(const std::string& line, bool level) override;
};

} // namespace remote

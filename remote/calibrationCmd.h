// "*CALIBRATION": reads the calibration files again while the instrument runs. The reload
// takes both files or nothing, and a failed one is answered NAK.
#pragma once

#include "remotecmd.h"

namespace remote {

class CalibrationCmd : public RemoteCmd {
public:
    static constexpr const char* RESET_FILE_CALIBRATION_ = "RESET_FILE_CALIBRATION";

    // Without the keyword nothing is reloaded and the line is accepted.
    int run(const std::string& line, bool level) override;
};

} // namespace remote

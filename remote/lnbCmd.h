// "*LNB": sets the LNB supply's output voltage, its 22 kHz tone or its output, one of them
// per line. "*?LNB" has nothing to report.
#pragma once

#include "remotecmd.h"

#include "common/KxlDrvLibError.h"

#include <QMap>
#include <QString>

namespace remote {

class LnbCmd : public RemoteCmd {
public:
    static constexpr const char* LNB_VOLT_ = "LNB_VOLT=";
    static constexpr const char* LNB_22KHZ_ = "LNB_22KHZ=";
    static constexpr const char* LNB_ACTIVATE_ = "LNB_ACTIVATE=";

    LnbCmd();

    // "*?LNB" reaches the base query, which refuses every line.
    using RemoteCmd::run;
    // The first of voltage, tone and output whose key has a value of the table is set;
    // refused when none has, or when the supply did not take the setting.
    int run(const std::string& line, bool level) override;

private:
    using Setter = void (*)(KxlDrvLibError* result, int number);
    // 0 when the setting was made, -1 when the key or its value is not there (the next one
    // is tried), BUS_FAILED when the supply did not take it.
    static constexpr int BUS_FAILED = -2;
    int check_set_voltage_lnb_parameter(const std::string& line);
    int check_activar_22khz_lnb_parameter(const std::string& line);
    int check_activar_lnb_parameter(const std::string& line);
    int apply(const std::string& line, const char* key, Setter set);

    QMap<QString, int> values_;
};

} // namespace remote

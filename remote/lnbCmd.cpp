#include "lnbCmd.h"

#include "exceptionlog.h"
#include "textParameter.h"

#include "hw/DrvTPS65233.h"

namespace remote {

LnbCmd::LnbCmd()
{
    const char* const voltages[] = {"13.0V", "13.4V", "13.8V", "14.2V", "18.0V", "18.6V", "19.2V", "19.8V"};
    for (int code = 0; code < 8; ++code)
        values_.insert(QString::fromLatin1(voltages[code]), code);
    values_.insert(QStringLiteral("ON"), 1);
    values_.insert(QStringLiteral("OFF"), 0);
}

int LnbCmd::run(const std::string& line, bool level)
{
    (void)level;
    return remotelog::guarded("LnbCmd", -1, [&] {
        for (int (LnbCmd::*handler)(const std::string&) : {&LnbCmd::check_set_voltage_lnb_parameter,
                                                            &LnbCmd::check_activar_22khz_lnb_parameter,
                                                            &LnbCmd::check_activar_lnb_parameter}) {
            const int r = (this->*handler)(line);
            if (r != -1)
                return r == 0 ? 0 : -1;
        }
        return -1;
    });
}

int LnbCmd::check_set_voltage_lnb_parameter(const std::string& line)
{
    return apply(line, LNB_VOLT_, [](KxlDrvLibError* e, int n) { DrvTPS65233_HW_set_voltage(e, static_cast<unsigned>(n)); });
}

int LnbCmd::check_activar_22khz_lnb_parameter(const std::string& line)
{
    return apply(line, LNB_22KHZ_, [](KxlDrvLibError* e, int n) {
        DrvTPS65233_HW_set_internal_tone_enable(e, static_cast<unsigned char>(n));
    });
}

int LnbCmd::check_activar_lnb_parameter(const std::string& line)
{
    return apply(line, LNB_ACTIVATE_, [](KxlDrvLibError* e, int n) {
        DrvTPS65233_HW_set_output_enable(e, static_cast<unsigned char>(n));
    });
}

int LnbCmd::apply(const std::string& line, const char* key, Setter set)
{
    int number = 0;
    if (readWordParameter(line, key, values_, &number) != ParameterRead::Value)
        return -1;
    KxlDrvLibError result{};
    set(&result, number);
    return KxlDrvLib_error_is_ok(&result) ? 0 : BUS_FAILED;
}

} // namespace remote

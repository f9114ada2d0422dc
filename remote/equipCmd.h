// "*EQUIP" and "*?EQUIP": the instrument's housekeeping from the peer. A set line does the
// first of eight actions whose keyword or key (with an accepted value) it carries: restart
// the application, calibrate the touch screen, switch the fan, change the screen, set the
// real-time clock, set the enables of its alarm 1, set the clock again under a second key,
// take a screen capture. The query reads the clock back.
#pragma once

#include "remotecmd.h"

#include <QMap>
#include <QString>

namespace remote {

class EquipCmd : public RemoteCmd {
public:
    static constexpr const char* RESET_APP_ = "RESET_APP";
    static constexpr const char* CALIBRATE_TOUCH_ = "CALIBRATE_TOUCH";
    static constexpr const char* VENTILADOR_ = "VENTILADO=";
    static constexpr const char* SCREEN_ = "GO_TO_SCREEN=";
    static constexpr const char* RELOJ_ALARMA_ = "RELOJ_ALARMA=";
    static constexpr const char* SET_ALARMA_ = "SET_ALARMA=";
    static constexpr const char* SET_TIME_ALARMA_ = "SET_TIME_ALARMA=";
    static constexpr const char* TAKE_FOTO_ = "TAKE_FOTO";
    static constexpr const char* GET_RELOJ_ALARMA_ = "GET_RELOJ_ALARMA";
    // The exit code that makes the shell start the application again.
    static constexpr int RESTART_CODE = 1337;

    EquipCmd();

    // "GET_RELOJ_ALARMA=" and hour:minute:second:day:month:year (month 0 = January).
    int run(const std::string& line, std::string* reply, bool level) override;
    int run(const std::string& line, bool level) override;

private:
    // Each handler: 0 when it acted, NOT_MINE when its keyword or an accepted value is not
    // on the line (the next one is tried), FAILED when its action did not succeed.
    static constexpr int NOT_MINE = -1;
    static constexpr int FAILED = -2;
    int check_if_reset_app_parameter(const std::string& line);
    int check_if_calibrate_touch_parameter(const std::string& line);
    int check_ventilador_parameter(const std::string& line);
    int check_pantalla_home(const std::string& line);
    int check_reloj_alarma_set_time(const std::string& line);
    int check_reloj_alarma_set_alarma(const std::string& line);
    int check_reloj_alarma_set_time_alarma(const std::string& line);
    int check_if_take_foto_parameter(const std::string& line);
    int check_get_reloj_alarma_get_time(const std::string& line, std::string* reply);
    int setClock(const std::string& line, const char* key);

    QMap<QString, int> values_;
};

} // namespace remote

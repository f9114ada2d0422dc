#include "equipCmd.h"

#include "exceptionlog.h"
#include "remoteRequests.h"
#include "systemProgram.h"
#include "textParameter.h"
#include "tokens.h"

#include "common/BoardWiring.h"
#include "hw/GPIOClass.h"
#include "hw/drvPCF85263.h"

#include <QStringList>

#include <cstring>
#include <ctime>

namespace remote {

namespace {

constexpr int kClockFields = 6;
constexpr int kAlarmFields = 5;

// The value of a key split at ':'; false when the key has no value or too few fields.
bool fieldsOf(const std::string& line, const char* key, int count, QStringList* fields)
{
    std::string text;
    if (readTextParameter(line, key, &text) != ParameterRead::Value)
        return false;
    *fields = QString::fromLocal8Bit(text.data(), static_cast<int>(text.size())).split(QLatin1Char(':'));
    return fields->size() >= count;
}

} // namespace

EquipCmd::EquipCmd()
{
    values_.insert(QStringLiteral("ON"), 1);
    values_.insert(QStringLiteral("OFF"), 0);
}

int EquipCmd::run(const std::string& line, bool level)
{
    (void)level;
    return remotelog::guarded("EquipCmd", -1, [&] {
        using Handler = int (EquipCmd::*)(const std::string&);
        const Handler handlers[] = {
            &EquipCmd::check_if_reset_app_parameter,      &EquipCmd::check_if_calibrate_touch_parameter,
            &EquipCmd::check_ventilador_parameter,        &EquipCmd::check_pantalla_home,
            &EquipCmd::check_reloj_alarma_set_time,       &EquipCmd::check_reloj_alarma_set_alarma,
            &EquipCmd::check_reloj_alarma_set_time_alarma, &EquipCmd::check_if_take_foto_parameter,
        };
        for (Handler h : handlers) {
            const int r = (this->*h)(line);
            if (r != NOT_MINE)
                return r == 0 ? 0 : -1;
        }
        return -1;
    });
}

int EquipCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)level;
    return remotelog::guarded("EquipCmd", -1, [&] { return check_get_reloj_alarma_get_time(line, reply) == 0 ? 0 : -1; });
}

int EquipCmd::check_if_reset_app_parameter(const std::string& line)
{
    if (!tokens::find(RESET_APP_, line))
        return NOT_MINE;
    // Only once the answer has left: the peer hears ACK before the application goes.
    afterAnswer([] { emit RemoteRequests::getInstance()->restartApplication(RESTART_CODE); });
    return 0;
}

int EquipCmd::check_if_calibrate_touch_parameter(const std::string& line)
{
    if (!tokens::find(CALIBRATE_TOUCH_, line))
        return NOT_MINE;
    // The calibration file goes to the root file system, which is writable only meanwhile.
    if (!runSystemProgram({"mount", "-o", "remount,rw", "/"}))
        return FAILED;
    const bool calibrated = runSystemProgram({"ts_calibrate"});
    runSystemProgram({"sync"});
    const bool protectedAgain = runSystemProgram({"mount", "-o", "remount,ro", "/"});
    return calibrated && protectedAgain ? 0 : FAILED;
}

int EquipCmd::check_ventilador_parameter(const std::string& line)
{
    int on = 0;
    if (readWordParameter(line, VENTILADOR_, values_, &on) != ParameterRead::Value)
        return NOT_MINE;
    GPIOClass fan(std::to_string(wiring::gpio::FAN));
    return fan.setval_gpio(on ? "1" : "0") == 0 ? 0 : FAILED;
}

int EquipCmd::check_pantalla_home(const std::string& line)
{
    std::string screen;
    if (readTextParameter(line, SCREEN_, &screen) != ParameterRead::Value)
        return NOT_MINE;
    if (screen == "SCREEN_HOME")
        emit RemoteRequests::getInstance()->goToHome();
    else if (screen == "SCREEN_TEST")
        emit RemoteRequests::getInstance()->goToTestScreen();
    else
        return NOT_MINE;
    return 0;
}

int EquipCmd::check_reloj_alarma_set_time(const std::string& line) { return setClock(line, RELOJ_ALARMA_); }

int EquipCmd::check_reloj_alarma_set_time_alarma(const std::string& line) { return setClock(line, SET_TIME_ALARMA_); }

// hour:minute:second:day:month:year, the month counted from 0 as the read-out gives it.
// Fields after the sixth are ignored; the clock driver refuses a date it cannot hold.
int EquipCmd::setClock(const std::string& line, const char* key)
{
    QStringList fields;
    if (!fieldsOf(line, key, kClockFields, &fields))
        return NOT_MINE;
    // A field that is no number counts as 0, as the peers' tools expect.
    int v[kClockFields];
    for (int i = 0; i < kClockFields; ++i)
        v[i] = fields.at(i).toInt();
    struct tm time;
    std::memset(&time, 0, sizeof time);
    time.tm_hour = v[0];
    time.tm_min = v[1];
    time.tm_sec = v[2];
    time.tm_mday = v[3];
    time.tm_mon = v[4];
    time.tm_year = v[5] >= 1900 ? v[5] - 1900 : -1; // no clock holds a year before 1900
    return up_rtc_settime_kk(&time) == 0 ? 0 : FAILED;
}

// seconds:minutes:hours:day:month: a field of 1 enables that comparison of alarm 1, any
// other value leaves it off.
int EquipCmd::check_reloj_alarma_set_alarma(const std::string& line)
{
    QStringList fields;
    if (!fieldsOf(line, SET_ALARMA_, kAlarmFields, &fields))
        return NOT_MINE;
    unsigned char mask = 0;
    for (int i = 0; i < kAlarmFields; ++i)
        if (fields.at(i).toInt() == 1)
            mask = static_cast<unsigned char>(mask | (1u << i));
    return up_rtc_activat_alarm1_kk(mask) == 0 ? 0 : FAILED;
}

int EquipCmd::check_if_take_foto_parameter(const std::string& line)
{
    if (!tokens::find(TAKE_FOTO_, line))
        return NOT_MINE;
    emit RemoteRequests::getInstance()->takePhoto();
    return 0;
}

int EquipCmd::check_get_reloj_alarma_get_time(const std::string& line, std::string* reply)
{
    if (!tokens::find(GET_RELOJ_ALARMA_, line))
        return NOT_MINE;
    struct tm time;
    if (up_rtc_getdatetime(&time) != 0)
        return FAILED;
    *reply = QStringLiteral("GET_RELOJ_ALARMA=%1:%2:%3:%4:%5:%6")
                 .arg(time.tm_hour)
                 .arg(time.tm_min)
                 .arg(time.tm_sec)
                 .arg(time.tm_mday)
                 .arg(time.tm_mon)
                 .arg(time.tm_year + 1900)
                 .toStdString();
    return 0;
}

} // namespace remote

#include "periodicfunctions.h"


#include "services/hardware.h"
#include "services/launcher.h"
#include "engines/mesuraCM.h"
#include "common/BoardWiring.h"
#include "common/Clock.h"
#include "hw/GPIOClass.h"
#include "hw/tmp100.h"
#include "platform/Platform.h"
#include "engines/measures.h"
#include "rf/mesuraRF.h"
#include "store/screensvariables.h"
#include "store/storefile.h"

#include <QDebug>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>

struct PeriodicFunctions::Key {
    Key(int line, void (PeriodicFunctions::*signal)()) : gpio(std::to_string(line)), signal(signal) {}
    GPIOClass gpio;
    void (PeriodicFunctions::*signal)();
    bool usable = false;
    bool pressed = false;
};

PeriodicFunctions* PeriodicFunctions::getInstance()
{
    static PeriodicFunctions instance;
    return &instance;
}

namespace {
// Sets a line up as an input. The export fails harmlessly when the line is still exported
// from before a restart; the read decides whether the line can be used.
bool setUpInput(GPIOClass& gpio)
{
    gpio.export_gpio();
    gpio.setdir_gpio("in");
    std::string value;
    return gpio.getval_gpio(value) == 0;
}
} // namespace

PeriodicFunctions::PeriodicFunctions()
{
    // The compact models have no MENU key.
    if (!HardwareModel::getInstance()->isCompactModel())
        menu_ = std::make_unique<Key>(wiring::gpio::KEY_MENU, &PeriodicFunctions::menuButtoPush);
    power_ = std::make_unique<Key>(wiring::gpio::KEY_POWER, &PeriodicFunctions::powerOFF_ButtonPush);
    for (Key* key : {menu_.get(), power_.get()})
        if (key)
            key->usable = setUpInput(key->gpio);
    for (int line : {wiring::gpio::CHARGER, wiring::gpio::MAINS}) {
        GPIOClass sense(std::to_string(line));
        setUpInput(sense);
    }
    fan_ = std::make_unique<GPIOClass>(std::to_string(wiring::gpio::FAN));
    fan_->export_gpio();
    fan_->setdir_gpio("low");

    keyTimer_.setInterval(kKeyPollMs);
    connect(&keyTimer_, &QTimer::timeout, this, &PeriodicFunctions::tick);
    housekeepingTimer_.setInterval(kHousekeepingMs);
    connect(&housekeepingTimer_, &QTimer::timeout, this, &PeriodicFunctions::housekeeping);
    connect(ScreensVariables::getInstance(), &ScreensVariables::autoPowerOffChanged, this,
            &PeriodicFunctions::restartAutoPowerOff);
}

PeriodicFunctions::~PeriodicFunctions() = default;

void PeriodicFunctions::startTimers()
{
    keyTimer_.start();
    housekeepingTimer_.start();
    restartAutoPowerOff(ScreensVariables::getInstance()->getScreensVariables().value("autoPowerOff").toInt());
    housekeeping();
}

void PeriodicFunctions::setKeyBeep(bool on)
{
    keyBeep_ = on;
    if (!on || !beepFile_.isEmpty())
        return;
    // The player needs a file of its own; the click lives in the resource tree.
    const QString path = QDir::temp().filePath(QStringLiteral("varnok_key_beep.wav"));
    QFile::remove(path);
    if (QFile::copy(QStringLiteral(":/sounds/sounds/beep.wav"), path))
        beepFile_ = path;
    else
        qDebug() << "PeriodicFunctions: no key beep";
}

void PeriodicFunctions::beep()
{
    if (keyBeep_ && !beepFile_.isEmpty())
        platform::board().runShell("aplay -q " + storefile::shellQuoted(beepFile_).toStdString() + " &");
}

void PeriodicFunctions::restartAutoPowerOff(int seconds)
{
    if (seconds < 1) {
        powerOffDeadlineMs_ = 0;
        return;
    }
    powerOffDeadlineMs_ = common::clock().monotonicMs() + static_cast<uint64_t>(seconds) * 1000;
}

void PeriodicFunctions::tick()
{
    if (menu_)
        pollKey(*menu_);
    pollKey(*power_);
    if (powerOffDeadlineMs_ != 0 && common::clock().monotonicMs() >= powerOffDeadlineMs_) {
        qDebug() << "Auto power off";
        powerOff();
    }
}

void PeriodicFunctions::pollKey(Key& key)
{
    if (!key.usable)
        return;
    std::string value;
    if (key.gpio.getval_gpio(value) != 0)
        return;
    const bool pressed = value == std::to_string(wiring::gpio::KEY_PRESSED_LEVEL);
    const bool newPress = pressed && !key.pressed;
    key.pressed = pressed;
    if (newPress) {
        beep();
        emit(this->*key.signal)();
    }
}

bool PeriodicFunctions::readInput(int line) const
{
    GPIOClass gpio(std::to_string(line));
    std::string value;
    return gpio.getval_gpio(value) == 0 && value == "1";
}

void PeriodicFunctions::housekeeping()
{
    temperatureEquip();
    batteryEquip();
    std::string state;
    const bool rj45 = platform::board().readFile("/sys/class/net/eth0/operstate", &state) == 0
        && QString::fromStdString(state).trimmed() == "up";
    const bool usb = platform::board().fileExists("/dev/sda1") || platform::board().fileExists("/dev/sdb1");
    if (rj45 != rj45_ || usb != usb_) {
        rj45_ = rj45;
        usb_ = usb;
        emit equipStatusChanged();
    }
}

void PeriodicFunctions::temperatureEquip() { updateTemperature(readTemperatureC(), isCableModemOn()); }

void PeriodicFunctions::updateTemperature(std::optional<float> celsius, bool modemOn)
{
    if (celsius) {
        if (*celsius >= kFanOnC)
            thermalFan_ = true;
        else if (*celsius < kFanOffC)
            thermalFan_ = false;
    }
    // The large models keep the fan on while their cable modem is powered.
    const bool modemFan = modemOn && !HardwareModel::getInstance()->isCompactModel();
    const bool changed = celsius != temperature_;
    temperature_ = celsius;
    setFan(thermalFan_ || modemFan);
    if (changed)
        emit equipStatusChanged();
}

void PeriodicFunctions::setFan(bool on)
{
    if (on == fanOn_)
        return;
    fanOn_ = on;
    fan_->setval_gpio(on ? "1" : "0");
    emit equipStatusChanged();
}

void PeriodicFunctions::batteryEquip()
{
    const bool charging = readInput(wiring::gpio::CHARGER);
    const bool mains = readInput(wiring::gpio::MAINS);
    if (charging != charging_ || mains != mains_) {
        charging_ = charging;
        mains_ = mains;
        emit equipStatusChanged();
    }
    updateBattery(readBatteryRaw());
}

void PeriodicFunctions::updateBattery(int raw)
{
    int level = -1;
    bool critical = false;
    if (raw >= 0) {
        const double volts = raw * kBatteryVoltsPerStep;
        const double fraction = (volts - kBatteryEmptyV) / (kBatteryFullV - kBatteryEmptyV);
        level = static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * 100.0));
        critical = volts < kBatteryCriticalV && !mains_;
    }
    // One low reading may be a load peak; two in a row are an empty battery.
    criticalReadings_ = critical ? criticalReadings_ + 1 : 0;
    if (level != batteryLevel_) {
        batteryLevel_ = level;
        emit equipStatusChanged();
    }
    if (criticalReadings_ >= 2) {
        qDebug() << "Battery critical";
        powerOff();
    }
}

void PeriodicFunctions::powerOff()
{
    if (poweringOff_)
        return;
    poweringOff_ = true;
    keyTimer_.stop();
    housekeepingTimer_.stop();
    powerOffDeadlineMs_ = 0;
    qDebug() << "Power off";
    switchOffLnb();
    platform::board().launchProcess(kPowerOffCommand, Launcher::kTimeoutMs);
}

std::optional<float> PeriodicFunctions::readTemperatureC()
{
    float celsius = 0;
    if (tmp100_ReadTemperature(&celsius) != 0)
        return std::nullopt;
    // The level corrections follow the unit's temperature.
    setTemperaturaC(celsius);
    return celsius;
}

int PeriodicFunctions::readBatteryRaw() { return getBatteryValue(); }

bool PeriodicFunctions::isCableModemOn() { return MesuraCM::getInstance()->isCableModem_ON() != 0; }

void PeriodicFunctions::switchOffLnb() { Measures::getInstance()->setActivaLNB(false); }

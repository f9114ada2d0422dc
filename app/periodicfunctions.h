// The instrument's housekeeping (context property "periodicFunctions"): the front-panel
// keys polled every 100 ms, the 5 s round of temperature and fan, battery, charger, mains,
// RJ45 and USB presence, the auto power-off, and the power-off itself.
#pragma once

#include <QObject>
#include <QTimer>

#include <memory>
#include <optional>

class GPIOClass;

class PeriodicFunctions : public QObject {
    Q_OBJECT
    // Battery charge in percent, -1 while unknown.
    Q_PROPERTY(int batteryLevel READ batteryLevel NOTIFY equipStatusChanged)
    Q_PROPERTY(bool charging READ charging NOTIFY equipStatusChanged)
    Q_PROPERTY(bool mainsConnected READ mainsConnected NOTIFY equipStatusChanged)
    Q_PROPERTY(bool rj45Connected READ rj45Connected NOTIFY equipStatusChanged)
    Q_PROPERTY(bool usbPresent READ usbPresent NOTIFY equipStatusChanged)
    Q_PROPERTY(bool temperatureKnown READ temperatureKnown NOTIFY equipStatusChanged)
    Q_PROPERTY(double temperature READ temperature NOTIFY equipStatusChanged)
    Q_PROPERTY(bool fanOn READ fanOn NOTIFY equipStatusChanged)
    // Hot enough for the fan by itself (the modem keeps it running at any temperature).
    Q_PROPERTY(bool overheated READ overheated NOTIFY equipStatusChanged)
public:
    static constexpr int kKeyPollMs = 100;
    static constexpr int kHousekeepingMs = 5000;
    // The fan runs from kFanOnC until the unit has cooled below kFanOffC.
    static constexpr float kFanOnC = 45.0f;
    static constexpr float kFanOffC = 40.0f;
    // Battery pack voltage from converter channel 0: raw x 0.0005 x 4.03 V.
    static constexpr double kBatteryVoltsPerStep = 0.0005 * 4.03;
    static constexpr double kBatteryEmptyV = 6.4;
    static constexpr double kBatteryFullV = 8.4;
    // Two readings in a row below this, without mains, power the unit off.
    static constexpr double kBatteryCriticalV = 6.2;
    static constexpr const char* kPowerOffCommand = "/bin/sh -c \"halt & \"";

    static PeriodicFunctions* getInstance();

    // Arms the 100 ms and 5 s timers and the auto power-off from the stored setting.
    void startTimers();
    // A short click on every front-panel key press.
    void setKeyBeep(bool on);

    Q_INVOKABLE void enviarSignalBotonHome() { emit menuButtoPush(); }
    Q_INVOKABLE void enviarSignalTestScreen() { emit testScreen(); }
    Q_INVOKABLE void enviarSignalTakeFoto() { emit takeFoto(); }
    // Switches the LNB supply off and halts the system; once only.
    Q_INVOKABLE void powerOff();

    // Fan control from the temperature sensor and the cable modem's power.
    void temperatureEquip();
    // Battery, charger and mains; a critical battery powers the unit off.
    void batteryEquip();
    // The decisions of the two above, given their readings.
    void updateTemperature(std::optional<float> celsius, bool modemOn);
    void updateBattery(int raw);

    int batteryLevel() const { return batteryLevel_; }
    bool charging() const { return charging_; }
    bool mainsConnected() const { return mains_; }
    bool rj45Connected() const { return rj45_; }
    bool usbPresent() const { return usb_; }
    bool temperatureKnown() const { return temperature_.has_value(); }
    double temperature() const { return temperature_.value_or(0.0f); }
    bool fanOn() const { return fanOn_; }
    bool overheated() const { return thermalFan_; }
    bool autoPowerOffArmed() const { return powerOffDeadlineMs_ != 0; }

public slots:
    // Seconds from now; below 1 disables the auto power-off.
    void restartAutoPowerOff(int seconds);
    // One 100 ms round: the keys, then the auto power-off deadline.
    void tick();
    // One 5 s round.
    void housekeeping();

signals:
    void menuButtoPush();
    void powerOFF_ButtonPush();
    void testScreen();
    void takeFoto();
    void equipStatusChanged();

private:
    PeriodicFunctions();
    ~PeriodicFunctions() override;

    // Readings and commands of devices whose drivers belong to other subsystems; each
    // becomes one call into that subsystem when it exists.
    std::optional<float> readTemperatureC();
    int readBatteryRaw();
    bool isCableModemOn();
    void switchOffLnb();

    struct Key;
    void pollKey(Key& key);
    bool readInput(int line) const;
    void setFan(bool on);
    void beep();

    std::unique_ptr<Key> menu_;
    std::unique_ptr<Key> power_;
    std::unique_ptr<GPIOClass> fan_;
    QTimer keyTimer_;
    QTimer housekeepingTimer_;
    uint64_t powerOffDeadlineMs_ = 0;
    bool poweringOff_ = false;
    bool keyBeep_ = false;
    QString beepFile_;

    int batteryLevel_ = -1;
    int criticalReadings_ = 0;
    bool charging_ = false;
    bool mains_ = false;
    bool rj45_ = false;
    bool usb_ = false;
    std::optional<float> temperature_;
    bool thermalFan_ = false;
    bool fanOn_ = false;
};

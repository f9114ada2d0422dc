#include "cableModen.h"

#include "serialPort.h"

#include "services/hardware.h"
#include "common/BoardWiring.h"
#include "common/Clock.h"
#include "hw/GPIOClass.h"
#include "hw/delay.h"

#include <QDebug>

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <termios.h>

char portName[] = WIRING_MODEM_SERIAL_DEVICE;

namespace {

// The module's state. The status codes are read by the GUI thread while the engine
// thread writes them, so they are atomics rather than plain ints.
struct ModemModule {
    std::atomic<SerialPort*> serialPortCableModem{nullptr};
    std::unique_ptr<GPIOClass> hardwareResetCableModem;
    std::unique_ptr<GPIOClass> softwareResetCableModem;
    std::unique_ptr<GPIOClass> ON_MDM_gpio;
    std::atomic<bool> cableMode_ON{false};
    std::atomic<int> ModemStatusPower{MODEM_STATUS_POWER_OFF};
    std::atomic<int> ModemStatus{0};
    std::atomic<int> Internet{0};
    std::atomic<int> ModemProcess{0};
    std::atomic<int> ModemEnReset{0};

    // The power sequences are called from the GUI thread (input routing) and the engine
    // thread (restarts), and the off sequence processes events while it waits, through
    // which a sequence can be asked for again on the same thread. One sequence runs at a
    // time; a request made from inside one runs right after it.
    std::recursive_mutex powerMutex;
    int powerDepth = 0;
    int powerPending = 0;
};

// Never destroyed: the cable-modem thread may still be inside a power sequence or a status
// call while the process's statics are torn down (an exit that skips the end of the event
// loop, where the engine is stopped), and the lines and status words must outlive it.
ModemModule& modem()
{
    static ModemModule* instance = new ModemModule;
    return *instance;
}

enum PowerRequest { kNoRequest = 0, kPowerOn = 1, kPowerOff = 2 };

void setLine(const std::unique_ptr<GPIOClass>& line, const char* value)
{
    // A failed write is reported by the line itself; the sequence goes on, as on the unit.
    if (line)
        line->setval_gpio(value);
}

bool portIsOpen()
{
    SerialPort* port = modem().serialPortCableModem.load();
    return port && port->isOpenFD();
}

void powerOnSequence()
{
    ModemModule& m = modem();
    if (portIsOpen())
        return;
    setLine(m.hardwareResetCableModem, "1");
    common::clock().sleepMs(10);
    setLine(m.ON_MDM_gpio, "1");
    m.cableMode_ON = true;
    common::clock().sleepMs(100);
    int opened = -1;
    SerialPort* port = m.serialPortCableModem.load();
    const bool docsis31 = HardwareModel::getInstance()->getDocsis31VersionHardware();
    qDebug() << (docsis31 ? "velocitat 115200" : "velocitat 38400");
    if (port)
        opened = port->initPort(docsis31 ? B115200 : B38400, portName);
    else
        qDebug() << "power_ON_CableModem: no serial port";
    common::clock().sleepMs(100);
    setLine(m.hardwareResetCableModem, "0");
    // A modem that cannot be talked to is not starting as far as the screens know.
    m.ModemStatusPower = opened == 0 ? MODEM_STATUS_STARTING : MODEM_STATUS_POWER_OFF;
}

void powerOffSequence()
{
    ModemModule& m = modem();
    m.ModemStatusPower = MODEM_STATUS_POWER_OFF;
    // Keyed on the supply as well as on the line: a modem whose line failed to open is
    // still powered and must be switched off.
    if (!m.cableMode_ON && !portIsOpen())
        return;
    setLine(m.hardwareResetCableModem, "1");
    delay(100);
    if (SerialPort* port = m.serialPortCableModem.load(); port && port->isOpenFD())
        port->closePort();
    delay(10);
    setLine(m.ON_MDM_gpio, "0");
    m.cableMode_ON = false;
}

void ensureModemLines();

void runPowerSequence(int request)
{
    ModemModule& m = modem();
    std::lock_guard<std::recursive_mutex> lock(m.powerMutex);
    ensureModemLines();
    if (m.powerDepth > 0) {
        m.powerPending = request;
        return;
    }
    ++m.powerDepth;
    for (int next = request; next != kNoRequest;) {
        m.powerPending = kNoRequest;
        if (next == kPowerOn)
            powerOnSequence();
        else
            powerOffSequence();
        next = m.powerPending;
    }
    --m.powerDepth;
}

std::unique_ptr<GPIOClass> makeOutputLow(int number)
{
    auto line = std::make_unique<GPIOClass>(std::to_string(number));
    line->export_gpio();
    line->setdir_gpio("low");
    return line;
}

// The lines are set up once, by whichever comes first: the engine's start or a routing
// change that powers the modem before the engine thread has run.
void ensureModemLines()
{
    ModemModule& m = modem();
    if (m.ON_MDM_gpio)
        return;
    m.hardwareResetCableModem = makeOutputLow(wiring::gpio::CM_RESET);
    m.softwareResetCableModem = makeOutputLow(wiring::gpio::CM_SOFT_RESET);
    m.ON_MDM_gpio = makeOutputLow(wiring::gpio::ON_MDM);
    m.cableMode_ON = false;
}

} // namespace

void setInitModem(SerialPort* port)
{
    ModemModule& m = modem();
    std::lock_guard<std::recursive_mutex> lock(m.powerMutex);
    m.serialPortCableModem = port;
    ensureModemLines();
}

SerialPort* getSerialPortCableModem() { return modem().serialPortCableModem.load(); }

void forgetSerialPortCableModem(SerialPort* port)
{
    SerialPort* expected = port;
    modem().serialPortCableModem.compare_exchange_strong(expected, nullptr);
}

void power_ON_CableModem() { runPowerSequence(kPowerOn); }

void power_OFF_CableModem() { runPowerSequence(kPowerOff); }

bool is_CableModem_ON() { return modem().cableMode_ON; }

bool isSerialPortCableModemOpen() { return portIsOpen(); }

void SetModemStatusPower(int status) { modem().ModemStatusPower = status; }
int GetModemStatusPower() { return modem().ModemStatusPower; }

void SetModemStatus(int code)
{
    if (code == MODEM_STATUS_REGISTERED && modem().Internet == 0)
        code = MODEM_STATUS_REGISTERED_NO_INTERNET;
    modem().ModemStatus = code;
}
int GetModemStatus() { return modem().ModemStatus; }

void SetInternet(int internet) { modem().Internet = internet; }
int GetInternet() { return modem().Internet; }
void SetModemProcess(int process) { modem().ModemProcess = process; }
int GetModemProcess() { return modem().ModemProcess; }
void SetModemEnReset(int reset) { modem().ModemEnReset = reset; }
int GetModemEnReset() { return modem().ModemEnReset; }

// The cable-modem module: the modem's power and reset lines, the serial line's device
// and speed, the power and test status codes the screens show, the registration-state
// report and the DOCSIS 3.0 readiness and restart step machines.
#pragma once

class SerialPort;

// The unit's device of the modem line; the platform board says what to open for it.
extern char portName[];

// Power and command-line state (cableModem_status).
enum CableModemStatus {
    MODEM_STATUS_POWER_OFF = 1600,
    MODEM_STATUS_STARTING = 1601,
    MODEM_STATUS_POWER_ON = 1602,
    MODEM_STATUS_PENDING = 1700,
    MODEM_STATUS_OPERATIONAL = 1701,
    MODEM_STATUS_PHY_SYNCHRONIZED = 1702,
    MODEM_STATUS_CONFIG_FILE_DOWNLOAD_COMPLETE = 1703,
    MODEM_STATUS_NOT_SYNCHRONIZED = 1704,
    MODEM_STATUS_DHCPV4_IN_PROGRESS = 1705,
    MODEM_STATUS_RANGING_IN_PROGRESS = 1706,
    MODEM_STATUS_RANGING_COMPLETE = 1707,
    MODEM_STATUS_ERROR = 1708,
    MODEM_STATUS_UNDEFINED = 1709,
    MODEM_STATUS_DHCPV4_COMPLETE = 1710,
    MODEM_STATUS_TUNING = 1712,
    MODEM_STATUS_REGISTERED = 1713,
    MODEM_STATUS_RANGED = 1714,
    MODEM_STATUS_RES = 1769,
};

// Codes without a screen text: the 3.0 generator is ready, registered without Internet.
constexpr int MODEM_STATUS_UPSTREAM_READY = 1715;
constexpr int MODEM_STATUS_REGISTERED_NO_INTERNET = 1733;
// The 3.0 upstream generator is being set up (its modem is ready or being made ready).
constexpr int MODEM_STATUS_UPSTREAM_SETUP = 1741;
// The VoIP test's pings ended with the modem no longer registered.
constexpr int MODEM_STATUS_VOIP_UNREGISTERED = 1740;

// Registration states without a screen text: a state level the table has no status for,
// and the level 30000.
constexpr int MODEM_STATUS_OTHER_STATE = 1770;
constexpr int MODEM_STATUS_STATE_30000 = 1771;

// Step-machine answers that callers treat as busy: a stage finished, the modem restarts,
// registration reached OPERATIONAL (or the IP report was read), a machine restarted or
// emitted a report, and a code passed on unchanged.
constexpr int MODEM_STEP_STAGE_DONE = 33554998;   // 0x2000236
constexpr int MODEM_STEP_RESTARTING = 33555866;   // 0x200059A
constexpr int MODEM_STEP_REGISTERED = 33555023;   // 0x200024F
constexpr int MODEM_STEP_REPORTED = 33555033;     // 0x2000259
constexpr int MODEM_STEP_PASSED_ON = 2004318071;  // 0x77777777

// The stages of a test as the modem process code keeps them (nothing reads them back).
enum ModemProcessCode {
    MODEM_PROCESS_NO_PATH_TEST = 1715,
    MODEM_PROCESS_DOWNSTREAM = 1718,
    MODEM_PROCESS_TRACE_QUIET = 1719,
    MODEM_PROCESS_PING = 1720,
    MODEM_PROCESS_TRACE = 1721,
    MODEM_PROCESS_PATH_DONE = 1722,
    MODEM_PROCESS_BER = 1723,
    MODEM_PROCESS_CONSTELLATION = 1724,
    MODEM_PROCESS_UPSTREAM = 1725,
    MODEM_PROCESS_REGISTERED = 1728,
    MODEM_PROCESS_IP = 1729,
    MODEM_PROCESS_STATE = 1757,
    MODEM_PROCESS_START = 1769,
    MODEM_PROCESS_SWEEP = 1772,
};

// Lines and power.
void setInitModem(SerialPort* port);
SerialPort* getSerialPortCableModem();
// Unregisters the port before it is destroyed (when it is the registered one).
void forgetSerialPortCableModem(SerialPort* port);
void power_ON_CableModem();
void power_OFF_CableModem();
bool is_CableModem_ON();
// The registered serial port exists and its line is open.
bool isSerialPortCableModemOpen();

// Status.
void SetModemStatusPower(int status);
int GetModemStatusPower();
void SetModemStatus(int code);
int GetModemStatus();
void SetInternet(int internet);
int GetInternet();
void SetModemProcess(int process);
int GetModemProcess();
void SetModemEnReset(int reset);
int GetModemEnReset();

// Registration-state report: the level of the state word of "doc/cms" (CMStateCode),
// 100 while busy, -100 for no known word or no report in time.
int GetCMStatus(int run, int timeoutMs);
// The level of the first state word found in a report, or -100; sets Internet where the
// word says so.
int cmStateLevel(const char* report);
// The status a registration machine posts for a state level from 2000 to 39999 (not for
// 2000 itself, which each machine handles apart).
int modemStatusOfLevel(int level);

// DOCSIS 3.0 readiness step machines (0 or 4 restart, 64 advance).
int GetModemReady(int run);
int ResetModem(int run);
int ProcesModemReady(int run, int mode, int frequency, int minimumLevel);

// The driver library's CXD2858 tuner: one static tuner state with its adjustment record,
// the library's signal types turned into tuner systems, IF frequencies and bandwidths,
// frequencies kept inside the tuner's bands, and the demodulator's gate opened and closed
// around every access to the tuner behind it. The plain DrvCXD2858_ operations work on the
// static state; their DrvCXD2858_m_ twins take a state as the last argument.
#pragma once

#include "DrvCXD2858_i2c.h"

#include "chipkit/kit_cxd2858.h"
#include "common/KxlDrvLibError.h"

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// The library's signal types as the tuner sees them. Types the tuner has no row of its own
// for are tuned as DVB-T; 255 is "none yet".
typedef uint32_t eSIGNAL_TYPE;
enum {
    eSIGNAL_TYPE_DVBT = 0,
    eSIGNAL_TYPE_DVBC = 1,
    eSIGNAL_TYPE_ANALOG = 3,
    eSIGNAL_TYPE_J83B = 6,
    eSIGNAL_TYPE_SAT_SYSTEM31 = 7,  // the one satellite type tuned as tuner system 31
    eSIGNAL_TYPE_DVBT2 = 9,
    eSIGNAL_TYPE_ISDBT = 10,
    eSIGNAL_TYPE_DVBC2 = 12,
    eSIGNAL_TYPE_NONE = 255,
};
// Colour system and analogue standard: read only for eSIGNAL_TYPE_ANALOG.
typedef uint32_t eCOLOR_SYSTEM;
typedef uint32_t eANL_STD;

// The tuner's adjustment ("plug and play") record; DrvCXD2858_init writes the defaults.
typedef struct st_t_plugplag_CXD2858 {
    uint16_t poweron_delay_ms;  // after a power-on handler that is not done at once
    uint32_t xtal_hz;
    uint32_t tuner_flag;        // non-zero: the driver programs the tuner's oscillator
    uint32_t ter_max_hz;
    uint32_t ter_min_hz;
    uint32_t sat_max_hz;
    uint32_t sat_min_hz;
} st_t_plugplag_CXD2858;

enum {
    DRVCXD2858_DEFAULT_POWERON_DELAY_MS = 500,
    DRVCXD2858_DEFAULT_XTAL_HZ = 24000000,
    DRVCXD2858_DEFAULT_TER_MAX_HZ = 880000000,
    DRVCXD2858_DEFAULT_TER_MIN_HZ = 42000000,
    DRVCXD2858_DEFAULT_SAT_MIN_HZ = 950000000,
};
#define DRVCXD2858_DEFAULT_SAT_MAX_HZ 2150000000u

// Host functions. A power handler sets *done to 0 when the tuner needs the adjustment's
// power-on delay before it can be used. A gate function opens or closes the path to the tuner.
typedef KxlDrvLibError* (*DrvCXD2858_power_handler_t)(KxlDrvLibError* err, uint8_t* done);
typedef KxlDrvLibError* (*DrvCXD2858_gate_t)(KxlDrvLibError* err, uint32_t argument);

enum { DRVCXD2858_MAGIC = 0xA3CD2858u };

typedef struct st_t_data_CXD2858 {
    uint32_t magic;        // DRVCXD2858_MAGIC in states made by DrvCXD2858_m_open
    uint8_t powered;       // the tuner has been created and initialised since the last init
    uint8_t i2c_address;   // 8-bit form
    eSIGNAL_TYPE ter_signal_type;
    eCOLOR_SYSTEM color_system;
    eANL_STD anl_std;
    eSIGNAL_TYPE sat_signal_type;
    uint32_t sat_symbol_rate;   // Bd
    uint32_t ter_frequency;     // Hz, last tuned
    uint32_t ter_bandwidth;     // Hz, of the tuner's channel filter
    uint32_t ter_if_frequency;  // Hz
    uint32_t sat_frequency;     // Hz, last tuned
    kit_cxd2858_t tuner;
    kit_i2c_t i2c;
    t_DrvCXD2858_i2c_context i2c_context;  // its handle is the bus handle of the init
    st_t_plugplag_CXD2858* pnp;
    DrvCXD2858_power_handler_t poweron_handler;
    DrvCXD2858_power_handler_t poweroff_handler;
    DrvCXD2858_gate_t gate_open;
    DrvCXD2858_gate_t gate_close;
    uint32_t gate_argument;
} st_t_data_CXD2858;

#define DRVCXD2858_TEXT_NULL_STATE "CXD2858: NULL pointer"
#define DRVCXD2858_TEXT_NULL_HANDLE "CXD2858: NULL Pointer"
#define DRVCXD2858_TEXT_NULL_PNP "CXD2858: NULL plug and play pointer"
#define DRVCXD2858_TEXT_HEAP "CXD2858: Heap error"
#define DRVCXD2858_TEXT_HANDLE "CXD2858: Invalid handler"
#define DRVCXD2858_TEXT_XTAL "CXD2856 BAD Cristal frequence"
#define DRVCXD2858_TEXT_OUT_OF_BAND "CXD2858: frequency outside the terrestrial band"

// Every operation keeps the first error it meets in err and returns err.

// Writes the adjustment defaults into the state's adjustment record, stores the handlers,
// the address and the bus handle, sets the state's defaults, binds the tuner's I2C table and
// forgets any earlier power-on. The static form uses the static adjustment record; an m_
// state needs one (DrvCXD2858_m_open gives it one).
KxlDrvLibError* DrvCXD2858_init(KxlDrvLibError* err, DrvCXD2858_power_handler_t poweron,
                                DrvCXD2858_power_handler_t poweroff, DrvCXD2858_gate_t open,
                                DrvCXD2858_gate_t close, uint32_t gateArgument, uint8_t i2cAddress,
                                uint32_t busHandle);
KxlDrvLibError* DrvCXD2858_m_init(KxlDrvLibError* err, DrvCXD2858_power_handler_t poweron,
                                  DrvCXD2858_power_handler_t poweroff, DrvCXD2858_gate_t open,
                                  DrvCXD2858_gate_t close, uint32_t gateArgument, uint8_t i2cAddress,
                                  uint32_t busHandle, st_t_data_CXD2858* state);
// A state and its adjustment record on the library's heap, initialised as above.
KxlDrvLibError* DrvCXD2858_m_open(KxlDrvLibError* err, DrvCXD2858_power_handler_t poweron,
                                  DrvCXD2858_power_handler_t poweroff, DrvCXD2858_gate_t open,
                                  DrvCXD2858_gate_t close, uint32_t gateArgument, uint8_t i2cAddress,
                                  uint32_t busHandle, st_t_data_CXD2858** handle);
KxlDrvLibError* DrvCXD2858_m_close(KxlDrvLibError* err, st_t_data_CXD2858** handle);

// Creates and initialises the tuner unless that was done since the init; a power-on handler
// runs first. An unknown crystal frequency still brings the tuner up on the 24 MHz code, and
// reports code 2.
KxlDrvLibError* DrvCXD2858_poweron(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2858_m_poweron(KxlDrvLibError* err, st_t_data_CXD2858* state);
// Puts the tuner to sleep (powering it on first if needed), then runs the power-off handler.
KxlDrvLibError* DrvCXD2858_poweroff(KxlDrvLibError* err);
KxlDrvLibError* DrvCXD2858_m_poweroff(KxlDrvLibError* err, st_t_data_CXD2858* state);

// Terrestrial and cable tune. A frequency outside the terrestrial band is tuned at the band's
// edge and reported as code 13 (range), so that nobody takes the reading for the frequency
// asked for. An analogue channel, given by its centre, is tuned at its vision carrier 1.25 MHz
// above the lower edge; the stored frequency is the centre again.
KxlDrvLibError* DrvCXD2858_write_ter_cfg(KxlDrvLibError* err, eSIGNAL_TYPE type, uint32_t bandwidthHz,
                                         eCOLOR_SYSTEM colour, eANL_STD standard, uint32_t frequencyHz);
KxlDrvLibError* DrvCXD2858_m_write_ter_cfg(KxlDrvLibError* err, eSIGNAL_TYPE type, uint32_t bandwidthHz,
                                           eCOLOR_SYSTEM colour, eANL_STD standard, uint32_t frequencyHz,
                                           st_t_data_CXD2858* state);
// The stored type, bandwidth, colour system and standard at a new frequency.
KxlDrvLibError* DrvCXD2858_write_ter_frequency(KxlDrvLibError* err, uint32_t frequencyHz);
KxlDrvLibError* DrvCXD2858_m_write_ter_frequency(KxlDrvLibError* err, uint32_t frequencyHz,
                                                 st_t_data_CXD2858* state);
// Satellite tune, the frequency kept inside the satellite band.
KxlDrvLibError* DrvCXD2858_write_sat_cfg(KxlDrvLibError* err, eSIGNAL_TYPE type, uint32_t symbolRateBd,
                                         uint32_t frequencyHz);
KxlDrvLibError* DrvCXD2858_m_write_sat_cfg(KxlDrvLibError* err, eSIGNAL_TYPE type, uint32_t symbolRateBd,
                                           uint32_t frequencyHz, st_t_data_CXD2858* state);
KxlDrvLibError* DrvCXD2858_write_sat_frequency(KxlDrvLibError* err, uint32_t frequencyHz);
KxlDrvLibError* DrvCXD2858_m_write_sat_frequency(KxlDrvLibError* err, uint32_t frequencyHz,
                                                 st_t_data_CXD2858* state);

// What a terrestrial signal type and bandwidth become on the tuner.
typedef struct t_DrvCXD2858_ter_signal {
    uint32_t system;        // the tuner's system id
    uint32_t if_hz;
    uint32_t bandwidth_hz;  // of the channel filter the system selects
} t_DrvCXD2858_ter_signal;
t_DrvCXD2858_ter_signal DrvCXD2858_translate_ter_signal(eSIGNAL_TYPE type, uint32_t bandwidthHz,
                                                        eCOLOR_SYSTEM colour, eANL_STD standard);

// Plain values of the state (a null state reads 0 and false).
uint32_t DrvCXD2858_get_ter_frequency(void);
uint32_t DrvCXD2858_m_get_ter_frequency(const st_t_data_CXD2858* state);
uint32_t DrvCXD2858_get_sat_frequency(void);
uint32_t DrvCXD2858_m_get_sat_frequency(const st_t_data_CXD2858* state);
uint32_t DrvCXD2858_get_ter_if_frequency(void);
uint32_t DrvCXD2858_m_get_ter_if_frequency(const st_t_data_CXD2858* state);
uint32_t DrvCXD2858_get_ter_bw(void);
uint32_t DrvCXD2858_m_get_ter_bw(const st_t_data_CXD2858* state);
uint32_t DrvCXD2858_get_ter_closest_bw(eSIGNAL_TYPE type, uint32_t bandwidthHz, eCOLOR_SYSTEM colour,
                                       eANL_STD standard);
void DrvCXD2858_get_ter_maxmin_frequency(uint32_t* maxHz, uint32_t* minHz);
void DrvCXD2858_m_get_ter_maxmin_frequency(uint32_t* maxHz, uint32_t* minHz, const st_t_data_CXD2858* state);
void DrvCXD2858_get_sat_maxmin_frequency(uint32_t* maxHz, uint32_t* minHz);
void DrvCXD2858_m_get_sat_maxmin_frequency(uint32_t* maxHz, uint32_t* minHz, const st_t_data_CXD2858* state);
uint8_t DrvCXD2858_is_ter_frequency_in_range(uint32_t hz);
uint8_t DrvCXD2858_m_is_ter_frequency_in_range(uint32_t hz, const st_t_data_CXD2858* state);
uint8_t DrvCXD2858_is_sat_frequency_in_range(uint32_t hz);
uint8_t DrvCXD2858_m_is_sat_frequency_in_range(uint32_t hz, const st_t_data_CXD2858* state);

// The static state, for the host callbacks and for tests that look inside.
st_t_data_CXD2858* DrvCXD2858_state(void);

#ifdef __cplusplus
}
#endif

// The result stores of the DOCSIS 3.0, VoIP and IPTV tests: fixed module-wide records
// filled from the modem's replies and turned into the maps the engine emits, with
// their reset values and the get and set functions the tests use.
#pragma once

#include "common/sharedValues.h"

#include <QString>

constexpr double UNMEASURED_DOUBLE = 14680064.0;

constexpr int PHY_CHANNELS = 8;
constexpr int UPS_CHANNELS = 4;
constexpr int UPS31_CHANNELS = 8;
constexpr int CANALS_ACQUIRITS = 100;
constexpr int REGISTRE30_CHANNELS = 8;
constexpr int GRUP_DOCSIS_CHANNELS = 16;
constexpr int LOGGER_GROUP_CHANNELS = 8;
constexpr int TRACE_NODES = 30;
constexpr int MODEM_TEXT_LENGTH = 100;

// Modulation codes of the stores (down and up).
enum ModemModulation {
    MODEM_MOD_16QAM = 0,
    MODEM_MOD_32QAM = 1,
    MODEM_MOD_64QAM = 2,
    MODEM_MOD_128QAM = 3,
    MODEM_MOD_256QAM = 4,
    MODEM_MOD_QPSK = 5,
    MODEM_MOD_32QAM_UP = 6,
    MODEM_MOD_8QAM = 7,
};

// One downstream channel of a 3.0 bonding group.
struct PhyChannel {
    int frequency;          // Hz
    int modulation;         // QAM order
    int annex;              // 0 A, 1 B, 2 C
    int mse;                // 10 x MSE - 35
    int energyBackoff;      // 10 x backoff + 5
    double preBer;
    int preBerKind;         // 3 cleared, 0 read, 2 bound (no error seen)
    double postBer;
    int postBerKind;
    double carrierOffset;
    int interleaverI;
    int interleaverJ;
    unsigned char qamLock;  // 1 = "YES"
    unsigned char fecLock;
    unsigned char mpegLock;
    int power;              // 10 x reported power
    int preBerBound;        // 1 when the reading was 0 and the bound was stored
    int postBerBound;
    int symbolRate;         // ksymbol/s
};

struct UpsChannel {
    int frequency;  // Hz
    int modulation; // ModemModulation
    int symbolRate; // ksymbol/s
    int power;      // 10 x reported power - 10
    int bandwidth;  // Hz
    int uci;        // upstream channel id
};

struct Ups31Channel {
    QString fields[5];
};

struct CanalAcquirit {
    unsigned char acquired;
    int canal;
    int canalitzacio;
    int power;
    int mer;
    int modulacio;
    int symbolRate;
    int system;
    char uci[40];
};

struct NodeTrace {
    char address[20];
    int latency;
    int jitter;
    int lost;
};

// Downstream store.
PhyChannel* GetPhyPointer();
void InicialitzarMesuresDownstream();
int InicialitzacionsUnlockedOnChannel();
int GetParametreIntDownstream(int code, int i);

// Downstream last values.
int GetModemMeasuresPower_Down();
void SetModemMeasuresPower_Down(int power);
int GetModemMeasuresEsNo_Down();
void SetModemMeasuresEsNo_Down(int esno);
int GetModemMeasuresSymbolRate_Down();
void SetModemMeasuresSymbolRate_Down(int sr);
int GetModemMeasuresModulation_Down();
void SetModemMeasuresModulation_Down(int modulation);
int DecodeModDown(int order);

// Logger values of the last downstream reading.
int GetModemMeasuresDocsisVersion();
void SetModemMeasuresDocsisVersion(int version);
int GetModemMeasuresDocsisType();
void SetModemMeasuresDocsisType(int type);
float GetModemMeasuresPreBer();
void SetModemMeasuresPreBer(float ber);
float GetModemMeasuresPostBer();
void SetModemMeasuresPostBer(float ber);
int GetModemMeasuresInterleaver_i();
void SetModemMeasuresInterleaver_i(int i);
int GetModemMeasuresInterleaver_j();
void SetModemMeasuresInterleaver_j(int j);
int GetModemMeasuresOffset();
void SetModemMeasuresOffset(int offset);
int GetModemMeasuresSR();
void SetModemMeasuresSR(int sr);
int GetModemMeasuresPower_group(int i);
void SetModemMeasuresPower_group(int i, int power);
int GetModemMeasuresChannel_group(int i);
void SetModemMeasuresChannel_group(int i, int channel);
int GetModemMeasuresFrequency_group(int i);
void SetModemMeasuresFrequency_group(int i, int frequency);
void InitValorsModemLogger();

// Upstream store and last values.
UpsChannel* GetUpsPointer();
void InicialitzarMesuresUpstream();
Ups31Channel* GetUps31Pointer();
int GetUpstreamBandwidth(int symbolRate);
int GetModemMeasuresFrequency_Up();
void SetModemMeasuresFrequency_Up(int frequency);
int GetModemMeasuresPower_Up();
void SetModemMeasuresPower_Up(int power);
int GetModemMeasuresAtt_Up();
void SetModemMeasuresAtt_Up(int att);
int GetModemMeasuresSymbolRate_Up();
void SetModemMeasuresSymbolRate_Up(int sr);
int GetModemMeasuresBandwidth_Up();
void SetModemMeasuresBandwidth_Up(int bandwidth);
int GetModemMeasuresModulation_Up();
void SetModemMeasuresModulation_Up(int modulation);
const char* GetModulation_UpStr();
int DecodeModUp(const char* text);
int GetBitsSymbol(int code);
int getBitsSymbol(int code);

// Upstream generator 3.0.
int GetPowerUpstream();
int SetPowerUpstream(int power);
int GetModulationUpstream();
void SetModulationUpstream(int modulation);
int GetSymbolRateUpstream();
void SetSymbolRateUpstream_index(int index);
int GetModemRcvFrequencyUp();
int SetModemRcvFrequencyUp(int frequency);
int GetModemRcvPowerUp();
void SetModemRcvPowerUp(int power);
int GetModemRcvSymbolRateUp();
void SetModemRcvSymbolRateUp(int sr);
int GetModemRcvModulationUp();
void SetModemRcvModulationUp(int modulation);
void InicialitzaUpstream();
// The upstream level correction; kind 0 is the generator's (3 dB), any other 6 dB.
int GetCorreccioUpstream(int kind);
int CalculaGuany(int power);

// Channels acquired (index 0..99; out of range reads 0 and writes nothing).
unsigned char GetCanalsAcquiritsAcquired(int i);
void SetCanalsAcquiritsAcquired(int i, unsigned char acquired);
int GetCanalsAcquiritsCanal(int i);
void SetCanalsAcquiritsCanal(int i, int canal);
void SetCanalsAcquiritsCanalitzacio(int i, int plan);
int GetCanalsAcquiritsPower(int i);
void SetCanalsAcquiritsPower(int i, int power);
int GetCanalsAcquiritsMer(int i);
void SetCanalsAcquiritsMer(int i, int mer);
int GetCanalsAcquiritsModulacio(int i);
void SetCanalsAcquiritsModulacio(int i, int modulation);
int GetCanalsAcquiritsSymbolRate(int i);
void SetCanalsAcquiritsSymbolRate(int i, int sr);
int GetCanalsAcquiritsSystem(int i);
void SetCanalsAcquiritsSystem(int i, int system);
char* GetCanalsAcquiritsUCI(int i);

// Registration 3.0 (index checked; out of range reads UNMEASURED and writes nothing).
int GetMesuresRegistre30(int i);
void SetMesuresRegistre30(int i, int value);
int GetChannelRegistre30(int i);
void SetChannelRegistre30(int i, int channel);
int GetGrupDocsisRegistre30();
void SetGrupDocsisRegistre30(int group);
void InicialitzaMesuresRegistre30();
int GetCanalGrupDocsis(int i);
void SetCanalGrupDocsis(int i, int channel);
int GetGrupDocsisActiu();
void SetGrupDocsisActiu(int group);
int GetQuantitatPortadoresGrupDocsisActiu();

// IP and identity. Texts are copied bounded, without trailing returns and blanks.
int GetModemMeasuresIp_CableModem();
void SetModemMeasuresIp_CableModem(const char* text);
int GetModemMeasuresIp_Gateway();
void SetModemMeasuresIp_Gateway(const char* text);
int GetModemMeasuresIp_Netmask();
void SetModemMeasuresIp_Netmask(const char* text);
int GetModemMeasuresIp_STod();
void SetModemMeasuresIp_STod(const char* text);
int GetModemMeasuresIp_TFTP();
void SetModemMeasuresIp_TFTP(const char* text);
int GetModemMeasuresIp_DHCP();
void SetModemMeasuresIp_DHCP(const char* text);
const char* GetModemMeasuresIp_CableModem_Mac();
void SetModemMeasuresIp_CableModem_Mac(const char* text);
const char* GetModemMeasures_CableModem_FW();
void SetModemMeasures_CableModem_FW(const char* text);
const char* GetModemMeasuresIpConfigFile();
void SetModemMeasuresIpConfigFile(const char* text);
void InicialitzarMesuresIp();
char* GetAddressCMAC();
const char* GetCadenaCMACTest();
void SetCadenaCMACTest(const char* text);
bool GetMACDifferent();
void SetMACDifferent(bool different);
char* GetModemLoggerText();
const char* GetCadenaVersioCableModem();
void SetCadenaVersioCableModem(const char* text);

// Ping and VoIP.
int GetModemMeasuresPingRebuts();
void SetModemMeasuresPingRebuts(int count);
int GetModemMeasuresPingPLR();
void SetModemMeasuresPingPLR(int plr);
int GetModemMeasuresPingTempsMinim();
void SetModemMeasuresPingTempsMinim(int ms);
int GetModemMeasuresPingTempsMaxim();
void SetModemMeasuresPingTempsMaxim(int ms);
int GetModemMeasuresPingTempsMig();
void SetModemMeasuresPingTempsMig(int ms);
void InicialitzarMesuresPing();
int GetVoIPPLR();
void SetVoIPPLR(int plr);
int GetVoIPMOS();
void SetVoIPMOS(int mos);
void SetVoIPRvalue(int r);
int GetVoIPRValue();
void InicialitzarMesuresVoIP();
int GetPingsRebuts();
void SetPingsRebuts(int count);
void setTraceIPAddress(int address);
int getTraceIPAddress();

// Traceroute hops.
NodeTrace* GetNodesIPTV();
NodeTrace* GetNodesTrace();
void InicialitzarMesuresIPTV();
int GetParamNodeIPTV(int code);
int codec_to_number(const QString& name);

// Level bars and constellation points.
unsigned char* GetFinestraCanals();
int GetLevelBarra(int i);
void InitBarresDownLevel();
void ResetPuntsConstelacio();
unsigned char* GetPuntsI();
unsigned char* GetPuntsQ();

// Other scalars, each with a plain Get and Set.
#define MODEM_STORE_SCALARS(X) \
    X(int, ModemConnection) \
    X(int, ModemCommunication) \
    X(int, DemoduladorQAM) \
    X(int, Inicialitzat) \
    X(int, ModemMesuraMeter) \
    X(double, ModemMeasuresBER) \
    X(double, MeasurePostBER) \
    X(int, QuinCanalRanging) \
    X(int, CanalSearch) \
    X(int, CanalsMesurats) \
    X(int, DisplayVariable) \
    X(int, ModeSintonitzar) \
    X(int, TunnerFreqTest) \
    X(int, IFFreqTest) \
    X(int, GuanyRFTest) \
    X(int, GuanyIFTest) \
    X(int, AtenuadorTest) \
    X(int, ControlGuanyTest) \
    X(int, LevelTypeTest) \
    X(int, LevelMeasureTest) \
    X(int, Threshold) \
    X(int, PhyActual) \
    X(int, VelocitatModem) \
    X(int, DocsisMode)

#define MODEM_STORE_SCALAR_DECLARE(type, name) \
    type Get##name();                          \
    void Set##name(type value);
MODEM_STORE_SCALARS(MODEM_STORE_SCALAR_DECLARE)
#undef MODEM_STORE_SCALAR_DECLARE
CanalAcquirit* GetPtrLlistaCanals();

// Fixed answers.
int GetFrequenciaFinestraZoom();
int GetCorrecioFrequenciaFinestraZoom();
int GetTipusFrequenciaFinestraZoom();
int GetNCanalsActius();
int GetPowerCMTS();
int GetModemNombrePings();
int GetModeAddressCMAC();
int GetFrequenciaTest();
int GetBandaTest();
int GetEstat();
int GetPuntsIPTV();
int GetPuntsTrace();
int GetProcesStatus();

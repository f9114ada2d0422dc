#include "modemStores.h"

#include "modemExchange.h"

#include <cstring>

namespace {

constexpr int kFinestraCanals = 5400;
constexpr int kLevelBars = 16;
constexpr int kPoints = 256;
constexpr int kLoggerText = 30;
constexpr int kShortText = 50;
constexpr int kModulationText = 10;
constexpr int kNoGroupChannel = 182;
constexpr int kGroupListEnd = 255;

struct ModemStores {
    PhyChannel phy[PHY_CHANNELS];
    UpsChannel ups[UPS_CHANNELS];
    Ups31Channel ups31[UPS31_CHANNELS];
    CanalAcquirit canals[CANALS_ACQUIRITS];

    int powerDown = 0, esNoDown = 0, symbolRateDown = 0, modulationDown = 0;

    int docsisVersion = 0, docsisType = 0;
    float preBer = 0, postBer = 0;
    int interleaverI = 0, interleaverJ = 0, offset = 0, loggerSR = 0;
    int powerGroup[LOGGER_GROUP_CHANNELS] = {};
    int channelGroup[LOGGER_GROUP_CHANNELS] = {};
    int frequencyGroup[LOGGER_GROUP_CHANNELS] = {};

    int frequencyUp = 0, powerUp = 0, attUp = 0, symbolRateUp = 0, bandwidthUp = 0, modulationUp = 0;
    char modulationUpText[kModulationText + 1] = {};

    int powerUpstream = 110, modulationUpstream = 2, symbolRateUpstream = 0;
    int rcvFrequencyUp = 40000000, rcvPowerUp = 0, rcvSymbolRateUp = 0, rcvModulationUp = 2;

    int mesuresRegistre30[REGISTRE30_CHANNELS] = {};
    int channelRegistre30[REGISTRE30_CHANNELS] = {};
    int grupDocsisRegistre30 = 0;
    int canalGrupDocsis[GRUP_DOCSIS_CHANNELS] = {};
    int grupDocsisActiu = 0;

    int ipCableModem = 0, ipGateway = 0, ipNetmask = 0, ipSTod = 0, ipTFTP = 0, ipDHCP = 0;
    char mac[MODEM_TEXT_LENGTH] = {};
    char firmware[MODEM_TEXT_LENGTH] = {};
    char configFile[MODEM_TEXT_LENGTH] = {};
    char addressCMAC[kShortText] = {};
    char cadenaCMACTest[kShortText] = {};
    bool macDifferent = false;
    char loggerText[kLoggerText] = {};
    char version[MODEM_TEXT_LENGTH] = {};

    int pingRebuts = 0, pingPLR = 0, pingMinim = 0, pingMaxim = 0, pingMig = 0;
    int voipPLR = 0, voipMOS = 0, voipRvalue = 0, pingsRebuts = 0, traceAddress = 0;
    NodeTrace nodeIPTV[TRACE_NODES] = {};
    NodeTrace nodeTrace[TRACE_NODES] = {};

    unsigned char finestraCanals[kFinestraCanals] = {};
    int levels[kLevelBars] = {};
    unsigned char puntsI[kPoints] = {};
    unsigned char puntsQ[kPoints] = {};

    ModemStores()
    {
        std::memset(phy, 0, sizeof phy);
        std::memset(ups, 0, sizeof ups);
        std::memset(canals, 0, sizeof canals);
    }
};

ModemStores& stores()
{
    static ModemStores instance;
    return instance;
}

bool inRange(int i, int size) { return i >= 0 && i < size; }

// A text from the modem into a fixed store: bounded, NUL-terminated, and without the
// trailing return and blanks of a CRLF line.
void copyText(char* to, size_t size, const char* from)
{
    size_t n = 0;
    if (from) {
        while (from[n] != '\0' && n < size - 1)
            ++n;
        std::memcpy(to, from, n);
    }
    while (n > 0 && (to[n - 1] == '\r' || to[n - 1] == '\n' || to[n - 1] == ' ' || to[n - 1] == '\t'))
        --n;
    to[n] = '\0';
}

template <size_t N>
void copyText(char (&to)[N], const char* from)
{
    copyText(to, N, from);
}

int withBit23(int value) { return value | 0x800000; }

} // namespace

// Downstream store.

PhyChannel* GetPhyPointer() { return stores().phy; }

void InicialitzarMesuresDownstream()
{
    ModemStores& s = stores();
    std::memset(s.phy, 0, sizeof s.phy);
    for (PhyChannel& p : s.phy) {
        p.preBerKind = 3;
        p.postBerKind = 3;
    }
    s.powerDown = UNMEASURED;
    SetDocsisMode(0);
}

int InicialitzacionsUnlockedOnChannel()
{
    SetQuinCanalRanging(0);
    InicialitzarMesuresPing();
    InicialitzarMesuresDownstream();
    InicialitzarMesuresUpstream();
    InicialitzarMesuresIp();
    return 0;
}

int GetParametreIntDownstream(int code, int i)
{
    if (!inRange(i, PHY_CHANNELS))
        return UNMEASURED;
    const PhyChannel& p = stores().phy[i];
    if (p.frequency == 0)
        return UNMEASURED;
    switch (code) {
    case 0x2001302: return p.frequency;
    case 0x2001305: return withBit23(-p.energyBackoff);
    case 0x2001306: return p.annex;
    case 0x2001307: return p.modulation;
    case 0x2001308: return withBit23(-p.mse);
    case 0x2001309: return withBit23(p.power);
    case 0x200130A: return p.interleaverI;
    case 0x200130B: return p.interleaverJ;
    case 0x200130C: return static_cast<int>(p.carrierOffset);
    default: return UNMEASURED;
    }
}

// Downstream last values.

int GetModemMeasuresPower_Down() { return stores().powerDown; }
void SetModemMeasuresPower_Down(int power) { stores().powerDown = power; }
int GetModemMeasuresEsNo_Down() { return stores().esNoDown; }
void SetModemMeasuresEsNo_Down(int esno) { stores().esNoDown = esno; }
int GetModemMeasuresSymbolRate_Down() { return stores().symbolRateDown; }
void SetModemMeasuresSymbolRate_Down(int sr) { stores().symbolRateDown = sr; }
int GetModemMeasuresModulation_Down() { return stores().modulationDown; }
void SetModemMeasuresModulation_Down(int modulation) { stores().modulationDown = modulation; }

int DecodeModDown(int order)
{
    int code;
    switch (order) {
    case 16: code = MODEM_MOD_16QAM; break;
    case 32: code = MODEM_MOD_32QAM; break;
    case 64: code = MODEM_MOD_64QAM; break;
    case 128: code = MODEM_MOD_128QAM; break;
    case 256: code = MODEM_MOD_256QAM; break;
    default: return -1;
    }
    ModemStores& s = stores();
    s.modulationDown = code;
    s.symbolRateDown = order == 64 ? 5057 : order == 256 ? 5361 : UNMEASURED;
    return code;
}

// Logger values.

int GetModemMeasuresDocsisVersion() { return stores().docsisVersion; }
void SetModemMeasuresDocsisVersion(int version) { stores().docsisVersion = version; }
int GetModemMeasuresDocsisType() { return stores().docsisType; }
void SetModemMeasuresDocsisType(int type) { stores().docsisType = type; }
float GetModemMeasuresPreBer() { return stores().preBer; }
void SetModemMeasuresPreBer(float ber) { stores().preBer = ber; }
float GetModemMeasuresPostBer() { return stores().postBer; }
void SetModemMeasuresPostBer(float ber) { stores().postBer = ber; }
int GetModemMeasuresInterleaver_i() { return stores().interleaverI; }
void SetModemMeasuresInterleaver_i(int i) { stores().interleaverI = i; }
int GetModemMeasuresInterleaver_j() { return stores().interleaverJ; }
void SetModemMeasuresInterleaver_j(int j) { stores().interleaverJ = j; }
int GetModemMeasuresOffset() { return stores().offset; }
void SetModemMeasuresOffset(int offset) { stores().offset = offset; }
int GetModemMeasuresSR() { return stores().loggerSR; }
void SetModemMeasuresSR(int sr) { stores().loggerSR = sr; }

int GetModemMeasuresPower_group(int i)
{
    return inRange(i, LOGGER_GROUP_CHANNELS) ? stores().powerGroup[i] : UNMEASURED;
}
void SetModemMeasuresPower_group(int i, int power)
{
    if (inRange(i, LOGGER_GROUP_CHANNELS))
        stores().powerGroup[i] = power;
}
int GetModemMeasuresChannel_group(int i)
{
    return inRange(i, LOGGER_GROUP_CHANNELS) ? stores().channelGroup[i] : UNMEASURED;
}
void SetModemMeasuresChannel_group(int i, int channel)
{
    if (inRange(i, LOGGER_GROUP_CHANNELS))
        stores().channelGroup[i] = channel;
}
int GetModemMeasuresFrequency_group(int i)
{
    return inRange(i, LOGGER_GROUP_CHANNELS) ? stores().frequencyGroup[i] : UNMEASURED;
}
void SetModemMeasuresFrequency_group(int i, int frequency)
{
    if (inRange(i, LOGGER_GROUP_CHANNELS))
        stores().frequencyGroup[i] = frequency;
}

void InitValorsModemLogger()
{
    ModemStores& s = stores();
    s.docsisVersion = UNMEASURED;
    s.docsisType = UNMEASURED;
    s.preBer = static_cast<float>(UNMEASURED_DOUBLE);
    s.postBer = static_cast<float>(UNMEASURED_DOUBLE);
    s.interleaverI = UNMEASURED;
    s.interleaverJ = UNMEASURED;
    s.offset = UNMEASURED;
    s.loggerSR = UNMEASURED;
    for (int i = 0; i < LOGGER_GROUP_CHANNELS; ++i) {
        s.powerGroup[i] = UNMEASURED;
        s.frequencyGroup[i] = UNMEASURED;
        s.channelGroup[i] = kNoGroupChannel;
    }
}

// Upstream store and last values.

UpsChannel* GetUpsPointer() { return stores().ups; }

void InicialitzarMesuresUpstream()
{
    for (UpsChannel& u : stores().ups)
        u = UpsChannel{UNMEASURED, UNMEASURED, 0, UNMEASURED, UNMEASURED, UNMEASURED};
}

Ups31Channel* GetUps31Pointer() { return stores().ups31; }

int GetUpstreamBandwidth(int symbolRate)
{
    const int bandwidth = 1250 * symbolRate;
    return bandwidth < 157500 ? 157500 : bandwidth;
}

int GetModemMeasuresFrequency_Up() { return stores().frequencyUp; }
void SetModemMeasuresFrequency_Up(int frequency) { stores().frequencyUp = frequency; }
int GetModemMeasuresPower_Up() { return stores().powerUp; }
void SetModemMeasuresPower_Up(int power) { stores().powerUp = power; }
int GetModemMeasuresAtt_Up() { return stores().attUp; }
void SetModemMeasuresAtt_Up(int att) { stores().attUp = att; }
int GetModemMeasuresSymbolRate_Up() { return stores().symbolRateUp; }
void SetModemMeasuresSymbolRate_Up(int sr) { stores().symbolRateUp = sr; }
int GetModemMeasuresBandwidth_Up() { return stores().bandwidthUp; }
void SetModemMeasuresBandwidth_Up(int bandwidth) { stores().bandwidthUp = bandwidth; }
int GetModemMeasuresModulation_Up() { return stores().modulationUp; }
void SetModemMeasuresModulation_Up(int modulation) { stores().modulationUp = modulation; }
const char* GetModulation_UpStr() { return stores().modulationUpText; }

int DecodeModUp(const char* text)
{
    const QString word = QString::fromLatin1(text ? text : "").trimmed();
    if (word == "QPSK")
        return MODEM_MOD_QPSK;
    bool number = false;
    switch (word.toInt(&number)) {
    case 8: return MODEM_MOD_8QAM;
    case 16: return MODEM_MOD_16QAM;
    case 32: return MODEM_MOD_32QAM_UP;
    case 64: return MODEM_MOD_64QAM;
    case 128: return MODEM_MOD_128QAM;
    default: break;
    }
    ModemStores& s = stores();
    std::strncpy(s.modulationUpText, text ? text : "", kModulationText);
    s.modulationUpText[kModulationText] = '\0';
    return -1;
}

int GetBitsSymbol(int code)
{
    static const int bits[] = {4, 5, 6, 7, 8, 2, 6};
    return inRange(code, 7) ? bits[code] : 8;
}

int getBitsSymbol(int code)
{
    static const int bits[] = {4, 5, 6, 7, 8, 2, 5};
    return inRange(code, 7) ? bits[code] : 2;
}

// Upstream generator.

int GetPowerUpstream() { return stores().powerUpstream; }

int SetPowerUpstream(int power)
{
    const int correction = GetCorreccioUpstream(0);
    if (power < 60 - correction || power > 118 - correction)
        return -1;
    stores().powerUpstream = power;
    return 0;
}

int GetModulationUpstream() { return stores().modulationUpstream; }
void SetModulationUpstream(int modulation) { stores().modulationUpstream = modulation; }
int GetSymbolRateUpstream() { return stores().symbolRateUpstream; }

void SetSymbolRateUpstream_index(int index)
{
    if (index >= 0 && index < 6)
        stores().symbolRateUpstream = index;
}

int GetModemRcvFrequencyUp() { return stores().rcvFrequencyUp; }

int SetModemRcvFrequencyUp(int frequency)
{
    if (frequency < 5000000 || frequency > 85000000)
        return -1;
    stores().rcvFrequencyUp = frequency;
    return 0;
}

int GetModemRcvPowerUp() { return stores().rcvPowerUp; }
void SetModemRcvPowerUp(int power) { stores().rcvPowerUp = power; }
int GetModemRcvSymbolRateUp() { return stores().rcvSymbolRateUp; }
void SetModemRcvSymbolRateUp(int sr) { stores().rcvSymbolRateUp = sr; }
int GetModemRcvModulationUp() { return stores().rcvModulationUp; }
void SetModemRcvModulationUp(int modulation) { stores().rcvModulationUp = modulation; }

void InicialitzaUpstream()
{
    ModemStores& s = stores();
    s.powerUpstream = 110;
    s.modulationUpstream = 2;
    s.rcvFrequencyUp = 40000000;
    s.rcvModulationUp = 2;
}

int GetCorreccioUpstream(int kind) { return kind == 0 ? 3 : 6; }

int CalculaGuany(int power) { return 123 - power - GetCorreccioUpstream(0); }

// Channels acquired.

#define CANAL_FIELD(getter, setter, type, field, none)                          \
    type getter(int i) { return inRange(i, CANALS_ACQUIRITS) ? stores().canals[i].field : (none); } \
    void setter(int i, type value)                                              \
    {                                                                           \
        if (inRange(i, CANALS_ACQUIRITS))                                       \
            stores().canals[i].field = value;                                   \
    }
CANAL_FIELD(GetCanalsAcquiritsAcquired, SetCanalsAcquiritsAcquired, unsigned char, acquired, 0)
CANAL_FIELD(GetCanalsAcquiritsCanal, SetCanalsAcquiritsCanal, int, canal, 0)
CANAL_FIELD(GetCanalsAcquiritsPower, SetCanalsAcquiritsPower, int, power, 0)
CANAL_FIELD(GetCanalsAcquiritsMer, SetCanalsAcquiritsMer, int, mer, 0)
CANAL_FIELD(GetCanalsAcquiritsModulacio, SetCanalsAcquiritsModulacio, int, modulacio, 0)
CANAL_FIELD(GetCanalsAcquiritsSymbolRate, SetCanalsAcquiritsSymbolRate, int, symbolRate, 0)
CANAL_FIELD(GetCanalsAcquiritsSystem, SetCanalsAcquiritsSystem, int, system, 0)
#undef CANAL_FIELD

void SetCanalsAcquiritsCanalitzacio(int i, int plan)
{
    if (inRange(i, CANALS_ACQUIRITS))
        stores().canals[i].canalitzacio = plan;
}

char* GetCanalsAcquiritsUCI(int i) { return inRange(i, CANALS_ACQUIRITS) ? stores().canals[i].uci : nullptr; }

CanalAcquirit* GetPtrLlistaCanals() { return stores().canals; }

// Registration 3.0.

int GetMesuresRegistre30(int i) { return inRange(i, REGISTRE30_CHANNELS) ? stores().mesuresRegistre30[i] : UNMEASURED; }
void SetMesuresRegistre30(int i, int value)
{
    if (inRange(i, REGISTRE30_CHANNELS))
        stores().mesuresRegistre30[i] = value;
}
int GetChannelRegistre30(int i) { return inRange(i, REGISTRE30_CHANNELS) ? stores().channelRegistre30[i] : UNMEASURED; }
void SetChannelRegistre30(int i, int channel)
{
    if (inRange(i, REGISTRE30_CHANNELS))
        stores().channelRegistre30[i] = channel;
}
int GetGrupDocsisRegistre30() { return stores().grupDocsisRegistre30; }
void SetGrupDocsisRegistre30(int group) { stores().grupDocsisRegistre30 = group; }

void InicialitzaMesuresRegistre30()
{
    ModemStores& s = stores();
    s.grupDocsisRegistre30 = 0;
    InicialitzarMesuresDownstream();
    InicialitzarMesuresUpstream();
    for (int i = 0; i < REGISTRE30_CHANNELS; ++i) {
        s.mesuresRegistre30[i] = UNMEASURED;
        s.channelRegistre30[i] = UNMEASURED;
    }
}

int GetCanalGrupDocsis(int i) { return inRange(i, GRUP_DOCSIS_CHANNELS) ? stores().canalGrupDocsis[i] : kGroupListEnd; }
void SetCanalGrupDocsis(int i, int channel)
{
    if (inRange(i, GRUP_DOCSIS_CHANNELS))
        stores().canalGrupDocsis[i] = channel;
}
int GetGrupDocsisActiu() { return stores().grupDocsisActiu; }
void SetGrupDocsisActiu(int group) { stores().grupDocsisActiu = group; }

int GetQuantitatPortadoresGrupDocsisActiu()
{
    ModemStores& s = stores();
    if (s.grupDocsisActiu == 0)
        return 0;
    int n = 0;
    while (n < GRUP_DOCSIS_CHANNELS && s.canalGrupDocsis[n] != kGroupListEnd)
        ++n;
    return n;
}

// IP and identity.

int GetModemMeasuresIp_CableModem() { return stores().ipCableModem; }
void SetModemMeasuresIp_CableModem(const char* text) { stores().ipCableModem = static_cast<int>(IP2int(text)); }
int GetModemMeasuresIp_Gateway() { return stores().ipGateway; }
void SetModemMeasuresIp_Gateway(const char* text) { stores().ipGateway = static_cast<int>(IP2int(text)); }
int GetModemMeasuresIp_Netmask() { return stores().ipNetmask; }
void SetModemMeasuresIp_Netmask(const char* text) { stores().ipNetmask = static_cast<int>(IP2int(text)); }
int GetModemMeasuresIp_STod() { return stores().ipSTod; }
void SetModemMeasuresIp_STod(const char* text) { stores().ipSTod = static_cast<int>(IP2int(text)); }
int GetModemMeasuresIp_TFTP() { return stores().ipTFTP; }
void SetModemMeasuresIp_TFTP(const char* text) { stores().ipTFTP = static_cast<int>(IP2int(text)); }
int GetModemMeasuresIp_DHCP() { return stores().ipDHCP; }
void SetModemMeasuresIp_DHCP(const char* text) { stores().ipDHCP = static_cast<int>(IP2int(text)); }
const char* GetModemMeasuresIp_CableModem_Mac() { return stores().mac; }
void SetModemMeasuresIp_CableModem_Mac(const char* text) { copyText(stores().mac, text); }
const char* GetModemMeasures_CableModem_FW() { return stores().firmware; }
void SetModemMeasures_CableModem_FW(const char* text) { copyText(stores().firmware, text); }
const char* GetModemMeasuresIpConfigFile() { return stores().configFile; }
void SetModemMeasuresIpConfigFile(const char* text) { copyText(stores().configFile, text); }

void InicialitzarMesuresIp()
{
    ModemStores& s = stores();
    copyText(s.configFile, "---");
    s.ipCableModem = s.ipGateway = s.ipNetmask = s.ipSTod = s.ipTFTP = s.ipDHCP = 0;
}

char* GetAddressCMAC() { return stores().addressCMAC; }
const char* GetCadenaCMACTest() { return stores().cadenaCMACTest; }
void SetCadenaCMACTest(const char* text) { copyText(stores().cadenaCMACTest, text); }
bool GetMACDifferent() { return stores().macDifferent; }
void SetMACDifferent(bool different) { stores().macDifferent = different; }
char* GetModemLoggerText() { return stores().loggerText; }
const char* GetCadenaVersioCableModem() { return stores().version[0] ? stores().version : "-----"; }
void SetCadenaVersioCableModem(const char* text) { copyText(stores().version, text); }

// Ping and VoIP.

int GetModemMeasuresPingRebuts() { return stores().pingRebuts; }
void SetModemMeasuresPingRebuts(int count) { stores().pingRebuts = count; }
int GetModemMeasuresPingPLR() { return stores().pingPLR; }
void SetModemMeasuresPingPLR(int plr) { stores().pingPLR = plr; }
int GetModemMeasuresPingTempsMinim() { return stores().pingMinim; }
void SetModemMeasuresPingTempsMinim(int ms) { stores().pingMinim = ms; }
int GetModemMeasuresPingTempsMaxim() { return stores().pingMaxim; }
void SetModemMeasuresPingTempsMaxim(int ms) { stores().pingMaxim = ms; }
int GetModemMeasuresPingTempsMig() { return stores().pingMig; }
void SetModemMeasuresPingTempsMig(int ms) { stores().pingMig = ms; }

void InicialitzarMesuresPing()
{
    ModemStores& s = stores();
    s.pingRebuts = s.pingPLR = s.pingMinim = s.pingMaxim = s.pingMig = UNMEASURED;
}

int GetVoIPPLR() { return stores().voipPLR; }
void SetVoIPPLR(int plr) { stores().voipPLR = plr; }
int GetVoIPMOS() { return stores().voipMOS; }
void SetVoIPMOS(int mos) { stores().voipMOS = mos; }
void SetVoIPRvalue(int r) { stores().voipRvalue = r; }
int GetVoIPRValue() { return stores().voipRvalue; }

void InicialitzarMesuresVoIP()
{
    ModemStores& s = stores();
    s.voipPLR = s.voipMOS = s.voipRvalue = UNMEASURED;
}

int GetPingsRebuts() { return stores().pingsRebuts; }
void SetPingsRebuts(int count) { stores().pingsRebuts = count; }
void setTraceIPAddress(int address) { stores().traceAddress = address; }
int getTraceIPAddress() { return stores().traceAddress; }

// Traceroute hops.

NodeTrace* GetNodesIPTV() { return stores().nodeIPTV; }
NodeTrace* GetNodesTrace() { return stores().nodeTrace; }

void InicialitzarMesuresIPTV()
{
    ModemStores& s = stores();
    s.voipPLR = UNMEASURED;
    for (NodeTrace& n : s.nodeIPTV) {
        copyText(n.address, "---.---.---.---");
        n.latency = n.jitter = n.lost = UNMEASURED;
    }
}

int GetParamNodeIPTV(int code)
{
    const NodeTrace& first = stores().nodeIPTV[0];
    switch (code) {
    case 2020: return 1;
    case 2021: return static_cast<int>(IP2int(first.address));
    case 2022: return first.latency;
    case 2023: return first.jitter;
    case 2024:
        // A hop not measured stays so, rather than overflowing into a figure.
        if (first.lost == UNMEASURED)
            return UNMEASURED;
        return static_cast<int>(static_cast<long long>(first.lost) * 1000 / 3);
    default: return -1;
    }
}

int codec_to_number(const QString& name)
{
    if (name == "G711+PLC")
        return 0;
    if (name == "GSM EFR")
        return 4;
    if (name == "G729A+VAD")
        return 3;
    if (name == "G7231+VAD")
        return 2;
    return 1;
}

// Level bars and constellation points.

unsigned char* GetFinestraCanals() { return stores().finestraCanals; }
int GetLevelBarra(int i) { return inRange(i, kLevelBars) ? stores().levels[i] : 0; }
void InitBarresDownLevel() { std::memset(stores().levels, 0, sizeof stores().levels); }

void ResetPuntsConstelacio()
{
    std::memset(stores().puntsI, 0, kPoints);
    std::memset(stores().puntsQ, 0, kPoints);
}

unsigned char* GetPuntsI() { return stores().puntsI; }
unsigned char* GetPuntsQ() { return stores().puntsQ; }

// Other scalars.

namespace {
struct ModemScalars {
#define MODEM_STORE_SCALAR_FIELD(type, name) type name = 0;
    MODEM_STORE_SCALARS(MODEM_STORE_SCALAR_FIELD)
#undef MODEM_STORE_SCALAR_FIELD
};
ModemScalars& scalars()
{
    static ModemScalars instance;
    return instance;
}
} // namespace

#define MODEM_STORE_SCALAR_DEFINE(type, name)          \
    type Get##name() { return scalars().name; }        \
    void Set##name(type value) { scalars().name = value; }
MODEM_STORE_SCALARS(MODEM_STORE_SCALAR_DEFINE)
#undef MODEM_STORE_SCALAR_DEFINE

// Fixed answers.

int GetFrequenciaFinestraZoom() { return 0; }
int GetCorrecioFrequenciaFinestraZoom() { return 0; }
int GetTipusFrequenciaFinestraZoom() { return 0; }
int GetNCanalsActius() { return 0; }
int GetPowerCMTS() { return 0; }
int GetModemNombrePings() { return 0; }
int GetModeAddressCMAC() { return 0; }
int GetFrequenciaTest() { return 0; }
int GetBandaTest() { return 0; }
int GetEstat() { return 0; }
int GetPuntsIPTV() { return 0; }
int GetPuntsTrace() { return 0; }
int GetProcesStatus() { return 100; }

#include "modemDecoders30.h"

#include "modemExchange.h"
#include "modemStores.h"

#include "services/software.h"
#include "store/screensvariables.h"

#include <QDebug>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <optional>

namespace {

constexpr int kBusy = 100;
constexpr int kDone = 100;
constexpr int kFailed = 1000;
constexpr int kBerKindRead = 0;
constexpr int kBerKindBound = 2;
constexpr int kBerKindCleared = 3;
constexpr int kBit23 = 0x800000;
// Above this a bound is not believable for the optical module's links.
constexpr double kOclaroBoundLimit = 5.8e-9;
constexpr double kOclaroBound = 1e-9;
// Far beyond any MSE a modem reports (some -20 to -45 dB); a reading outside is no
// measurement, and its negation (the EsNo) could not be formed.
constexpr double kMseLimitDb = 100;

// The modem's numbers truncated toward zero; nothing for what an int cannot hold.
std::optional<int> truncated(double value)
{
    if (!std::isfinite(value) || value >= 2147483648.0 || value <= -2147483649.0)
        return std::nullopt;
    return static_cast<int>(value);
}

void store(int* field, std::optional<int> value)
{
    if (value)
        *field = *value;
}

void clearPhyRecord(PhyChannel& p)
{
    p.frequency = p.modulation = p.annex = p.mse = p.energyBackoff = UNMEASURED;
    p.interleaverI = p.interleaverJ = p.power = p.symbolRate = UNMEASURED;
    p.carrierOffset = UNMEASURED_DOUBLE;
    p.qamLock = p.fecLock = p.mpegLock = 0;
}

// Bits per symbol of a QAM order; 0 for an order that is not one.
int bitsOfQamOrder(int order)
{
    for (int bits = 1; bits <= 12; ++bits) {
        if (order == (1 << bits))
            return bits;
    }
    return 0;
}

struct BerReading {
    double value;
    int kind;
    int bound;
};

// A reading of 0 means no error was seen in the bits measured: the bound 1 / bits measured
// stands for it. Without a known symbol rate and modulation there is no bound to give.
BerReading berReading(double value, const PhyChannel& p)
{
    if (value != 0.0)
        return {value, kBerKindRead, 0};
    const int bits = bitsOfQamOrder(p.modulation);
    if (p.symbolRate <= 0 || p.symbolRate == UNMEASURED || bits == 0)
        return {UNMEASURED_DOUBLE, kBerKindCleared, 0};
    double bound = 1.0 / (static_cast<double>(p.symbolRate) * 3000.0 * bits);
    if (bound >= kOclaroBoundLimit && Software::getInstance()->getOclaro())
        bound = kOclaroBound;
    return {bound, kBerKindBound, 1};
}

// The values of a labelled line of the upstream report: the four columns after the
// label's ":". False when the label, the ":" or a column is missing.
bool upstreamLine(const char* text, const char* label, const char* format4, void* a, void* b, void* c, void* d)
{
    const char* at = std::strstr(text, label);
    const char* colon = at ? std::strchr(at, ':') : nullptr;
    return colon && std::sscanf(colon + 1, format4, a, b, c, d) == 4;
}

int upstreamModulation(const char* word, int previous)
{
    static const struct {
        const char* word;
        int code;
    } kWords[] = {
        {"ERR", UNMEASURED}, {"QPSK", MODEM_MOD_QPSK},     {"8QAM", MODEM_MOD_8QAM},     {"16QAM", MODEM_MOD_16QAM},
        {"32QAM", MODEM_MOD_32QAM}, {"64QAM", MODEM_MOD_64QAM}, {"128QAM", MODEM_MOD_128QAM}, {"256QAM", MODEM_MOD_256QAM},
    };
    for (const auto& w : kWords) {
        if (std::strcmp(word, w.word) == 0)
            return w.code;
    }
    return previous;
}

// The common query machine: the prompt, then the report command and its label, then
// the decoder (false when it found nothing).
struct ReportQuery {
    const char* command;
    const char* label;
    bool (*decode)();
    int step = 0;
    uint64_t startMs = 0;
};

int runReportQuery(ReportQuery& q, int run)
{
    if (run == 0) {
        q.step = 0;
        return kBusy;
    }
    switch (q.step) {
    case 0:
        SetCadenaAnalitzar1("mainMenu>");
        sendCommandCableModem("\r");
        q.startMs = modemTicksMs();
        q.step = 1;
        return kBusy;
    case 1:
        if (GetCondicio1()) {
            SetCadenaAnalitzar1(q.label);
            sendCommandCableModem(q.command);
            q.startMs = modemTicksMs();
            q.step = 2;
        } else if (modemTimeOver(q.startMs, 30000)) {
            q.step = kFailed;
        }
        return kBusy;
    case 2:
        if (GetCondicio1())
            q.step = q.decode() ? kDone : kFailed;
        else if (modemTimeOver(q.startMs, 4000))
            q.step = kFailed;
        return kBusy;
    case kDone:
        return 0;
    case kFailed:
        return -1;
    default:
        return kBusy;
    }
}

} // namespace

int decodeDownStream(int i)
{
    const char* text = GetBufferTrames();
    const char* p = std::strstr(text, "Current PHY status");
    if (i >= 0 && i < PHY_CHANNELS)
        clearPhyRecord(GetPhyPointer()[i]);
    if (i < 0 || i >= PHY_CHANNELS || !p) {
        qDebug().nospace() << "Error null decodeDownStream num " << i;
        return 0;
    }
    PhyChannel& rec = GetPhyPointer()[i];
    // Each label is searched from the previous one: a missing label ends the report.
    auto next = [&p](const char* label) { return (p = std::strstr(p, label)) != nullptr; };
    double value = 0;
    char word[16] = "";

    if (!next("RF"))
        return 1;
    // An unreadable frequency is no channel, as a zero one is.
    std::optional<int> mhz = std::sscanf(p, "RF %*s %lf", &value) == 1 ? truncated(value) : std::nullopt;
    rec.frequency = mhz && *mhz > 0 && *mhz <= 2147 ? *mhz * 1000000 : 0;
    if (rec.frequency == 0)
        return 1;

    int order = 0;
    if (!next("Qam"))
        return 1;
    if (std::sscanf(p, "Qam %*s : %d", &order) == 1) {
        rec.modulation = order;
        DecodeModDown(order);
    }

    if (!next("Annex"))
        return 1;
    if (std::sscanf(p, "Annex: %15s", word) == 1) {
        for (int annex = 0; annex < 3; ++annex) {
            const char name[] = {'A', 'N', 'N', 'E', 'X', '-', static_cast<char>('A' + annex), '\0'};
            if (std::strstr(word, name)) {
                rec.annex = annex;
                SetModemMeasuresDocsisType(annex);
                break;
            }
        }
    }

    if (!next("MSE"))
        return 1;
    if (std::sscanf(p, "MSE: %lf", &value) == 1 && std::fabs(value) <= kMseLimitDb) {
        rec.mse = static_cast<int>(5 + 10 * value - 40);
        SetModemMeasuresEsNo_Down(-rec.mse | kBit23);
    }

    if (!next("Energy"))
        return 1;
    if (std::sscanf(p, "Energy backoff: %lf", &value) == 1)
        store(&rec.energyBackoff, truncated(5 + 10 * value));

    if (!next("interleaver"))
        return 1;
    int ili = 0, ilj = 0;
    if (std::sscanf(p, "interleaver %*s I=%d, J=%d", &ili, &ilj) == 2) {
        rec.interleaverI = ili;
        rec.interleaverJ = ilj;
        SetModemMeasuresInterleaver_i(ili);
        SetModemMeasuresInterleaver_j(ilj);
    }

    const struct {
        const char* label;
        const char* format;
        unsigned char* lock;
    } locks[] = {{"QAM Lock", "QAM Lock: %15s", &rec.qamLock},
                 {"FEC", "FEC %*s %15s", &rec.fecLock},
                 {"MPEG", "MPEG %*s %15s", &rec.mpegLock}};
    for (const auto& l : locks) {
        if (!next(l.label))
            return 1;
        *l.lock = std::sscanf(p, l.format, word) == 1 && std::strcmp(word, "YES") == 0;
    }

    if (!next("Carrier offset"))
        return 1;
    if (std::sscanf(p, "Carrier offset %*s %lf", &value) == 1 && truncated(value)) {
        rec.carrierOffset = value;
        SetModemMeasuresOffset(*truncated(value));
    }

    if (!next("power"))
        return 1;
    if (std::sscanf(p, "power %*s %lf", &value) == 1)
        store(&rec.power, truncated(10 * value));

    if (rec.annex == 0)
        rec.symbolRate = 6952;
    else if (rec.annex == 1)
        rec.symbolRate = rec.modulation == 64 ? 5057 : 5361;
    SetModemMeasuresSR(rec.symbolRate);
    return 1;
}

int decodeBer(int i)
{
    const char* text = GetBufferTrames();
    if (i < 0 || i >= PHY_CHANNELS)
        return 0;
    PhyChannel& rec = GetPhyPointer()[i];
    // Without a report the channel has no BER: an earlier reading is not shown as current.
    rec.preBer = rec.postBer = UNMEASURED_DOUBLE;
    rec.preBerKind = rec.postBerKind = kBerKindRead;
    rec.preBerBound = rec.postBerBound = 0;
    const char* p = std::strstr(text, "Pre.BER");
    p = p ? std::strchr(p, '1') : nullptr;
    double first = 0, pre = 0, post = 0;
    if (!p || std::sscanf(p, "1 %lf %lf %lf", &first, &pre, &post) != 3)
        return 0;
    const BerReading preReading = berReading(pre, rec);
    const BerReading postReading = berReading(post, rec);
    rec.preBer = preReading.value;
    rec.preBerKind = preReading.kind;
    rec.preBerBound = preReading.bound;
    rec.postBer = postReading.value;
    rec.postBerKind = postReading.kind;
    rec.postBerBound = postReading.bound;
    return 1;
}

int decodeUpStream()
{
    const char* text = GetBufferTrames();
    UpsChannel* ups = GetUpsPointer();
    double mhz[UPS_CHANNELS];
    if (!upstreamLine(text, "quency", "%lf %lf %lf %lf", &mhz[0], &mhz[1], &mhz[2], &mhz[3]))
        return 0;
    for (int i = 0; i < UPS_CHANNELS; ++i)
        store(&ups[i].frequency, truncated(mhz[i] * 1000000));

    int sr[UPS_CHANNELS];
    if (!upstreamLine(text, "Symbol rate", "%d %d %d %d", &sr[0], &sr[1], &sr[2], &sr[3]))
        return 0;
    for (int i = 0; i < UPS_CHANNELS; ++i) {
        ups[i].symbolRate = sr[i];
        if (sr[i] != 0)
            store(&ups[i].bandwidth, truncated(sr[i] * 1250.0));
    }

    char words[UPS_CHANNELS][10];
    if (!upstreamLine(text, "modulation", "%9s %9s %9s %9s", words[0], words[1], words[2], words[3]))
        return 0;
    for (int i = 0; i < UPS_CHANNELS; ++i)
        ups[i].modulation = upstreamModulation(words[i], ups[i].modulation);

    double power[UPS_CHANNELS];
    if (!upstreamLine(text, "power", "%lf %lf %lf %lf", &power[0], &power[1], &power[2], &power[3]))
        return 0;

    int uci[UPS_CHANNELS];
    if (!upstreamLine(text, "Upstream", "%d %d %d %d", &uci[0], &uci[1], &uci[2], &uci[3]))
        return 1;
    for (int i = 0; i < UPS_CHANNELS; ++i) {
        ups[i].uci = uci[i] > 99 ? UNMEASURED : uci[i];
        if (power[i] == -1.0) {
            // An upstream channel the modem does not use.
            ups[i] = UpsChannel{UNMEASURED, UNMEASURED, 0, UNMEASURED, UNMEASURED, UNMEASURED};
        } else {
            store(&ups[i].power, truncated(10 * power[i] - 10));
        }
    }
    return 1;
}

int decodeIP()
{
    const char* text = GetBufferTrames();
    // A label that is not in the report stores nothing read (0, ""): an address of an
    // earlier report is not shown as current.
    const struct {
        const char* label;
        void (*set)(const char*);
    } fields[] = {
        {"TFTP Server =", SetModemMeasuresIp_TFTP},
        {"DHCP Server =", SetModemMeasuresIp_DHCP},
        {"IP Address =", SetModemMeasuresIp_CableModem},
        {"Setting (*) CM TFTP Boot file:", SetModemMeasuresIpConfigFile},
        {"Default Gateway =", SetModemMeasuresIp_Gateway},
        {"Subnet Mask =", SetModemMeasuresIp_Netmask},
        {"Physical Address =", SetModemMeasuresIp_CableModem_Mac},
    };
    for (const auto& f : fields)
        f.set(ExtreuCadena(text, f.label));
    return 1;
}

int decodificaAddressCMACPx26(char* out)
{
    static const char kLabel[] = "CM Current MAC address =";
    const char* text = GetBufferTrames();
    const char* at = std::strstr(text, kLabel);
    if (!at)
        return -1;
    const char* mac = at + sizeof kLabel - 1;
    // The address starts one character after the label and takes 17 of its line.
    if (*mac == '\0')
        return -1;
    ++mac;
    for (int n = 0; n < 17; ++n) {
        if (mac[n] == '\0' || mac[n] == '\r' || mac[n] == '\n')
            return -1;
    }
    std::snprintf(out, MODEM_MAC_TEXT_SIZE, "%.2s:%.2s:%.2s:%.2s:%.2s:%.2s", mac, mac + 3, mac + 6, mac + 9,
                  mac + 12, mac + 15);
    return 0;
}

int decodeCMFirmVersionPx37(char* out)
{
    static const char kLabel[] = "Filename in sector 1->";
    const char* text = GetBufferTrames();
    const char* at = std::strstr(text, kLabel);
    int n = 0;
    if (at) {
        const char* name = at + sizeof kLabel - 1;
        while (n < MODEM_FIRMWARE_TEXT_SIZE - 1 && name[n] != '\0' && name[n] != '.' && name[n] != '\r'
               && name[n] != '\n') {
            out[n] = name[n];
            ++n;
        }
    }
    out[n] = '\0';
    return 0;
}

int decodificaCableModemVersion(char* out)
{
    static const char kLabel[] = "Software version";
    const char* text = GetBufferTrames();
    if (!std::strstr(text, kLabel))
        return 0;
    std::snprintf(out, MODEM_VERSION_TEXT_SIZE, "%s", ExtreuCadena(text, kLabel));
    return 1;
}

int DecodeDocsisMode()
{
    const char* text = GetBufferTrames();
    const char* at = std::strstr(text, "DOCSIS ");
    double version = 0;
    if (!at || std::sscanf(at, "DOCSIS %lf", &version) != 1 || !truncated(10 * version))
        return 0;
    SetDocsisMode(*truncated(version));
    SetModemMeasuresDocsisVersion(*truncated(10 * version));
    return 1;
}

int decodificaUpstream(int run)
{
    static ReportQuery query{"upshow\r", "Upstream", [] { return decodeUpStream() != 0; }};
    return runReportQuery(query, run);
}

int decodifica_MAC(int run)
{
    static ReportQuery query{"macaddr\r", "CM Current MAC address =", [] {
                                 if (decodificaAddressCMACPx26(GetAddressCMAC()) != 0)
                                     return false;
                                 ScreensVariables::getInstance()->setCM_MAC(QString::fromLatin1(GetAddressCMAC()));
                                 return true;
                             }};
    return runReportQuery(query, run);
}

int decodifica_VesionFirmware(int run)
{
    static ReportQuery query{"dir\r", "Filename in sector 1->", [] {
                                 char firmware[MODEM_FIRMWARE_TEXT_SIZE];
                                 decodeCMFirmVersionPx37(firmware);
                                 SetModemMeasures_CableModem_FW(firmware);
                                 return true;
                             }};
    return runReportQuery(query, run);
}

int DecodificaDocsisMode(int run)
{
    static int step = 0;
    static uint64_t startMs = 0;
    if (run == 0) {
        step = 0;
        return 0;
    }
    auto send = [](const char* command) {
        SetCadenaAnalitzar1("mainMenu>");
        sendCommandCableModem(command);
        startMs = modemTicksMs();
    };
    switch (step) {
    case 0:
        SetDocsisMode(0);
        send("\r");
        step = 1;
        return kBusy;
    case 1:
        if (modemTimeOver(startMs, 2000)) {
            step += 1000;
        } else if (GetCondicio1()) {
            send("docsis/docsismode\r");
            step = 4;
        }
        return kBusy;
    case 4:
        if (modemTimeOver(startMs, 5000)) {
            step += 1000;
            return kBusy;
        }
        if (!GetCondicio1())
            return kBusy;
        DecodeDocsisMode();
        return 0;
    default:
        step = 0;
        return -1;
    }
}

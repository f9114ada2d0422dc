#include "CableModemReports31.h"

#include "CableModemReports.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace platform::sim {

namespace {

constexpr int kScQamColumns = 8;
constexpr double kScQamMhz = 1e6;
// A block wider than the FFT keeps a guard band at both ends.
constexpr int kGuardSubcarriers = 148;

// The downstream profiles of the OFDM channel and the MER each needs.
struct OfdmProfile {
    const char* label;
    const char* letter; // as the active-profile list writes it, empty for PLC and NCP
    const char* modulation;
    double neededMerDb;
    bool configured;
};
const OfdmProfile kProfiles[] = {
    {"PLC", "", "16QAM", 15.0, true},
    {"NCP", "", "16QAM", 15.0, true},
    {"profile1", "A", "1024QAM", 34.0, true},
    {"profile2", "B", "2048QAM", 37.0, true},
    {"profile3", "C", "4096QAM", 40.0, true},
    {"profile4", "D", "NONE", 0.0, false},
};

std::string countText(long count) { return count > 0 ? std::to_string(count) : "NONE"; }

std::string activeProfiles()
{
    std::string text;
    for (const OfdmProfile& p : kProfiles) {
        if (p.configured && *p.letter)
            text += (text.empty() ? "" : ",") + std::string(p.letter);
    }
    return text;
}

bool scQamLocked(const ModemSession& session, const ModemChannel& c)
{
    return c.present && session.registrationStage() >= kModemPhySynchronized;
}

// A report of an OFDM channel: the channel's lock line, then, when it is locked, the body.
std::string ofdmReport(const ModemSession& session, int channel,
                       const std::function<std::string(const ModemOfdmChannel&)>& body)
{
    if (!session.ofdmLocked(channel))
        return formatText("OFDM channel %d unlock!\n", channel);
    return formatText("OFDM channel %d is locked!\n", channel)
        + body(session.ofdmChannels()[static_cast<size_t>(channel)]);
}

// A row of the SC-QAM upstream reports: the label, then the eight columns split by "|".
using ScQamColumn = std::function<std::string(int)>;
std::string scQamRow(const char* label, const ScQamColumn& column, const char* end = "")
{
    std::string row = label;
    for (int k = 0; k < kScQamColumns; ++k)
        row += (k ? " | " : " ") + column(k);
    return row + end + "\n";
}

} // namespace

double ModemOfdmLayout::subcarrierHz(int k) const { return plcHz + (k - fftSize / 2) * spacingHz; }

ModemOfdmLayout modemOfdmLayout(const ModemOfdmChannel& channel)
{
    ModemOfdmLayout layout;
    const int active = std::min(static_cast<int>(channel.bandwidthHz / layout.spacingHz),
                                layout.fftSize - 2 * kGuardSubcarriers);
    layout.plcHz = channel.centreHz;
    layout.first = layout.fftSize / 2 - active / 2;
    layout.last = layout.first + active - 1;
    layout.firstHz = layout.subcarrierHz(layout.first);
    layout.lastHz = layout.subcarrierHz(layout.last);
    return layout;
}

double modemSubcarrierMerDb(const ModemOfdmChannel& channel, int k)
{
    // A slow ripple of the channel's response and a little measurement noise.
    const double ripple = 0.8 * std::sin(2.0 * M_PI * k / 97.0);
    const double noise = 0.6 * (modemUniform(static_cast<uint32_t>(k) + 0x5EED) - 0.5);
    return channel.merDb + ripple + noise;
}

double modemAverageMerDb(const ModemOfdmChannel& channel)
{
    const ModemOfdmLayout layout = modemOfdmLayout(channel);
    double sum = 0;
    for (int k = layout.first; k <= layout.last; ++k)
        sum += modemSubcarrierMerDb(channel, k);
    return sum / (layout.last - layout.first + 1);
}

std::string modemUpstreamStatus31(const ModemSession& session)
{
    const ModemStage stage = session.registrationStage();
    const bool ranged = stage >= kModemRanged;
    const DocsisPlan plan = session.plan();
    const std::vector<DocsisUpstream> scQam = plan.of(DocsisUpstream::Kind::ScQam);
    const std::vector<DocsisUpstream> ofdma = plan.of(DocsisUpstream::Kind::Ofdma);
    auto used = [&](int k) { return ranged && k < static_cast<int>(scQam.size()); };
    auto channel = [&](int k) { return used(k) ? scQam[static_cast<size_t>(k)] : DocsisUpstream{}; };
    auto state = [&](int k) { return std::string(used(k) ? "OPERATE" : "IDLE"); };
    auto id = [&](int k) { return std::to_string(used(k) ? channel(k).channelId : 0); };
    auto mhz = [&](int k) { return formatText("%.2f", channel(k).frequencyHz / kScQamMhz); };
    auto rate = [&](int k) { return std::to_string(channel(k).symbolRateKsym); };
    auto level = [&](int k) { return formatText("%.1f", channel(k).levelDbmv); };
    auto modulation = [&](int k) { return used(k) ? std::to_string(channel(k).qamOrder) + "QAM" : std::string("NONE"); };

    // The per-channel table of the transmitter first, its rows ending in "|".
    std::string table = "US channel table\n| ch |0|1|2|3|4|5|6|7|\n";
    for (const auto& [label, column] : std::vector<std::pair<const char*, ScQamColumn>>{
             {"STATE |", state}, {"Frquency |", mhz}, {"Symbol rate |", rate}, {"modulation |", modulation},
             {"rep power 1_6 |", level}, {"Upstream |", id}})
        table += scQamRow(label, column, " |");
    table += "deltaPf: 0\n";

    std::string report = table + "SC QAM CHANNELS INFO\n" + scQamRow("STATE       :", state)
        + scQamRow("Upstream    :", id) + scQamRow("Frquency    :", mhz) + scQamRow("Symbol rate :", rate)
        + scQamRow("rep power   :", level) + scQamRow("modulation  :", modulation);

    // Two OFDMA columns: powered once the upstream parameters are known, operating once ranged.
    report += "OFDMA CHANNELS INFO\n";
    std::string rows[7] = {"Power           :", "STATE           :", "Center Freq SC0 :", "if Speed(bit/s) :",
                           "rep power       :", "BW (sc's*fft)   :", "FFT SIZE        :"};
    for (int k = 0; k < 2; ++k) {
        const bool on = k < static_cast<int>(ofdma.size()) && stage >= kModemUsParameters;
        const DocsisUpstream u = on ? ofdma[static_cast<size_t>(k)] : DocsisUpstream{};
        rows[0] += on ? " ON" : " OFF";
        rows[1] += on && ranged ? " OPERATE" : " IDLE";
        rows[2] += formatText(" %.2f", u.frequencyHz / 1e6);
        rows[3] += formatText(" %.0f", u.speedBitsPerS);
        rows[4] += formatText(" %.1f", u.levelDbmv);
        rows[5] += formatText(" %.2f", u.bandwidthHz / 1e6);
        rows[6] += formatText(" %dK", u.fftSize / 1024);
    }
    for (const std::string& row : rows)
        report += row + "\n";
    return report;
}

std::string modemDownstreamStatus31(const ModemSession& session)
{
    const std::vector<ModemChannel> group = session.downstreamGroup();
    std::string report = "Downstream channels\n"
                         "|  Receiver # | Frequency | Lock | Modulation | Annex | Power(dBmV) | MER(dB) | DCID | "
                         "Primary | Bonded |\n";
    for (int r = 0; r < kModemScQamReceivers31; ++r) {
        const bool has = r < static_cast<int>(group.size());
        const ModemChannel c = has ? group[static_cast<size_t>(r)] : ModemChannel{false};
        if (!has) {
            report += formatText("| %11d | 0 | NO | NONE | NA | 0.0 | 0.0 | NA | NO | NO |\n", r + 1);
            continue;
        }
        const bool locked = scQamLocked(session, c);
        // The head end numbers its channels in frequency order, whichever is the primary.
        const auto below = std::count_if(group.begin(), group.end(),
                                         [&](const ModemChannel& o) { return o.centreHz < c.centreHz; });
        report += formatText("| %11d | %u | %s | %dQAM | %c | %.1f | %.1f | %d | %s | %s |\n", r + 1, c.centreHz,
                             locked ? "YES" : "NO", c.qamOrder, c.annex, c.powerDbmv, locked ? c.merDb : 0.0,
                             static_cast<int>(below) + 1, r == 0 ? "YES" : "NO", locked ? "YES" : "NO");
    }
    report += "OFDM CHANNELS\n| Channel | DCID | Frequency | Lock | FFT | Profiles | Power(dBmV) | PLC(Hz) | MER(dB) "
              "| Bonded |\n";
    const std::vector<ModemOfdmChannel> ofdm = session.ofdmChannels();
    for (int k = 0; k < kModemOfdmChannels31; ++k) {
        if (!session.ofdmLocked(k)) {
            report += formatText("| %7d | NA | %u | NO | 4K | NA | 0.0 | 0 | 0.0 | NO |\n", k,
                                 k < static_cast<int>(ofdm.size()) ? ofdm[static_cast<size_t>(k)].centreHz : 0u);
            continue;
        }
        const ModemOfdmChannel& o = ofdm[static_cast<size_t>(k)];
        const ModemOfdmLayout layout = modemOfdmLayout(o);
        report += formatText("| %7d | %d | %.0f | YES | 4K | %s | %.1f | %.0f | %.1f | YES |\n", k, 33 + k,
                             layout.firstHz, activeProfiles().c_str(), o.powerDbmv, layout.plcHz,
                             modemAverageMerDb(o));
    }
    return report;
}

std::string modemPhyStatus31(const ModemSession& session, int receiver)
{
    if (receiver < 0 || receiver >= kModemScQamReceivers31)
        return formatText("Invalid channel %d\n", receiver);
    const ModemChannel c = modemReceiverChannel(session, receiver);
    const bool locked = scQamLocked(session, c);
    const char* yes = locked ? "YES" : "NO";
    return formatText("Downstream channel %d\n", receiver) + formatText("Ch Enabled: %s\n", c.present ? "YES" : "NO")
        + formatText("RF frequency: %.3f MHz\n", c.present ? c.centreHz / 1e6 : 0.0)
        + formatText("QAM Lock: %s\nFEC Sync: %s\nMPEG Sync: %s\n", yes, yes, yes)
        + formatText("Annex: ANNEX-%c\n", c.annex) + formatText("MSE: %.1f dB\n", locked ? c.merDb : 0.0)
        + formatText("Qam mode : QAM %d\n", c.qamOrder)
        + formatText("interleaver mode: I=%d, J=%d\n", c.annex == 'A' ? 12 : 128, c.annex == 'A' ? 17 : 1)
        + formatText("Carrier offset is %d Hz\n", locked ? 1200 : 0)
        + formatText("Reported power is %.1f dBmv\n", c.present ? c.powerDbmv : 0.0);
}

std::string modemBerStatus31(const ModemSession& session, int receiver)
{
    if (receiver < 0 || receiver >= kModemScQamReceivers31)
        return formatText("Invalid channel %d\n", receiver);
    const ModemChannel c = modemReceiverChannel(session, receiver);
    const bool locked = scQamLocked(session, c);
    // Errors grow as the MER falls below what 256-QAM needs; none on a clean channel.
    const double pre = locked && c.merDb < 32.0 ? std::pow(10.0, -(c.merDb - 4.0) / 4.0) : 0.0;
    const double post = locked && c.merDb < 26.0 ? pre / 100.0 : 0.0;
    return "Mode Frequency MSE PreBER PostBER Corrected Uncorrected Codewords\n"
        + formatText("3 %u %.1f %g %g %d %d %d\n", c.present ? c.centreHz : 0u, locked ? c.merDb : 0.0, pre, post,
                     pre > 0 ? 120 : 0, post > 0 ? 3 : 0, locked ? 1000000 : 0);
}

std::string modemOfdmInfo31(const ModemSession& session, int channel)
{
    return ofdmReport(session, channel, [&](const ModemOfdmChannel& o) {
        const ModemOfdmLayout l = modemOfdmLayout(o);
        const long plc = std::lround(l.plcHz);
        return formatText("FFT Size: %dK\n", l.fftSize / 1024)
            + formatText("Subcarrier Spacing: %.0f KHz\n", l.spacingHz / 1000) + "Cyclic Prefix: 192 samples\n"
            + formatText("First Active Subcarrier: %d, %.0f Hz\n", l.first, l.firstHz)
            + formatText("Last Active Subcarrier: %d, %.0f Hz\n", l.last, l.lastHz)
            + formatText("Total Active Channel Power: %.1f dBmV\n", o.powerDbmv)
            + formatText("Average RxMER(dB): %.1f\n", modemAverageMerDb(o))
            + formatText("Frequency of PLC: %ld %03ld %03ld Hz\n", plc / 1000000, plc / 1000 % 1000, plc % 1000)
            + formatText("Average PLCMER(dB): %.1f\n", modemSubcarrierMerDb(o, l.fftSize / 2))
            // The PLC's six MHz out of the block's width.
            + formatText("PLC power: %.1f dBmV\n", o.powerDbmv + 10 * std::log10(6e6 / o.bandwidthHz))
            + "Time Interleave Depth: 16\nNCP Modulation: 16 QAM\n";
    });
}

std::string modemOfdmProfiles31(const ModemSession& session, int channel)
{
    return ofdmReport(session, channel, [&](const ModemOfdmChannel& o) {
        std::string report = "Profile | Modulation | State | Codewords | Corrected | Uncorrectable |\n";
        for (const OfdmProfile& p : kProfiles) {
            if (!p.configured) {
                report += formatText("%s | NONE | NA | 0 | 0 | 0 |\n", p.label);
                continue;
            }
            // Below what its modulation needs a profile corrects, then loses, codewords.
            const double margin = o.merDb - p.neededMerDb;
            const long corrected = margin < 3.0 ? std::lround(1000 * (3.0 - margin)) : 0;
            const long lost = margin < 0.0 ? std::lround(100 * -margin) : 0;
            report += formatText("%s | %s | %s | %d | %s | %s |\n", p.label, p.modulation,
                                 margin >= -3.0 ? "LOCKED" : "UNLOCKED", 1000000, countText(corrected).c_str(),
                                 countText(lost).c_str());
        }
        return report;
    });
}

std::string modemOfdmMer31(const ModemSession& session, int channel, int first, int last)
{
    return ofdmReport(session, channel, [&](const ModemOfdmChannel& o) {
        const ModemOfdmLayout l = modemOfdmLayout(o);
        std::string report = "RxMER per subcarrier (dB):\n";
        int n = 0;
        for (int k = std::max(first, l.first); k <= std::min(last, l.last); ++k)
            report += formatText("%d:mer=%.2f%s", k, modemSubcarrierMerDb(o, k), ++n % 8 == 0 ? "\n" : "  ");
        return report + "\n";
    });
}

std::string modemOfdmResponse31(const ModemSession& session, int channel)
{
    return ofdmReport(session, channel, [&](const ModemOfdmChannel& o) {
        // The cable's slope across the block: a straight line, whose RMS is its span over
        // the square root of 12.
        const double span = std::fabs(o.tiltDbPerGhz) * o.bandwidthHz / 1e9;
        return formatText("Amplitude RipplePkToPk = %ld [mdB]\n", std::lround(1000 * span))
            + formatText("RippleRms = %ld [mdB]\n", std::lround(1000 * span / std::sqrt(12.0)))
            + "GroupDelay RipplePkToPk = 12 [ns]\n";
    });
}

std::string modemOfdmConstellation31(const ModemSession& session, int channel, int points)
{
    return ofdmReport(session, channel, [&](const ModemOfdmChannel& o) {
        std::string report = "Modulation Type : 4096 QAM\n";
        const int count = std::max(0, std::min(points, 500));
        for (const auto& [i, q] : modemQamSymbols(4096, o.merDb, count, 9500.0, static_cast<uint32_t>(session.nowMs))) {
            report += formatText("%ld, %ld\n", std::lround(std::max(-10000.0, std::min(10000.0, i))),
                                 std::lround(std::max(-10000.0, std::min(10000.0, q))));
        }
        return report;
    });
}

std::string modemTunerConstellation31(const ModemSession& session, int receiver)
{
    const ModemChannel c = modemReceiverChannel(session, receiver);
    if (!scQamLocked(session, c))
        return "Tuner not locked\n";
    std::string report = formatText("Tuner IQ constellation, QAM %d\n", c.qamOrder);
    int n = 0;
    for (const auto& [i, q] : modemQamSymbols(c.qamOrder, c.merDb, 200, 240.0, static_cast<uint32_t>(session.nowMs))) {
        report += formatText("(%ld,%ld,0)%s", std::lround(std::max(-256.0, std::min(255.0, i))),
                             std::lround(std::max(-256.0, std::min(255.0, q))), ++n % 8 == 0 ? "\n" : " ");
    }
    return report + "\n";
}

} // namespace platform::sim

// What the terrestrial OFDM behaviours of the simulated demodulator (DVB-T, DVB-T2, ISDB-T)
// share: the channel width the software programmed, read from the nominal-rate words of
// its band setting, and reception only at the carrier's own width; the sync state
// climbing through an acquisition; the SNR and MER words the chip shows for a quality;
// error counters over the windows the software writes; and the analysis unit's
// constellation points.
#pragma once

#include "Constellation.h"
#include "DemodStandard.h"
#include "ErrorCounter.h"

#include <string>
#include <vector>

namespace platform::sim {

namespace ofdm {
// The analysis unit (bank 0x11 for DVB-T and ISDB-T, 0x21 for DVB-T2).
constexpr uint8_t kPointIndex = 0x98;   // 15-bit point (carrier) index, big-endian
constexpr uint8_t kPointTrigger = 0x9A;
constexpr uint8_t kPoint = 0x9B;        // bit 6 of the first byte: ready; 10-bit I in bytes 1-2, Q in 3-4,
                                        // the carrier's MER word w in bytes 5-6 (MER = 10 log10(w / 8) dB)
constexpr uint8_t kSyncLocked = 6;

// "1/4" as 0.25; text that is not a fraction gives fallback.
double fraction(const std::string& text, double fallback);
// The index of text in names, or -1.
int indexOf(const std::string& text, const std::vector<const char*>& names);
// A register word w with 10 log10(w) - offsetDb = db (clamped to 1..maximum).
uint32_t logWord(double db, double offsetDb, uint32_t maximum = 0xFFFF);
// A register word w with 10 log10(w / (total - w)) + offsetDb = db (clamped to 1..cap).
uint32_t ratioWord(double db, double offsetDb, double total, uint32_t cap);
// Two's complement of value in bits bits.
uint32_t twos(long value, int bits);
} // namespace ofdm

// One error counter of the chip: a rate, a window the software sized, and the moment it
// (re)started counting.
struct WindowedCounter {
    ErrorCounter counter;
    uint64_t windowWrittenUs = 0;

    // The count of the last completed window and whether there is one.
    uint64_t update(double rate, double unitsPerSecond, double windowUnits, uint64_t lockUs, uint64_t nowUs,
                    bool* valid);
};

class OfdmStandard : public DemodStandard {
public:
    struct Band {
        double bandwidthHz;
        uint8_t rate[5];    // the band setting's nominal-rate words
        double nominalIfHz; // the software's default IF word for it
    };

    bool receivable(const DemodContext& chip, const SceneCarrier& carrier) const override;
    double nominalIfHz(const DemodContext& chip) const override;
    // The channel width the band setting programmed, in Hz; 0 when it matches none.
    double programmedBandwidthHz(const DemodContext& chip) const;

protected:
    // Where the band setting's nominal-rate words are, and what they say per width.
    virtual uint8_t rateBank() const = 0;
    virtual const std::vector<Band>& bands() const = 0;

    // The sync state (0..6) now: it climbs to 6 at the demodulator lock, and stays low on
    // a signal the chip cannot receive.
    static int syncState(const DemodContext& chip);
    // The IF AGC word for the input level: more gain for a weaker signal.
    static uint32_t ifAgcWord(const DemodContext& chip);
    // What DVB-T and ISDB-T show only while locked, all at the same places of their banks
    // (SNR 0x28, MER 0x2C, spectrum 0x3F, mode/guard 0x40, carrier offset 0x4C) with their
    // signalling bytes: cleared while not.
    static void clearLockedMonitors(DemodContext& chip, uint8_t bank, uint8_t signalling, int signallingBytes);
    // Copies the nominal-rate words into the tracked ones (0x52), that is no sampling offset.
    void trackNominalRate(DemodContext& chip) const;

    // The point read: each read of the first byte draws a fresh sample of the grid, scaled
    // so that the outermost ideal point sits at scale (mirrored when negative), and the
    // carrier's MER word (at most merWordMax, the chip's field), with the ready bit while
    // locked; in channel-response mode the response at the point written instead.
    bool readPoint(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value, double scale, bool locked,
                   uint32_t merWordMax = 0xFFFF);
    void useGrid(Modulation m, double merDb);

    ConstellationSource constellation_;
    Modulation gridModulation_ = Modulation::Unknown;
    double gridMerDb_ = -1;
};

} // namespace platform::sim

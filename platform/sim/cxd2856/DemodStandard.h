// The extension point of the simulated demodulator: one behaviour per broadcast standard,
// each in a file of its own and listed once in DemodStandards.cpp. The chip core keeps
// the register files, power, system select, the freeze and the acquisition; it calls a
// behaviour's hooks for the SLVT banks the behaviour owns, and the behaviour turns the
// signal at the input into that standard's register encodings.
#pragma once

#include "platform/sim/DigitalChannel.h"
#include "platform/sim/RfScene.h"

#include <cstdint>
#include <memory>
#include <random>
#include <vector>

namespace platform::sim {

namespace cxd2856 {
// System select codes (SLVX bank 0x00 register 0x17). DVB-T's is also what a sleeping
// chip is left with.
constexpr uint8_t kSystemDvbT = 0x01;
constexpr uint8_t kSystemDvbT2 = 0x02;
constexpr uint8_t kSystemDvbC = 0x04;
constexpr uint8_t kSystemDvbC2 = 0x05;
constexpr uint8_t kSystemIsdbT = 0x06;
constexpr uint8_t kSystemJ83B = 0x08;
constexpr uint8_t kSystemDvbS = 0x0A;
constexpr uint8_t kSystemDvbS2 = 0x0B; // also "either S or S2"
} // namespace cxd2856

// What the core has worked out about the current acquisition; times from its start.
class Acquisition {
public:
    bool started() const { return started_; }
    // The behaviour accepted the input (standard, band words, capture range).
    bool receivable() const { return receivable_; }
    uint64_t elapsedMs(uint64_t nowUs) const;
    bool demodLocked(uint64_t nowUs) const;
    bool tsLocked(uint64_t nowUs) const;
    bool unlockDetected(uint64_t nowUs) const;
    // When the acquisition (re)started, and when a stage of its timeline comes.
    uint64_t startUs() const { return startUs_; }
    uint64_t stageUs(uint32_t stageMs) const;
    const LockTimeline& timeline() const { return timeline_; }

private:
    friend class Cxd2856Model;
    bool reached(uint32_t stageMs, uint64_t nowUs) const;

    bool started_ = false;
    bool receivable_ = false;
    uint64_t startUs_ = 0;
    LockTimeline timeline_;
};

// The chip as a behaviour sees it from inside a hook. Register access here bypasses the
// hooks and the freeze: it is the chip's own logic updating its registers.
class DemodContext {
public:
    virtual ~DemodContext() = default;
    // The board's time now (a freeze is the core's business: frozen reads never reach a hook).
    virtual uint64_t nowUs() const = 0;
    virtual uint8_t slvt(uint8_t bank, uint8_t reg) const = 0;
    virtual void setSlvt(uint8_t bank, uint8_t reg, uint8_t value) = 0;
    // Big-endian field of n bytes starting at reg.
    uint32_t slvtWord(uint8_t bank, uint8_t reg, int bytes) const;
    void setSlvtWord(uint8_t bank, uint8_t reg, int bytes, uint32_t value);
    virtual uint8_t slvx(uint8_t bank, uint8_t reg) const = 0;

    // The carrier at the input (after the tuner), with the standard's defaults filled in;
    // null when none is there.
    virtual const SceneCarrier* input() const = 0;
    // Carrier frequency minus the frequency the chip is set to receive, as the chip sees
    // it (sign flipped by a spectrum-inverting path, IF programming error included).
    virtual double carrierOffsetHz() const = 0;
    // The spectrum as the chip sees it: the transmitted sense and the path's.
    virtual bool spectrumInverted() const = 0;
    virtual const Acquisition& acquisition() const = 0;
    // The IF the tuner delivers, in Hz (the standard's nominal IF when no tuner says), and
    // the RF frequency it is tuned to now, 0 when it is not tuned (what a standard whose signal
    // is wider than the tuning window needs to tell which part of it the chip sees, and where
    // a spectrum measurement looks).
    virtual double tunerIfHz() const = 0;
    virtual double tunedFrequencyHz() const = 0;
    // The board's random source for this chip (seeded, so tests repeat).
    virtual std::mt19937& random() = 0;
    // The whole scene at the input and its noise floor (dBµV per 157.5 kHz), for a standard
    // that measures a spectrum; empty without a scene.
    virtual std::vector<SceneCarrier> scene() const = 0;
    virtual double noiseFloorDbuV() const = 0;
};

class DemodStandard {
public:
    virtual ~DemodStandard() = default;

    virtual const char* name() const = 0;
    // The value of SLVX bank 0x00 register 0x17 that selects this standard.
    virtual uint8_t systemCode() const = 0;
    // SLVT banks whose reads and writes reach this behaviour's hooks; their registers are
    // latched by the freeze.
    virtual std::vector<uint8_t> banks() const = 0;
    // Scene standard names this behaviour demodulates.
    virtual bool carries(const SceneCarrier& carrier) const;
    // The standard's usual values for what the scene left open (symbol rate, modulation,
    // error rates, timeline); the core calls it on a copy of the input carrier.
    virtual void fillDefaults(SceneCarrier& carrier) const;
    // How far off the programmed frequency a carrier can be and still be caught.
    virtual double captureRangeHz() const { return 500e3; }
    // Whether the chip, as programmed now, can receive this carrier: band words,
    // bandwidth against the carrier's width. The core has checked the standard and the
    // capture range.
    virtual bool receivable(const DemodContext& chip, const SceneCarrier& carrier) const = 0;
    // The IF the software programmed the chip for (by default the word at bank 0x10
    // registers 0xB6-0xB8, IF = word x 48 MHz / 2^24), and the IF a tuner delivers for
    // the programmed bandwidth when no tuner says (the software's default words).
    virtual double programmedIfHz(const DemodContext& chip) const;
    virtual double nominalIfHz(const DemodContext& chip) const = 0;
    // Whether the software has named a stream of the signal the chip can deliver; the
    // transport stream locks only then (DVB-C2: a data slice and PLP). Standards with one
    // stream per channel always have it.
    virtual bool streamSelected(const DemodContext& chip) const
    {
        (void)chip;
        return true;
    }

    // Hooks.
    // A soft reset started a new acquisition (or the input changed under it).
    virtual void onAcquisitionStart(DemodContext& chip) { (void)chip; }
    // Bring the standard's monitor registers up to chip.nowUs(): called before a read of
    // the standard's banks and at a freeze, at most once per moment.
    virtual void onClock(DemodContext& chip) { (void)chip; }
    // A read of a register of the standard's banks; return true with *value set to answer
    // it yourself (a fresh sample, a read-clear counter), false to answer from the file.
    virtual bool onRead(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t* value)
    {
        (void)chip, (void)bank, (void)reg, (void)value;
        return false;
    }
    // A write to a register of the standard's banks, after the file has taken the value.
    virtual void onWrite(DemodContext& chip, uint8_t bank, uint8_t reg, uint8_t value)
    {
        (void)chip, (void)bank, (void)reg, (void)value;
    }
};

// Every standard the chip knows, one fresh behaviour each (DemodStandards.cpp).
std::vector<std::unique_ptr<DemodStandard>> makeDemodStandards();

} // namespace platform::sim

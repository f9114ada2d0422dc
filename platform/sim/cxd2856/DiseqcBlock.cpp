#include "DiseqcBlock.h"

namespace platform::sim {

using namespace diseqc;

namespace {
constexpr uint64_t kByteUs = 13500;       // nine bits of 1.5 ms
constexpr uint64_t kBurstUs = 12500 + 15000; // the burst and the quiet after it
constexpr double kCountsPerMs = 22.0;
constexpr double kRxCountsPerMs = 220.0;
constexpr uint8_t kMessageMax = 12;

uint64_t countsUs(const DemodContext& chip, uint8_t reg, double perMs)
{
    return uint64_t(chip.slvtWord(kBank, reg, 2) / perMs * 1000.0);
}

std::vector<uint8_t> message(const DemodContext& chip, uint8_t lengthReg)
{
    const uint8_t length = std::min<uint8_t>(chip.slvt(kBank, lengthReg), kMessageMax);
    std::vector<uint8_t> bytes;
    for (uint8_t i = 0; i < length; ++i)
        bytes.push_back(chip.slvt(kBank, uint8_t(lengthReg + 1 + i)));
    return bytes;
}
} // namespace

bool DiseqcBlock::enabled(const DemodContext& chip)
{
    return !(chip.slvt(0x00, 0x80) & 0x20) && (chip.slvt(0x00, 0x9C) & 0x40);
}

bool DiseqcBlock::toneOn(const DemodContext& chip) const
{
    return enabled(chip) && (chip.slvt(kBank, kTone) & 1);
}

void DiseqcBlock::onWrite(DemodContext& chip, uint8_t reg, uint8_t value)
{
    if (reg == kStart && (value & 1)) {
        chip.setSlvt(kBank, kStart, 0); // self-clearing
        if (enabled(chip) && !busy_)
            start(chip);
    }
}

void DiseqcBlock::start(DemodContext& chip)
{
    DiseqcSending s;
    s.startUs = chip.nowUs();
    if (chip.slvt(kBank, 0x33) & 1) {
        s.message = message(chip, 0x3D);
        s.repeats = chip.slvt(kBank, 0x37);
        s.message2 = message(chip, 0x4A);
        s.repeats2 = chip.slvt(kBank, 0x38);
        if (s.repeats2 == 0)
            s.message2.clear();
    }
    if (chip.slvt(kBank, 0x34) & 1)
        s.toneBurst = (chip.slvt(kBank, 0x35) & 1) ? 2 : 1;
    s.replyExpected = chip.slvt(kBank, 0x74) == 0x12;

    // Idle, then each sending with the round-trip pause between repeats, then the burst.
    const uint64_t gapUs = countsUs(chip, 0x71, kCountsPerMs);
    uint64_t sendUs = 0;
    int sendingCount = 0;
    for (int i = 0; i < s.repeats; ++i, ++sendingCount)
        sendUs += s.message.size() * kByteUs;
    for (int i = 0; i < s.repeats2; ++i, ++sendingCount)
        sendUs += s.message2.size() * kByteUs;
    if (sendingCount > 1)
        sendUs += (sendingCount - 1) * gapUs;
    if (s.toneBurst)
        sendUs += kBurstUs;
    sendingUs_ = s.startUs + countsUs(chip, 0x39, kCountsPerMs);
    waitingUs_ = sendingUs_ + sendUs;
    endUs_ = waitingUs_;
    reply_.reset();
    if (peer_ && !s.message.empty())
        reply_ = peer_(s.message);
    if (s.replyExpected) {
        const uint64_t rxIdleUs = countsUs(chip, 0x67, kRxCountsPerMs);
        const uint64_t timeoutUs = countsUs(chip, 0x3B, kCountsPerMs);
        endUs_ += reply_ && !reply_->empty() ? rxIdleUs + reply_->size() * kByteUs : rxIdleUs + timeoutUs;
    }
    chip.setSlvt(kBank, kReplyStatus, 0);
    chip.setSlvt(kBank, kReplyLength, 0);
    busy_ = true;
    sendings_.push_back(std::move(s));
}

void DiseqcBlock::onRead(DemodContext& chip, uint8_t reg)
{
    (void)reg;
    const uint64_t now = chip.nowUs();
    uint8_t status = 0;
    if (busy_ && now < sendingUs_)
        status = 1;
    else if (busy_ && now < waitingUs_)
        status = 2;
    else if (busy_ && now < endUs_)
        status = 3;
    if (busy_ && status == 0) {
        busy_ = false;
        if (sendings_.back().replyExpected) {
            // A reply whose framing byte the mask does not let through is refused.
            const uint8_t pattern = chip.slvt(kBank, 0x6B), mask = chip.slvt(kBank, 0x6C);
            uint8_t result = kReplyTimedOut;
            if (reply_ && !reply_->empty())
                result = ((*reply_)[0] & ~mask) == (pattern & ~mask) ? kReplyReceived : kReplyRefused;
            chip.setSlvt(kBank, kReplyStatus, result);
            if (result == kReplyReceived) {
                chip.setSlvt(kBank, kReplyLength, uint8_t(reply_->size()));
                for (size_t i = 0; i < reply_->size() && i < kMessageMax; ++i)
                    chip.setSlvt(kBank, uint8_t(kReplyData + i), (*reply_)[i]);
            }
        }
    }
    chip.setSlvt(kBank, kStatus, status);
}

} // namespace platform::sim

// One register burst of the demodulator driver on the chip's SLVT port: it starts from a
// clean sticky I2C error, reads and writes through the driver's I2C binding, releases a
// freeze it took on every path, and at its end hands the caller's record the bus error
// first and then the first failing kit result, each only while that record is still ok.
#pragma once

#include "DrvCXD2856_kit_result.h"
#include "DrvCXD2856_state.h"

namespace drvcxd2856 {

// A big-endian field of the chip's registers.
inline uint32_t bigEndian(const uint8_t* bytes, int n)
{
    uint32_t v = 0;
    for (int i = 0; i < n; ++i)
        v = v << 8 | bytes[i];
    return v;
}

class Burst {
public:
    Burst(KxlDrvLibError* err, st_t_data_CXD2856* state);
    ~Burst() { finish(); }
    Burst(const Burst&) = delete;
    Burst& operator=(const Burst&) = delete;

    // Each gives false when the access failed (the error waits in the sticky record).
    bool bank(uint8_t bank) { return write(0x00, bank); }
    bool write(uint8_t reg, uint8_t value);
    bool write(uint8_t reg, const uint8_t* data, uint32_t length);
    bool read(uint8_t reg, uint8_t* data, uint32_t length);
    bool read(uint8_t bank, uint8_t reg, uint8_t* data, uint32_t length)
    {
        return this->bank(bank) && read(reg, data, length);
    }
    // Holds the monitor registers still for a consistent multi-register read.
    bool freeze();
    bool release();
    // Leaves a freeze held when the burst ends, for a caller that goes on reading.
    void keepFrozen() { frozen_ = false; }
    // Remembers the first failing result of a kit call made inside the burst; returns it.
    kit_result_t kit(kit_result_t result);
    bool cancelled() const { return drvcxd2856::cancelled(state_); }
    st_t_data_CXD2856* state() const { return state_; }

    // Releases a freeze still held and reports to the caller's record; the burst may go on.
    void finish();

private:
    KxlDrvLibError* err_;
    st_t_data_CXD2856* state_;
    bool frozen_ = false;
    kit_result_t kit_ = KIT_RESULT_OK;
};

// The record of the first error; a null caller record becomes a scratch one.
struct ErrorSlot {
    explicit ErrorSlot(KxlDrvLibError* err) : p(err ? err : &scratch) {}
    KxlDrvLibError scratch{};
    KxlDrvLibError* p;
};

} // namespace drvcxd2856

#include "DrvCXD2856_cable.h"

#include "DrvCXD2856_burst.h"
#include "DrvDefCodes.h"

namespace drvcxd2856 {

uint32_t qamIndex(uint32_t constellation)
{
    switch (constellation) {
    case eCONST_16QAM:
        return 0;
    case eCONST_32QAM:
        return 1;
    case eCONST_128QAM:
        return 3;
    case eCONST_256QAM:
        return 4;
    default:
        return 2;
    }
}

int16_t qamTopRight(uint32_t constellation)
{
    switch (constellation) {
    case eCONST_16QAM:
        return 49;
    case eCONST_32QAM:
    case eCONST_256QAM:
        return 58;
    case eCONST_128QAM:
        return 62;
    default:
        return 55;
    }
}

KxlDrvLibError* readQamSample(KxlDrvLibError* err, int16_t* i, int16_t* q, uint8_t* sampled, st_t_data_CXD2856* s)
{
    uint8_t d[2] = {};
    bool read = false;
    {
        Burst b(err, s);
        read = b.read(0x40, 0x47, d, sizeof d);
    }
    if (i)
        *i = read ? static_cast<int8_t>(d[0]) : 0;
    if (q)
        *q = read ? static_cast<int8_t>(d[1]) : 0;
    if (sampled)
        *sampled = read ? 1 : 0;
    return err;
}

uint32_t roundedSymbolRate(uint32_t bd) { return (bd + 500) / 1000 * 1000; }

void restartCableMeasures(st_t_dvbc_CXD2856& c)
{
    MEASURE_MER_restart(&c.mer_object);
    MEASURE_BER_restart(&c.cber_object);
    MEASURE_PER_restart(&c.per_object);
    MEASURE_MER_unlocked(&c.mer, &c.mer_object);
    MEASURE_BER_unlocked(&c.cber, &c.cber_object);
    MEASURE_PER_unlocked(&c.per, &c.per_object);
}

} // namespace drvcxd2856

#include "DrvCXD2856_core.h"

#include "DrvCXD2856_burst.h"

#include "chipkit/kit_demod_config.h"
#include "chipkit/kit_integ.h"

using drvcxd2856::Burst;

namespace {

// The configuration every standard runs with; items without a name in the kit's list.
enum : uint32_t {
    kItemParallelTs = 0,     // TS output: parallel
    kItemTsOutput2 = 2,      // bank 0x00 0xC4 bit 4
    kItemTsFlag = 22,        // bank 0x10 0xCB bit 6, the adjustment data's TS flag
    kItemDvbtPerWindow = 31, // DVB-T packet-error window, 2^n packets
    kItemDvbcPerWindow = 32, // DVB-C packet-error window, 2^n packets
    kItem45 = 45,            // bank 0xA0 0xB9 bit 0
};

struct Item {
    uint32_t id;
    uint32_t value;
};

} // namespace

KxlDrvLibError* DrvCXD2856_m_common_poweron(uint32_t force, KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    if (!force && s->demod.state == KIT_DEMOD_STATE_ACTIVE)
        return err;
    const st_t_plugplag_common_CXD2856 common = s->plugplag ? s->plugplag->common : st_t_plugplag_common_CXD2856{};
    {
        Burst b(err, s);
        // The chip is reset: whatever bank the binding remembers is gone.
        DrvCXD2856_i2c_forget_banks(&s->i2c);
        b.kit(kit_integ_Initialize(&s->integ));
        DrvCXD2856_i2c_forget_banks(&s->i2c);
    }
    const Item before[] = {{kItem45, 1}, {kItemTsFlag, common.ts_flag ? 1u : 0u}};
    for (const Item& item : before) {
        Burst b(err, s);
        b.kit(kit_demod_SetConfig(&s->demod, item.id, item.value));
    }
    // Read by the kit when it brings the chip from sleep to active.
    s->demod.tunerFilter = common.external_board ? 1 : 0;
    const Item after[] = {{kItemParallelTs, 1}, {kItemTsOutput2, 1}, {kItemDvbcPerWindow, 11}, {kItemDvbtPerWindow, 11}};
    for (const Item& item : after) {
        Burst b(err, s);
        b.kit(kit_demod_SetConfig(&s->demod, item.id, item.value));
    }
    return err;
}

#include "DrvCXD2856_default.h"

void DrvCXD2856_default_common_configuration(st_t_plugplag_CXD2856* record)
{
    if (!record)
        return;
    record->common.poweron_delay_ms = 600;
    record->common.ts_flag = 1;
    record->common.external_board = 1;
}

st_t_plugplag_CXD2856* DrvCXD2856_plugplag(void)
{
    static st_t_plugplag_CXD2856 record{};
    return &record;
}

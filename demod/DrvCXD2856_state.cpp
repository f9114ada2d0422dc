#include "DrvCXD2856_state.h"

st_t_data_CXD2856* DrvCXD2856_state(void)
{
    static st_t_data_CXD2856 state{};
    return &state;
}

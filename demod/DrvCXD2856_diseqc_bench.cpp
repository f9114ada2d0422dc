#include "DrvCXD2856_diseqc_bench.h"

#include "DrvCXD2856_kit_result.h"
#include "embedded_debug.h"

#include "chipkit/kit_demod_sat_device_ctrl.h"
#include "chipkit/kit_diseqc_command.h"
#include "chipkit/kit_integ_sat_device_ctrl.h"
#include "hw/intersil_tps65233.h"

#include <cstdio>
#include <string>

namespace {

constexpr uint8_t kFramingMasterNoReply = 0xE0;
constexpr uint8_t kAddressAnyDevice = 0x00;
constexpr uint32_t kToneKHz = 22;

using Builder = kit_result_t (*)(kit_diseqc_message_t*, uint8_t, uint8_t, uint8_t);

void print(const kit_diseqc_message_t& m)
{
    std::string line = "DiSEqC command data : ";
    for (uint8_t i = 0; i < m.length && i < KIT_DISEQC_MESSAGE_LENGTH_MAX; ++i) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "%s0x%02X", i ? ", " : "", m.data[i]);
        line += byte;
    }
    line += "\n";
    EMBEDDEDDEBUG_string(line.c_str());
}

kit_result_t send(kit_integ_t* integ, Builder build, uint8_t data)
{
    kit_diseqc_message_t m{};
    kit_result_t r = build(&m, kFramingMasterNoReply, kAddressAnyDevice, data);
    if (r == KIT_RESULT_OK)
        r = kit_integ_sat_device_ctrl_TransmitDiseqcCommand(integ, 0, 0, 1, &m, 1, nullptr, 0);
    if (r == KIT_RESULT_OK)
        print(m);
    return r;
}

kit_result_t run(st_t_data_CXD2856* s)
{
    kit_lnbc_t lnbc{};
    kit_result_t r = intersil_tps65233_Create(&lnbc, DRVCXD2856_BENCH_LNBC_ADDRESS, &s->i2c);
    if (r == KIT_RESULT_OK)
        r = lnbc.SetConfig(&lnbc, 0, 0);
    if (r == KIT_RESULT_OK)
        r = kit_demod_sat_device_ctrl_DSQOUTSetting(&s->demod, 0, kToneKHz);
    kit_integ_t integ{};
    integ.demod = &s->demod;
    integ.lnbc = &lnbc;
    if (r == KIT_RESULT_OK)
        r = send(&integ, kit_diseqc_command_WriteN0, 0xF8);
    if (r == KIT_RESULT_OK)
        r = send(&integ, kit_diseqc_command_WriteN1, 0xF2);
    return r;
}

} // namespace

KxlDrvLibError* DrvCXD2856_m_22KHz_enable(KxlDrvLibError* err, st_t_data_CXD2856* s)
{
    KxlDrvLib_error_ok(err);
    if (!s) {
        DrvCXD2856_translate_kit_result(KIT_RESULT_ERROR_ARG, err);
        return err;
    }
    DrvCXD2856_i2c_clear_error(&s->i2c);
    return DrvCXD2856_take_kit_result(err, &s->i2c, run(s));
}

KxlDrvLibError* DrvCXD2856_22KHz_enable(KxlDrvLibError* err)
{
    return DrvCXD2856_m_22KHz_enable(err, DrvCXD2856_state());
}

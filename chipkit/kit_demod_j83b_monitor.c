#include "kit_demod_j83b_monitor.h"

#include "kit_demod.h"
#include "kit_math.h"

#define J83B KIT_DTV_SYSTEM_J83B

kit_result_t kit_demod_j83b_monitor_SyncStat(kit_demod_t* demod, uint8_t* arLock, uint8_t* tsLock,
                                             uint8_t* unlockDetected)
{
    return kit_demod_scqam_monitor_SyncStat(demod, J83B, arLock, tsLock, unlockDetected);
}

kit_result_t kit_demod_j83b_monitor_IFAGCOut(kit_demod_t* demod, uint32_t* agc)
{
    return kit_demod_scqam_monitor_IFAGCOut(demod, J83B, agc);
}

kit_result_t kit_demod_j83b_monitor_QAM(kit_demod_t* demod, kit_scqam_constellation_t* qam)
{
    return kit_demod_scqam_monitor_QAM(demod, J83B, qam);
}

kit_result_t kit_demod_j83b_monitor_SymbolRate(kit_demod_t* demod, uint32_t* sps)
{
    return kit_demod_scqam_monitor_SymbolRate(demod, J83B, sps);
}

kit_result_t kit_demod_j83b_monitor_CarrierOffset(kit_demod_t* demod, int32_t* kHz)
{
    return kit_demod_scqam_monitor_CarrierOffset(demod, J83B, kHz);
}

kit_result_t kit_demod_j83b_monitor_SNR(kit_demod_t* demod, int32_t* snr)
{
    return kit_demod_scqam_monitor_SNR(demod, J83B, snr);
}

kit_result_t kit_demod_j83b_monitor_PreRSBER(kit_demod_t* demod, uint32_t* ber)
{
    return kit_demod_scqam_monitor_PreRSBER(demod, J83B, ber);
}

kit_result_t kit_demod_j83b_monitor_PacketErrorNumber(kit_demod_t* demod, uint32_t* count)
{
    return kit_demod_scqam_monitor_PacketErrorNumber(demod, J83B, count);
}

kit_result_t kit_demod_j83b_monitor_PER(kit_demod_t* demod, uint32_t* per)
{
    return kit_demod_scqam_monitor_PER(demod, J83B, per);
}

kit_result_t kit_demod_j83b_adv_monitor_Constellation(kit_demod_t* demod, int8_t* i, int8_t* q)
{
    return kit_demod_scqam_adv_monitor_Constellation(demod, J83B, i, q);
}

kit_result_t kit_demod_j83b_monitor_SpectrumSense(kit_demod_t* demod, uint8_t* inverted)
{
    if (!inverted)
        return KIT_RESULT_ERROR_ARG;
    kit_result_t r = kit_demod_CheckActive(demod, J83B);
    if (r != KIT_RESULT_OK)
        return r;
    uint8_t valid = 0, sense = 0;
    r = kit_demod_MonitorFreeze(demod);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x80, 0x50, &valid, 1);
    if (r == KIT_RESULT_OK && !(valid & 0x01))
        r = KIT_RESULT_ERROR_HW_STATE;
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x80, 0x55, &sense, 1);
    r = kit_demod_MonitorRelease(demod, r);
    if (r != KIT_RESULT_OK)
        return r;
    sense &= 0x01;
    *inverted = demod->ifSpectrumInverted ? !sense : sense;
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_j83b_monitor_SamplingOffset(kit_demod_t* demod, int32_t* offset)
{
    if (!offset)
        return KIT_RESULT_ERROR_ARG;
    kit_scqam_constellation_t qam = 0;
    uint32_t rate = 0;
    kit_result_t r = kit_demod_j83b_monitor_QAM(demod, &qam);
    if (r == KIT_RESULT_OK)
        r = kit_demod_j83b_monitor_SymbolRate(demod, &rate);
    if (r != KIT_RESULT_OK)
        return r;
    uint64_t nominal;
    if (demod->bandwidth == KIT_DTV_BW_J83B_50 && qam == KIT_SCQAM_64QAM)
        nominal = 5056941;
    else if (demod->bandwidth == KIT_DTV_BW_J83B_50 && qam == KIT_SCQAM_256QAM)
        nominal = 5360537;
    else if (demod->bandwidth == KIT_DTV_BW_J83B_51 && qam == KIT_SCQAM_256QAM)
        nominal = 5600000;
    else
        return KIT_RESULT_ERROR_HW_STATE;
    // Signed: a signal faster than nominal gives a negative offset, not a wrapped one.
    const int64_t ratio = (int64_t)kit_math_DivRound((uint64_t)rate * 100000000u, nominal);
    *offset = (int32_t)(100000000 - ratio);
    return KIT_RESULT_OK;
}

kit_result_t kit_demod_j83b_monitor_Interleave(kit_demod_t* demod, uint8_t* code)
{
    if (!code)
        return KIT_RESULT_ERROR_ARG;
    uint8_t b[2] = {0, 0};
    kit_result_t r = kit_demod_CheckActive(demod, J83B);
    if (r == KIT_RESULT_OK)
        r = kit_demod_ReadRegsInBank(demod, KIT_DEMOD_SLVT, 0x80, 0x53, b, 2);
    if (r != KIT_RESULT_OK)
        return r;
    if (!(b[0] & 0x01))
        return KIT_RESULT_ERROR_HW_STATE;
    *code = b[1] & 0x0F;
    return KIT_RESULT_OK;
}

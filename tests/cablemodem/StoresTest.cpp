// The result stores' rules at their limits, coded readings and bounded texts.
#include "cablemodem/cableModen.h"
#include "cablemodem/modemStores.h"

#include <gtest/gtest.h>

#include <string>

TEST(ModemStores, LimitsAndOutOfRangeIndexes)
{
    InicialitzaUpstream();
    EXPECT_EQ(GetPowerUpstream(), 110);
    EXPECT_EQ(GetModemRcvFrequencyUp(), 40000000);
    // value, accepted: a refused value leaves the last accepted one.
    const std::pair<int, int> powers[] = {{56, -1}, {116, -1}, {57, 0}, {115, 0}};
    for (auto [power, result] : powers) {
        EXPECT_EQ(SetPowerUpstream(power), result) << power;
        EXPECT_EQ(GetPowerUpstream(), result == 0 ? power : 110) << power;
    }
    const std::pair<int, int> frequencies[] = {{4999999, -1}, {85000001, -1}, {5000000, 0}, {85000000, 0}};
    for (auto [hz, result] : frequencies) {
        EXPECT_EQ(SetModemRcvFrequencyUp(hz), result) << hz;
        EXPECT_EQ(GetModemRcvFrequencyUp(), result == 0 ? hz : 40000000) << hz;
    }
    for (int index : {5, 6, -1})
        SetSymbolRateUpstream_index(index);
    EXPECT_EQ(GetSymbolRateUpstream(), 5);
    EXPECT_EQ(GetUpstreamBandwidth(100), 157500);
    EXPECT_EQ(GetUpstreamBandwidth(5120), 6400000);

    SetMesuresRegistre30(8, 5);
    SetMesuresRegistre30(-1, 5);
    EXPECT_EQ(GetMesuresRegistre30(8), UNMEASURED);
    SetCanalsAcquiritsPower(99, 123);
    SetCanalsAcquiritsPower(100, 456);
    EXPECT_EQ(GetCanalsAcquiritsPower(99), 123);
    EXPECT_EQ(GetCanalsAcquiritsPower(100), 0);
    EXPECT_EQ(GetCanalsAcquiritsUCI(100), nullptr);
    SetModemMeasuresPower_group(8, 1);
    EXPECT_EQ(GetModemMeasuresPower_group(8), UNMEASURED);
    SetGrupDocsisActiu(0);
    EXPECT_EQ(GetQuantitatPortadoresGrupDocsisActiu(), 0);
    SetGrupDocsisActiu(1);
    for (int i = 0; i < 16; ++i)
        SetCanalGrupDocsis(i, i < 4 ? 20 + i : 255);
    EXPECT_EQ(GetQuantitatPortadoresGrupDocsisActiu(), 4);
    for (int i = 0; i < 16; ++i)
        SetCanalGrupDocsis(i, 30);
    EXPECT_EQ(GetQuantitatPortadoresGrupDocsisActiu(), 16);

    // Texts are held to their buffers, without the line's return.
    SetModemMeasuresIp_CableModem_Mac("00:11:22:33:44:55\r");
    EXPECT_STREQ(GetModemMeasuresIp_CableModem_Mac(), "00:11:22:33:44:55");
    SetModemMeasures_CableModem_FW(std::string(300, 'f').c_str());
    EXPECT_EQ(std::string(GetModemMeasures_CableModem_FW()), std::string(99, 'f'));
    EXPECT_EQ(DecodeModUp("1024QAM-OFDMA"), -1);
    EXPECT_STREQ(GetModulation_UpStr(), "1024QAM-OF");
    SetModemMeasuresIp_Gateway("10.1.2.1 \r");
    EXPECT_EQ(GetModemMeasuresIp_Gateway(), 0x0A010201);

    // Registered without internet is kept apart.
    SetInternet(0);
    SetModemStatus(MODEM_STATUS_REGISTERED);
    EXPECT_EQ(GetModemStatus(), 1733);
    SetInternet(1);
    SetModemStatus(MODEM_STATUS_REGISTERED);
    EXPECT_EQ(GetModemStatus(), 1713);
}

TEST(ModemStores, ResetValuesAndCodedReadings)
{
    InicialitzarMesuresDownstream();
    PhyChannel* phy = GetPhyPointer();
    EXPECT_EQ(phy[7].preBerKind, 3);
    EXPECT_EQ(phy[0].postBerKind, 3);
    EXPECT_EQ(GetModemMeasuresPower_Down(), UNMEASURED);
    for (int code = 0x2001302; code <= 0x200130C; ++code)
        EXPECT_EQ(GetParametreIntDownstream(code, 0), UNMEASURED) << std::hex << code;
    // Negative figures carry bit 23; the offset is truncated.
    phy[1].frequency = 602000000;
    phy[1].mse = 352;
    phy[1].energyBackoff = 10;
    phy[1].power = 35;
    phy[1].annex = 1;
    phy[1].carrierOffset = -1250.7;
    const std::pair<int, int> coded[] = {{0x2001302, 602000000}, {0x2001308, -352 | 0x800000},
                                         {0x2001305, -10 | 0x800000}, {0x2001309, 35 | 0x800000},
                                         {0x2001306, 1}, {0x200130C, -1250}, {0x2001303, UNMEASURED}};
    for (auto [code, value] : coded)
        EXPECT_EQ(GetParametreIntDownstream(code, 1), value) << std::hex << code;
    EXPECT_EQ(GetParametreIntDownstream(0x2001302, 8), UNMEASURED);
    EXPECT_EQ(GetParametreIntDownstream(0x2001302, -1), UNMEASURED);
    // The symbol rate follows the modulation; an order not known leaves the last.
    EXPECT_EQ(DecodeModDown(32), MODEM_MOD_32QAM);
    EXPECT_EQ(GetModemMeasuresSymbolRate_Down(), UNMEASURED);
    EXPECT_EQ(DecodeModDown(1024), -1);
    EXPECT_EQ(GetModemMeasuresModulation_Down(), MODEM_MOD_32QAM);

    // The registration walk's reset clears the channels it walks.
    InicialitzaMesuresRegistre30();
    EXPECT_EQ(GetPhyPointer()[1].frequency, 0);
    InicialitzarMesuresIPTV();
    // A hop without a measurement reads as such, not as an overflowed loss.
    EXPECT_EQ(GetParamNodeIPTV(2024), UNMEASURED);
    GetNodesIPTV()[0].lost = 3;
    EXPECT_EQ(GetParamNodeIPTV(2024), 1000);
}

// The result stores' rules at their limits, their reset values and bounded texts.
#include "cablemodem/cableModen.h"
#include "cablemodem/modemStores.h"

#include <gtest/gtest.h>

#include <string>

TEST(ModemStores, UpstreamGeneratorLimits)
{
    InicialitzaUpstream();
    EXPECT_EQ(GetPowerUpstream(), 110);
    EXPECT_EQ(SetPowerUpstream(56), -1);
    EXPECT_EQ(SetPowerUpstream(116), -1);
    EXPECT_EQ(GetPowerUpstream(), 110);
    EXPECT_EQ(SetPowerUpstream(57), 0);
    EXPECT_EQ(GetPowerUpstream(), 57);
    EXPECT_EQ(SetPowerUpstream(115), 0);
    EXPECT_EQ(GetPowerUpstream(), 115);
    EXPECT_EQ(CalculaGuany(110), 10);

    EXPECT_EQ(GetModemRcvFrequencyUp(), 40000000);
    EXPECT_EQ(SetModemRcvFrequencyUp(4999999), -1);
    EXPECT_EQ(SetModemRcvFrequencyUp(85000001), -1);
    EXPECT_EQ(GetModemRcvFrequencyUp(), 40000000);
    EXPECT_EQ(SetModemRcvFrequencyUp(5000000), 0);
    EXPECT_EQ(GetModemRcvFrequencyUp(), 5000000);
    EXPECT_EQ(SetModemRcvFrequencyUp(85000000), 0);
    EXPECT_EQ(GetModemRcvFrequencyUp(), 85000000);

    SetSymbolRateUpstream_index(5);
    SetSymbolRateUpstream_index(6);
    SetSymbolRateUpstream_index(-1);
    EXPECT_EQ(GetSymbolRateUpstream(), 5);

    EXPECT_EQ(GetUpstreamBandwidth(100), 157500);
    EXPECT_EQ(GetUpstreamBandwidth(5120), 6400000);
}

TEST(ModemStores, ModulationDecoding)
{
    EXPECT_EQ(DecodeModDown(64), MODEM_MOD_64QAM);
    EXPECT_EQ(GetModemMeasuresSymbolRate_Down(), 5057);
    EXPECT_EQ(DecodeModDown(256), MODEM_MOD_256QAM);
    EXPECT_EQ(GetModemMeasuresSymbolRate_Down(), 5361);
    EXPECT_EQ(DecodeModDown(32), MODEM_MOD_32QAM);
    EXPECT_EQ(GetModemMeasuresSymbolRate_Down(), UNMEASURED);
    EXPECT_EQ(DecodeModDown(1024), -1);
    EXPECT_EQ(GetModemMeasuresModulation_Down(), MODEM_MOD_32QAM);

    EXPECT_EQ(DecodeModUp("QPSK"), 5);
    EXPECT_EQ(DecodeModUp("8"), 7);
    EXPECT_EQ(DecodeModUp("16"), 0);
    EXPECT_EQ(DecodeModUp("32"), 6);
    EXPECT_EQ(DecodeModUp("64"), 2);
    EXPECT_EQ(DecodeModUp("128"), 3);
    EXPECT_EQ(DecodeModUp("1024QAM-OFDMA"), -1);
    EXPECT_STREQ(GetModulation_UpStr(), "1024QAM-OF");

    EXPECT_EQ(GetBitsSymbol(256), 8);
    EXPECT_EQ(codec_to_number("G711"), 1);
}

TEST(ModemStores, DownstreamRecordsAndTheirCodedReadings)
{
    InicialitzarMesuresDownstream();
    PhyChannel* phy = GetPhyPointer();
    EXPECT_EQ(phy[7].preBerKind, 3);
    EXPECT_EQ(phy[0].postBerKind, 3);
    EXPECT_EQ(GetModemMeasuresPower_Down(), UNMEASURED);
    for (int code = 0x2001302; code <= 0x200130C; ++code)
        EXPECT_EQ(GetParametreIntDownstream(code, 0), UNMEASURED) << std::hex << code;

    phy[1].frequency = 602000000;
    phy[1].mse = 352;
    phy[1].energyBackoff = 10;
    phy[1].power = 35;
    phy[1].annex = 1;
    phy[1].carrierOffset = -1250.7;
    EXPECT_EQ(GetParametreIntDownstream(0x2001302, 1), 602000000);
    EXPECT_EQ(GetParametreIntDownstream(0x2001308, 1), -352 | 0x800000);
    EXPECT_EQ(GetParametreIntDownstream(0x2001305, 1), -10 | 0x800000);
    EXPECT_EQ(GetParametreIntDownstream(0x2001309, 1), 35 | 0x800000);
    EXPECT_EQ(GetParametreIntDownstream(0x2001306, 1), 1);
    EXPECT_EQ(GetParametreIntDownstream(0x200130C, 1), -1250);
    EXPECT_EQ(GetParametreIntDownstream(0x2001303, 1), UNMEASURED);
    EXPECT_EQ(GetParametreIntDownstream(0x2001302, 8), UNMEASURED);
    EXPECT_EQ(GetParametreIntDownstream(0x2001302, -1), UNMEASURED);

    InicialitzarMesuresUpstream();
    EXPECT_EQ(GetUpsPointer()[3].uci, UNMEASURED);
    EXPECT_EQ(GetUpsPointer()[3].symbolRate, 0);

    InicialitzaMesuresRegistre30();
    EXPECT_EQ(GetMesuresRegistre30(7), UNMEASURED);
    EXPECT_EQ(GetChannelRegistre30(0), UNMEASURED);
    EXPECT_EQ(GetPhyPointer()[1].frequency, 0);
}

TEST(ModemStores, IndexedAccessorsRefuseOutOfRange)
{
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

    InitValorsModemLogger();
    EXPECT_EQ(GetModemMeasuresChannel_group(7), 182);
    EXPECT_EQ(GetModemMeasuresFrequency_group(0), UNMEASURED);

    SetGrupDocsisActiu(0);
    EXPECT_EQ(GetQuantitatPortadoresGrupDocsisActiu(), 0);
    SetGrupDocsisActiu(1);
    for (int i = 0; i < 16; ++i)
        SetCanalGrupDocsis(i, i < 4 ? 20 + i : 255);
    EXPECT_EQ(GetQuantitatPortadoresGrupDocsisActiu(), 4);
    for (int i = 0; i < 16; ++i)
        SetCanalGrupDocsis(i, 30);
    EXPECT_EQ(GetQuantitatPortadoresGrupDocsisActiu(), 16);
}

TEST(ModemStores, IdentityTextsAndAddresses)
{
    SetModemMeasuresIp_CableModem_Mac("00:11:22:33:44:55\r");
    EXPECT_STREQ(GetModemMeasuresIp_CableModem_Mac(), "00:11:22:33:44:55");
    const std::string longName(300, 'f');
    SetModemMeasures_CableModem_FW(longName.c_str());
    EXPECT_EQ(std::string(GetModemMeasures_CableModem_FW()), std::string(99, 'f'));
    EXPECT_STREQ(GetCadenaVersioCableModem(), "-----");

    SetModemMeasuresIp_Gateway("10.1.2.1 \r");
    EXPECT_EQ(GetModemMeasuresIp_Gateway(), 0x0A010201);
    InicialitzarMesuresIp();
    EXPECT_EQ(GetModemMeasuresIp_Gateway(), 0);
    EXPECT_STREQ(GetModemMeasuresIpConfigFile(), "---");

    InicialitzarMesuresIPTV();
    EXPECT_STREQ(GetNodesIPTV()[29].address, "---.---.---.---");
    EXPECT_EQ(GetParamNodeIPTV(2021), 0);
    // A hop without a measurement reads as such, not as an overflowed loss.
    EXPECT_EQ(GetParamNodeIPTV(2024), UNMEASURED);
    GetNodesIPTV()[0].lost = 3;
    EXPECT_EQ(GetParamNodeIPTV(2024), 1000);
}

TEST(ModemStatus, RegisteredWithoutInternetIsKeptApart)
{
    SetInternet(0);
    SetModemStatus(MODEM_STATUS_REGISTERED);
    EXPECT_EQ(GetModemStatus(), 1733);
    SetInternet(1);
    SetModemStatus(MODEM_STATUS_REGISTERED);
    EXPECT_EQ(GetModemStatus(), 1713);
    SetModemStatus(MODEM_STATUS_TUNING);
    EXPECT_EQ(GetModemStatus(), 1712);
}

#include "modemMaps30.h"

#include "modemExchange.h"
#include "modemStores.h"

QVariantMap phyChannelMap30(int index)
{
    if (index < 0 || index >= PHY_CHANNELS)
        return {};
    const PhyChannel& p = GetPhyPointer()[index];
    return {
        {"index", index},
        {"freq", p.frequency},
        {"mod", p.modulation},
        {"annex", p.annex},
        {"mse", p.mse},
        {"ebo", p.energyBackoff},
        {"preber", p.preBer},
        {"postber", p.postBer},
        {"pre_range", p.preBerKind},
        {"post_range", p.postBerKind},
        {"offset", p.carrierOffset},
        {"ili", p.interleaverI},
        {"ilj", p.interleaverJ},
        {"qamlock", p.qamLock != 0},
        {"feclock", p.fecLock != 0},
        {"mpeglock", p.mpegLock != 0},
        {"power", p.power},
        // The record's int after the power.
        {"acquired", p.preBerBound},
        {"prebersym", p.preBerBound},
        {"postbersym", p.postBerBound},
        {"sr", p.symbolRate},
    };
}

QVariantMap newTuneMap30() { return {{"freq", 0}}; }

QVariantList upstreamChannelList30(bool withIdAndPower)
{
    QVariantList list;
    const UpsChannel* ups = GetUpsPointer();
    for (int i = 0; i < UPS_CHANNELS; ++i) {
        const UpsChannel& u = ups[i];
        if (u.frequency == 0 || u.frequency == UNMEASURED)
            continue;
        if (withIdAndPower && (u.uci == UNMEASURED || u.power == UNMEASURED))
            continue;
        list.append(QVariantMap{{"index", i},           {"frequency_bw", u.frequency}, {"mod", u.modulation},
                                {"sr", u.symbolRate},   {"power", u.power},            {"bw", u.bandwidth},
                                {"uci", u.uci}});
    }
    return list;
}

QVariantMap ipInformation30()
{
    auto address = [](int value) { return QString::fromLatin1(Int2IP(value)); };
    return {
        {"tftp", address(GetModemMeasuresIp_TFTP())},
        {"dhcp", address(GetModemMeasuresIp_DHCP())},
        {"ip", address(GetModemMeasuresIp_CableModem())},
        {"gateway", address(GetModemMeasuresIp_Gateway())},
        {"mask", address(GetModemMeasuresIp_Netmask())},
        {"mac", QString::fromLatin1(GetModemMeasuresIp_CableModem_Mac())},
    };
}

// The constellation engine's result map: lock state, the system and the working frequency,
// the standard's quality figures and signalling as display texts, and the grid size of the
// constellation received.
#include "mesuraiq.h"

#include "services/software.h"
#include "demod/DrvCXD2856.h"
#include "demod/DrvCXD2856_read_per.h"
#include "demod/DrvDefCodes.h"

#include <QDebug>

namespace {

constexpr uint32_t kPacketsCable = 2048;      // DVB-C, J.83B and DVB-C2 error-rate blocks
constexpr uint32_t kPacketsSatellite = 1000000;
constexpr uint32_t kUnlocked = 3;
constexpr int kSquaresUnlockedOfdm = 8;

// The screen's constellation for a DVB-S2 PLS modulation.
uint32_t constellationOfPls(uint32_t modulation)
{
    switch (modulation) {
    case KIT_DVBS2_MODULATION_8PSK: return eCONST_8PSK;
    case KIT_DVBS2_MODULATION_16APSK: return eCONST_16APSK;
    case KIT_DVBS2_MODULATION_32APSK: return eCONST_32APSK;
    default: return eCONST_QPSK;
    }
}

QString kbd(uint32_t bd) { return QString::number(bd / 1000); }

} // namespace

int MesuraIQ::get_info_auto_demod(uint8_t locked)
{
    const Settings s = settings();
    QVariantMap& m = m_dades_iq;
    m.insert(QStringLiteral("locked"), static_cast<int>(locked));
    m.insert(QStringLiteral("system"), s.system);
    uint8_t flag = 0;
    uint32_t constellation = 0;
    uint32_t merStatus = kUnlocked, cberStatus = kUnlocked;
    int32_t mer = 0;
    float cber = 0;
    // The DVB-S2 quality figures are shown only for the PSK modulations.
    bool quality = true;
    // Post-BER of the packet errors after correction: accumulated while locked and the reader
    // answers (the last text stays when it does not), reset while unlocked.
    auto postBer = [&](uint8_t (*read)(uint32_t*, KxlDrvLibError*), uint32_t block) {
        if (!locked) {
            m.insert(QStringLiteral("post_ber"), ActualitzaPostBer(true, false, 0, 0));
            return;
        }
        KxlDrvLibError err{};
        uint32_t errors = 0;
        if (read(&errors, &err))
            m.insert(QStringLiteral("post_ber"), ActualitzaPostBer(false, true, errors, block));
    };
    auto ber = [&](const char* key, uint32_t (*get)(uint32_t*, float*)) {
        uint32_t status = kUnlocked;
        float value = 0;
        get(&status, &value);
        m.insert(QString::fromLatin1(key), getStringBER(locked, status, value));
    };
    switch (s.system) {
    case 0:
    case 1: {
        const bool dvbc = s.system == 0;
        constellation = (dvbc ? DrvCXD2856_dvbc_get_constellation : DrvCXD2856_annexb_get_constellation)(&flag);
        (dvbc ? DrvCXD2856_dvbc_get_mer : DrvCXD2856_annexb_get_mer)(&merStatus, &mer);
        (dvbc ? DrvCXD2856_dvbc_get_cber : DrvCXD2856_annexb_get_cber)(&cberStatus, &cber);
        const uint32_t rate = (dvbc ? DrvCXD2856_dvbc_get_symbol_rate : DrvCXD2856_annexb_get_symbol_rate)(&flag);
        m.insert(QStringLiteral("symbol_rate"), kbd(rate));
        postBer(dvbc ? DrvCXD2856_dvbc_read_PER : DrvCXD2856_annexb_read_PER, kPacketsCable);
        break;
    }
    case 2: {
        constellation = DrvCXD2856_dvbt_get_constellation(&flag);
        DrvCXD2856_dvbt_get_mer(&merStatus, &mer);
        DrvCXD2856_dvbt_get_cber(&cberStatus, &cber);
        ber("v_ber", DrvCXD2856_dvbt_get_vber);
        m.insert(QStringLiteral("guard"), getStringGuard(locked, DrvCXD2856_dvbt_get_guard(&flag)));
        m.insert(QStringLiteral("mode"), getStringMode(locked, DrvCXD2856_dvbt_get_mode(&flag)));
        uint32_t lp = 0, hierarchy = 0;
        const uint32_t hp = DrvCXD2856_dvbt_get_coderate(&lp, &hierarchy, &flag);
        m.insert(QStringLiteral("hp_code_rate"), getStringCodeRate(locked, hp));
        m.insert(QStringLiteral("lp_code_rate"), getStringCodeRate(locked, lp));
        m.insert(QStringLiteral("hierarchy"), getStringHierarchy(locked, hierarchy));
        break;
    }
    case 3: {
        constellation = DrvCXD2856_dvbt2_get_plp_constellation_type();
        DrvCXD2856_dvbt2_get_mer(&merStatus, &mer);
        DrvCXD2856_dvbt2_get_cber(&cberStatus, &cber);
        ber("l_ber", DrvCXD2856_dvbt2_get_ldpcber);
        m.insert(QStringLiteral("guard"), getStringGuard(locked, DrvCXD2856_dvbt2_get_guard(&flag)));
        m.insert(QStringLiteral("mode"), getStringMode(locked, DrvCXD2856_dvbt2_get_mode(&flag)));
        m.insert(QStringLiteral("hp_code_rate"), getStringCodeRate(locked, DrvCXD2856_dvbt2_get_plp_coderate()));
        uint8_t base = 0, lite = 0;
        DrvCXD2856_dvbt2_get_profile(&base, &lite);
        m.insert(QStringLiteral("profile"), getStringProfile(locked, base != 0, lite != 0));
        m.insert(QStringLiteral("pilot_patern"), getStringPilotPattern(locked, DrvCXD2856_dvbt2_get_pilot_pattern()));
        m.insert(QStringLiteral("constellation_rotation"),
                 getStringConstellationRotation(locked, DrvCXD2856_dvbt2_get_plp_constellation_rotation()));
        m.insert(QStringLiteral("plp_id"), QString::number(DrvCXD2856_dvbt2_get_plp_id()));
        break;
    }
    case 4:
        // Layer A.
        constellation = DrvCXD2856_isdbt_get_constellation(0, &flag);
        DrvCXD2856_isdbt_get_mer(&merStatus, &mer);
        qDebug() << "pi_mer : " << mer;
        qDebug() << "pe_range_mer : " << merStatus;
        DrvCXD2856_isdbt_get_cber(&cberStatus, &cber);
        ber("v_ber", DrvCXD2856_isdbt_get_vber);
        m.insert(QStringLiteral("guard"), getStringGuard(locked, DrvCXD2856_isdbt_get_guard(&flag)));
        m.insert(QStringLiteral("mode"), getStringMode(locked, DrvCXD2856_isdbt_get_mode(&flag)));
        // The driver gives the layer's rate in its own numbering.
        m.insert(QStringLiteral("code_rate"), getStringCodeRate(locked, DrvCXD2856_isdbt_get_coderate(0, &flag)));
        break;
    case 5:
        constellation = DrvCXD2856_dvbs_get_constellation(&flag);
        if (locked)
            m.insert(QStringLiteral("symbol_rate"), kbd(DrvCXD2856_dvbs_get_symbol_rate()));
        m.insert(QStringLiteral("hp_code_rate"),
                 getStringCodeRate(locked, DrvCXD2856_dvbs_get_code_rate(), CodeRates::Dvbs));
        DrvCXD2856_dvbs_get_mer(&merStatus, &mer);
        DrvCXD2856_dvbs_get_cber(&cberStatus, &cber);
        postBer(DrvCXD2856_dvbs_read_PER, kPacketsSatellite);
        break;
    case 6: {
        KxlDrvLibError err{};
        kit_dvbs2_plscode_t pls{};
        pls.modulation = KIT_DVBS2_MODULATION_INVALID;
        DrvCXD2856_dvbs2_get_code_rate_and_constellation(&err, &pls);
        constellation = constellationOfPls(pls.modulation);
        if (locked)
            m.insert(QStringLiteral("symbol_rate"), kbd(DrvCXD2856_dvbs_get_symbol_rate()));
        m.insert(QStringLiteral("hp_code_rate"), getStringCodeRate(locked, pls.codeRate, CodeRates::Dvbs2));
        DrvCXD2856_dvbs2_get_mer(&merStatus, &mer);
        DrvCXD2856_dvbs2_get_cber(&cberStatus, &cber);
        quality = pls.modulation == KIT_DVBS2_MODULATION_QPSK || pls.modulation == KIT_DVBS2_MODULATION_8PSK;
        if (quality)
            postBer(DrvCXD2856_dvbs_read_PER, kPacketsSatellite);
        else
            m.insert(QStringLiteral("post_ber"), ActualitzaPostBer(true, false, 0, 0));
        break;
    }
    case 7: {
        constellation = DrvCXD2856_dvbc2_get_plp_constellation_type();
        DrvCXD2856_dvbc2_get_mer(&merStatus, &mer);
        DrvCXD2856_dvbc2_get_cber(&cberStatus, &cber);
        m.insert(QStringLiteral("guard"), getStringGuard(locked, DrvCXD2856_dvbc2_get_guard(&flag)));
        m.insert(QStringLiteral("hp_code_rate"), getStringCodeRate(locked, DrvCXD2856_dvbc2_get_plp_coderate()));
        m.insert(QStringLiteral("pslice_id"), QString::number(DrvCXD2856_dvbc2_get_dslice_id()));
        m.insert(QStringLiteral("plp_id"), QString::number(DrvCXD2856_dvbc2_get_plp_id()));
        postBer(DrvCXD2856_dvbc2_read_PER, kPacketsCable);
        break;
    }
    default: break;
    }
    const bool ofdm = s.system == 2 || s.system == 3 || s.system == 4;
    const int squares = ofdm && !locked ? kSquaresUnlockedOfdm : getNumberCuadresConstellation(constellation);
    if (Software::getInstance()->getOclaro())
        limitsOclaro(&merStatus, &mer, cberStatus, &cber);
    m.insert(QStringLiteral("mer"), getStringMER(locked && quality, merStatus, mer));
    m.insert(QStringLiteral("pre_ber"), getStringBER(locked && quality, cberStatus, cber));
    m.insert(QStringLiteral("modulation"), getStringModulation(locked, constellation));
    m.insert(QStringLiteral("frequency"), s.frequency);
    m.insert(QStringLiteral("quadres_const"), squares);
    return squares;
}

#include "DrvCXD2856_adjust.h"

#include "DrvCXD2856_default.h"
#include "embedded_rtos.h"
#include "read_pp.h"

namespace {

void formatError(KxlDrvLibError* err, const char* text) { KxlDrvLib_error_set(err, KxlDrvLib_code_format, 2, text); }

template <typename Table>
const uint8_t* loadMerTables(Table* tables, int count, int pairs, const uint8_t* p, KxlDrvLibError* err)
{
    for (int i = 0; i < count; ++i)
        p = MEASURE_MER_load_table(&tables[i], pairs, p, err);
    return p;
}

const uint8_t* loadBerTables(t_ber_correction_table* tables, int count, const uint8_t* p, KxlDrvLibError* err)
{
    for (int i = 0; i < count; ++i)
        p = MEASURE_BER_load_table(&tables[i], 20, p, err);
    return p;
}

struct Section {
    uint32_t size;
    const char* heapText;
    const uint8_t* (*load)(st_t_plugplag_CXD2856*, const uint8_t*, KxlDrvLibError*);
    void (*defaults)(st_t_plugplag_CXD2856*);
};

Section sectionOf(eDrvCXD2856_pp_section s)
{
    switch (s) {
    case DRVCXD2856_PP_DVBT:
        return {DRVCXD2856_PP_SIZE_DVBT, DRVCXD2856_TEXT_HEAP, DrvCXD2856_dvbt_load_configuration,
                DrvCXD2856_default_dvbt_configuration};
    case DRVCXD2856_PP_DVBT2:
        return {DRVCXD2856_PP_SIZE_DVBT2, DRVCXD2856_TEXT_HEAP_DVBT2, DrvCXD2856_dvbt2_load_configuration,
                DrvCXD2856_default_dvbt2_configuration};
    case DRVCXD2856_PP_DVBC2:
        return {DRVCXD2856_PP_SIZE_DVBC2, DRVCXD2856_TEXT_HEAP_DVBC2, DrvCXD2856_dvbc2_load_configuration,
                DrvCXD2856_default_dvbc2_configuration};
    case DRVCXD2856_PP_ANNEXB:
        return {DRVCXD2856_PP_SIZE_ANNEXB, DRVCXD2856_TEXT_HEAP, DrvCXD2856_annexb_load_configuration,
                DrvCXD2856_default_annexb_configuration};
    case DRVCXD2856_PP_ISDBT:
        return {DRVCXD2856_PP_SIZE_ISDBT, DRVCXD2856_TEXT_HEAP, DrvCXD2856_isdbt_load_configuration,
                DrvCXD2856_default_isdbt_configuration};
    case DRVCXD2856_PP_DVBC:
    default:
        return {DRVCXD2856_PP_SIZE_DVBC, DRVCXD2856_TEXT_HEAP, DrvCXD2856_dvbc_load_configuration,
                DrvCXD2856_default_dvbc_configuration};
    }
}

} // namespace

const uint8_t* DrvCXD2856_load_common_configuration(st_t_plugplag_common_CXD2856* common, const uint8_t* p,
                                                    KxlDrvLibError* err)
{
    st_t_plugplag_common_CXD2856 scratch{};
    st_t_plugplag_common_CXD2856* c = common ? common : &scratch;
    if (!p)
        return p;
    bool clamped = false;
    uint8_t header = 0;
    p = READ_PP_load_byte(&header, DRVCXD2856_PP_HEADER, DRVCXD2856_PP_HEADER, p, &clamped);
    if (clamped)
        formatError(err, DRVCXD2856_TEXT_PP_HEADER);
    uint8_t version = 0;
    p = READ_PP_load_byte(&version, DRVCXD2856_PP_VERSION, DRVCXD2856_PP_VERSION, p, &clamped);
    if (clamped)
        formatError(err, DRVCXD2856_TEXT_PP_VERSION);
    p = READ_PP_load_word(&c->poweron_delay_ms, 0, DRVCXD2856_POWERON_DELAY_MAX, p, &clamped);
    if (clamped)
        formatError(err, DRVCXD2856_TEXT_PP_DELAY);
    return p;
}

const uint8_t* DrvCXD2856_load_linkmargin_table(int16_t* table, int32_t count, const uint8_t* p, KxlDrvLibError* err)
{
    for (int32_t i = 0; i < count && p; ++i) {
        bool clamped = false;
        int16_t v = 0;
        p = READ_PP_load_sword(&v, DRVCXD2856_LM_MIN, DRVCXD2856_LM_MAX, p, &clamped);
        if (table)
            table[i] = v;
        if (clamped)
            formatError(err, DRVCXD2856_TEXT_PP_LINKMARGIN);
    }
    return p;
}

const uint8_t* DrvCXD2856_dvbt_load_configuration(st_t_plugplag_CXD2856* r, const uint8_t* p, KxlDrvLibError* err)
{
    st_t_plugplag_dvbt_CXD2856& s = r->dvbt;
    for (t_mer_constellation_config& c : s.mer_constellation)
        p = MEASURE_MER_CONSTELLATION_load_config(8, 3, &c, p, err);
    p = loadMerTables(s.mer_table, DRVCXD2856_DVBT_MER_TABLES, 20, p, err);
    return DrvCXD2856_load_linkmargin_table(s.linkmargin, DRVCXD2856_DVBT_LM, p, err);
}

const uint8_t* DrvCXD2856_dvbt2_load_configuration(st_t_plugplag_CXD2856* r, const uint8_t* p, KxlDrvLibError* err)
{
    p = loadMerTables(r->dvbt2.mer_table, DRVCXD2856_DVBT2_MER_TABLES, 20, p, err);
    return DrvCXD2856_load_linkmargin_table(r->dvbt2.linkmargin, DRVCXD2856_DVBT2_LM, p, err);
}

const uint8_t* DrvCXD2856_dvbc_load_configuration(st_t_plugplag_CXD2856* r, const uint8_t* p, KxlDrvLibError* err)
{
    p = loadMerTables(r->dvbc.mer_table, DRVCXD2856_DVBC_TABLES, 32, p, err);
    p = DrvCXD2856_load_linkmargin_table(r->dvbc.linkmargin, DRVCXD2856_DVBC_TABLES, p, err);
    return loadBerTables(r->dvbc.ber_table, DRVCXD2856_DVBC_TABLES, p, err);
}

const uint8_t* DrvCXD2856_dvbc2_load_configuration(st_t_plugplag_CXD2856* r, const uint8_t* p, KxlDrvLibError* err)
{
    p = loadMerTables(r->dvbc2.mer_table, DRVCXD2856_DVBC2_MER_TABLES, 20, p, err);
    return DrvCXD2856_load_linkmargin_table(r->dvbc2.linkmargin, DRVCXD2856_DVBC2_LM, p, err);
}

const uint8_t* DrvCXD2856_annexb_load_configuration(st_t_plugplag_CXD2856* r, const uint8_t* p, KxlDrvLibError* err)
{
    p = loadMerTables(r->annexb.mer_table, DRVCXD2856_ANNEXB_TABLES, 32, p, err);
    p = DrvCXD2856_load_linkmargin_table(r->annexb.linkmargin, DRVCXD2856_ANNEXB_TABLES, p, err);
    return loadBerTables(r->annexb.ber_table, DRVCXD2856_ANNEXB_TABLES, p, err);
}

const uint8_t* DrvCXD2856_isdbt_load_configuration(st_t_plugplag_CXD2856* r, const uint8_t* p, KxlDrvLibError* err)
{
    // The blob carries the 6 MHz 2k and 4k tables only; the others keep what they hold.
    p = loadMerTables(r->isdbt.mer_table, 2, 20, p, err);
    return DrvCXD2856_load_linkmargin_table(r->isdbt.linkmargin, DRVCXD2856_ISDBT_LM, p, err);
}

KxlDrvLibError* DrvCXD2856_update_adjustments(KxlDrvLibError* err, eDrvCXD2856_pp_section id,
                                              DrvCXD2856_adjust_reader_t reader, st_t_plugplag_CXD2856* record)
{
    KxlDrvLib_error_ok(err);
    if (!record)
        return KxlDrvLib_error_set(err, KxlDrvLib_code_null, 0, nullptr);
    const Section section = sectionOf(id);
    DrvCXD2856_default_common_configuration(record);
    section.defaults(record);
    if (!reader)
        return err;

    KxlDrvLibError load{};
    uint8_t* buffer = static_cast<uint8_t*>(EMBEDDEDRTOS_malloc(section.size));
    if (!buffer) {
        // Without a buffer there is nothing for the reader to fill.
        KxlDrvLib_error_set(&load, KxlDrvLib_code_heap, 0, section.heapText);
    } else {
        reader(&load, buffer, section.size);
        if (KxlDrvLib_error_is_ok(&load)) {
            const uint8_t* p = DrvCXD2856_load_common_configuration(&record->common, buffer, &load);
            if (KxlDrvLib_error_is_ok(&load))
                section.load(record, p, &load);
        }
        EMBEDDEDRTOS_free(buffer);
    }
    if (!KxlDrvLib_error_is_ok(&load)) {
        DrvCXD2856_default_common_configuration(record);
        section.defaults(record);
    }
    return KxlDrvLib_error_keep_first(err, &load);
}

#include "KxlDrvLibError.h"

static KxlDrvLibError* assign(KxlDrvLibError* record, uint32_t code, uint32_t argument, const char* text)
{
    if (record) {
        record->code = code;
        record->argument = argument;
        record->text = text;
    }
    return record;
}

KxlDrvLibError* KxlDrvLib_error_ok(KxlDrvLibError* record) { return assign(record, KxlDrvLib_code_ok, 0, nullptr); }

KxlDrvLibError* KxlDrvLib_error_fail(KxlDrvLibError* record)
{
    return assign(record, KxlDrvLib_code_fail, 0, nullptr);
}

int KxlDrvLib_error_is_ok(const KxlDrvLibError* record) { return !record || record->code == KxlDrvLib_code_ok; }

int KxlDrvLib_error_is_i2c(const KxlDrvLibError* record)
{
    return record && record->code >= KxlDrvLib_code_i2c_first && record->code <= KxlDrvLib_code_i2c_last;
}

KxlDrvLibError* KxlDrvLib_error_set(KxlDrvLibError* record, uint32_t code, uint32_t argument, const char* text)
{
    if (record && record->code == KxlDrvLib_code_ok)
        assign(record, code, argument, text);
    return record;
}

KxlDrvLibError* KxlDrvLib_error_keep_first(KxlDrvLibError* record, const KxlDrvLibError* step)
{
    if (step)
        KxlDrvLib_error_set(record, step->code, step->argument, step->text);
    return record;
}

#include "DigitalChannel.h"

namespace platform::sim {

namespace {
struct ModulationInfo {
    Modulation modulation;
    int bits;
    const char* name;
};
constexpr ModulationInfo kModulations[] = {
    {Modulation::Qpsk, 2, "QPSK"},       {Modulation::Dqpsk, 2, "DQPSK"},     {Modulation::Psk8, 3, "8PSK"},
    {Modulation::Apsk16, 4, "16APSK"},   {Modulation::Apsk32, 5, "32APSK"},   {Modulation::Qam16, 4, "16QAM"},
    {Modulation::Qam32, 5, "32QAM"},     {Modulation::Qam64, 6, "64QAM"},     {Modulation::Qam128, 7, "128QAM"},
    {Modulation::Qam256, 8, "256QAM"},   {Modulation::Qam1024, 10, "1024QAM"}, {Modulation::Qam4096, 12, "4096QAM"},
};

const ModulationInfo* find(Modulation m)
{
    for (const ModulationInfo& info : kModulations)
        if (info.modulation == m)
            return &info;
    return nullptr;
}
} // namespace

int bitsPerSymbol(Modulation m)
{
    const ModulationInfo* info = find(m);
    return info ? info->bits : 0;
}

const char* modulationName(Modulation m)
{
    const ModulationInfo* info = find(m);
    return info ? info->name : "unknown";
}

} // namespace platform::sim

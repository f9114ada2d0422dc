#include "readingConverterCmd.h"

#include "exceptionlog.h"
#include "textParameter.h"

#include "engines/measures.h"
#include "rf/mesuraRF.h"

#include <cmath>
#include <cstdio>

namespace remote {

namespace {

enum Port { VBAT, V_LNB, PK_LEVEL, RF_POWER, I_LNB, VAC1, HUM, OPM, P3V3, P5V0, P1V8, P1V0, kPortCount = 15 };

// The LNB voltage is measured on the input-voltage channel.
int channelOf(int port) { return port == V_LNB ? VAC1 : port; }

// The detector selection is shared with the screens' runs: whatever happens here, the one
// in force before the query is back when it ends.
class DetectorKept {
public:
    DetectorKept() : saved_(getDetector()) {}
    ~DetectorKept() { setDetector(saved_); }
    DetectorKept(const DetectorKept&) = delete;
    DetectorKept& operator=(const DetectorKept&) = delete;

private:
    int saved_;
};

unsigned averageOf(int port)
{
    unsigned sum = 0;
    for (int i = 0; i < ReadingConverterCmd::READINGS; ++i) {
        if (port == PK_LEVEL)
            resetTrack();
        sum += static_cast<unsigned>(getLecturaConversorRF(channelOf(port)));
    }
    return sum / ReadingConverterCmd::READINGS;
}

// The value in physical units and the text before it; false for the ports that have none.
bool convert(int port, unsigned raw, double* value, const char** suffix)
{
    switch (port) {
    case VBAT: *value = raw * 0.0005 * 4.03; *suffix = " V="; return true;
    case V_LNB: *value = std::trunc((static_cast<int>(raw) - 2036) * 87.3 / 1000.0); *suffix = " V="; return true;
    case PK_LEVEL: {
        setDetector(DETECTOR_PEAK_MAX);
        const double level = corregirLecturadBuV(static_cast<int>(raw), getAtenuador());
        const double frequency = corregirDependentFrequencia(getFrequencyHz(), getAtenuador());
        *value = (level + frequency) / 10.0;
        *suffix = " dBuV=";
        return true;
    }
    case RF_POWER:
        setDetector(DETECTOR_POWER_METER);
        *value = convertirPasosdBuV(static_cast<int>(raw)) / 10.0;
        *suffix = " dBuV=";
        return true;
    case I_LNB:
        // Single precision, as the unit's factory tools compute it.
        *value = static_cast<double>(static_cast<float>(raw) * 0.00050012214f * 281.8f);
        *suffix = " I=";
        return true;
    case OPM:
        // The meter's own acquisition, not the average above, which the reply still carries.
        *value = Measures::getInstance()->getMesuraTotalOpticPower() / 10.0 - 108.75;
        *suffix = " dBm=";
        return true;
    case P3V3: *value = raw * 0.0005 * 1.833334; *suffix = " V="; return true;
    case P5V0: *value = raw * 0.0005 * 2.61; *suffix = " V="; return true;
    case P1V8:
    case P1V0: *value = raw * 0.0005; *suffix = " V="; return true;
    default: return false;
    }
}

} // namespace

ReadingConverterCmd::ReadingConverterCmd()
{
    const char* const names[] = {"VBAT", "V_LNB", "PK_LEVEL", "RF_POWER", "I_LNB", "VAC1",
                                 "HUM",  "OPM",   "+3V3",     "+5V0",     "+1V8",  "+1V0"};
    for (int port = 0; port < static_cast<int>(sizeof names / sizeof names[0]); ++port)
        ports_.insert(QString::fromLatin1(names[port]), port);
    for (int port = 0; port < kPortCount; ++port)
        ports_.insert(QString::number(port), port);
}

int ReadingConverterCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)level;
    return remotelog::guarded("ReadingConverterCmd", -1, [&] {
        std::string text;
        int port = 0;
        if (readWordParameter(line, PORT_AD_, ports_, &port, &text) != ParameterRead::Value)
            return -1;
        DetectorKept kept;
        const unsigned raw = averageOf(port);
        char number[16];
        std::snprintf(number, sizeof number, "%u", raw);
        *reply = text + "=" + number;
        double value = 0;
        const char* suffix = nullptr;
        if (convert(port, raw, &value, &suffix))
            *reply += suffix + QString::number(value, 'f', 3).toLocal8Bit().toStdString();
        return 0;
    });
}

} // namespace remote

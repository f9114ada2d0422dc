#include "RfTestBench.h"

#include "rf/frontEndSetup.h"

namespace rftest {

RfBench::RfBench(bool init, std::unique_ptr<platform::sim::SimulatedBoard> on)
    : board(on ? std::move(on) : std::make_unique<platform::sim::SimulatedBoard>())
{
    if (init)
        setInitMesuraRF(&lo, &adc);
    clearLog();
}

std::vector<std::string> RfBench::lineWrites() const
{
    std::vector<std::string> out;
    for (const auto& t : const_cast<testsupport::ScopedBoard&>(board)->log().entries("gpio-value"))
        out.push_back(t.device + "=" + t.text);
    return out;
}

std::vector<std::vector<uint8_t>> RfBench::spiWrites(const std::string& node) const
{
    std::vector<std::vector<uint8_t>> out;
    for (const auto& t : const_cast<testsupport::ScopedBoard&>(board)->log().entries("spi"))
        if (t.device == node)
            out.push_back(t.bytes);
    return out;
}

} // namespace rftest

#include "rf/calibrations.h"

#include <QDir>
#include <QFile>

namespace rftest {

void writeCalibrationFile(const QString& name, const QString& xml)
{
    QDir().mkpath(QStringLiteral("calibracion"));
    QFile f(QStringLiteral("calibracion/") + name);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(xml.toUtf8());
}

void removeCalibrationFile(const QString& name) { QFile::remove(QStringLiteral("calibracion/") + name); }

QString cal0(const QString& cable, const QString& docsis, const QString& rootAttributes)
{
    return QStringLiteral("<?xml version=\"1.0\"?>\n<CALIBRATION %1>\n<CABLE>%2</CABLE>\n<DOCSIS>%3</DOCSIS>\n</CALIBRATION>\n")
        .arg(rootAttributes, cable, docsis);
}

QString opticalLine(int wavelength, const QString& slope, const QString& offset)
{
    return QStringLiteral("<lamda_%1 enabled=\"ON\"><SLOPE>%2</SLOPE><OFFSET>%3</OFFSET></lamda_%1>")
        .arg(wavelength)
        .arg(slope, offset);
}

CalibratedBench::CalibratedBench()
{
    dir.seedFromData(QStringLiteral("calibracion"));
    Calibrations::getInstance()->loadCalibracion();
    setGpio_F2(true);
    setGpio_F3(false);
    clearLog();
}

} // namespace rftest

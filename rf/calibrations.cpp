#include "calibrations.h"

#include "calibrationTables.h"

#include "store/screensvariables.h"
#include "store/storefile.h"

#include <QDebug>
#include <QDir>
#include <QDomDocument>
#include <QFile>

#include <cmath>
#include <future>
#include <limits>
#include <optional>

namespace {

using rfcal::CalibrationTables;
using rfcal::CorrectionSet;

enum class Read { Ok, Missing, Failed };

// No factory line or correction comes near this (offsets of a few hundred tenths of a dB,
// slopes below one, corrections of a few dB); within it no level computed from the tables
// can leave the range of an int.
constexpr double kLargestNumber = 1e5;

// Opens and parses a calibration file, with the loader's messages. A damaged file is said
// to be so and left where it is: the instrument never writes these files.
Read readDocument(const QString& name, QDomDocument* doc)
{
    const QString path = QDir::currentPath() + "/calibracion/" + name;
    QFile file(path);
    if (!file.exists()) {
        qDebug().noquote() << "File" << path << "does not exist";
        return Read::Missing;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug().noquote() << "Failed to open file" << path;
        return Read::Failed;
    }
    QString problem;
    QByteArray text;
    if (storefile::readWhole(file, &text, &problem) && storefile::parseXml(text, doc, &problem)
        && doc->documentElement().tagName() != "CALIBRATION")
        problem = QStringLiteral("has no CALIBRATION root element");
    if (problem.isEmpty())
        return Read::Ok;
    qDebug().noquote() << "File" << path << problem << "- the calibration in force is kept";
    *doc = QDomDocument();
    return Read::Failed;
}

// Both files as a load reads them.
struct CalibrationFiles {
    Read cal0 = Read::Missing;
    Read optical = Read::Missing;
    QDomDocument cal0Doc;
    QDomDocument opticalDoc;
};

CalibrationFiles readFiles()
{
    CalibrationFiles files;
    files.cal0 = readDocument(QStringLiteral("CAL_0.XML"), &files.cal0Doc);
    files.optical = readDocument(QStringLiteral("CAL_FO.XML"), &files.opticalDoc);
    return files;
}

std::future<CalibrationFiles>& filesReadAhead()
{
    static std::future<CalibrationFiles> pending;
    return pending;
}

QDomElement child(const QDomElement& parent, const char* name) { return parent.firstChildElement(QLatin1String(name)); }

// A number of the files: a text that is no number reads as 0, as the format has it; a
// number that is not finite or lies beyond kLargestNumber is refused.
std::optional<double> parsed(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok && value == 0)
        return 0.0;
    if (!std::isfinite(value) || std::fabs(value) > kLargestNumber)
        return std::nullopt;
    return value;
}

std::optional<double> number(const QDomElement& parent, const char* name) { return parsed(child(parent, name).text()); }

// The correction values the format stores as float.
std::optional<double> floatNumber(const QString& text)
{
    const std::optional<double> value = parsed(text);
    return value ? std::optional<double>(static_cast<float>(*value)) : std::nullopt;
}

void refused(const QString& where, const char* consequence)
{
    qDebug().noquote() << "Calibration:" << where << "holds a number that is not finite or is out of range;"
                       << consequence;
}

// Keys are unsigned: a negative or oversized number is brought inside the range first.
unsigned int toKey(double value)
{
    if (!(value > 0))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<unsigned int>::max()))
        return std::numeric_limits<unsigned int>::max();
    return static_cast<unsigned int>(value);
}

unsigned int keyOf(const QString& text) { return toKey(text.toDouble()); }

// CORRECTION children with MOSTRES and VALOR; the CABLE set rounds the steps, DOCSIS truncates.
QList<calibration_point> linearityList(const QDomElement& section, bool rounded, const QString& where)
{
    QList<calibration_point> list;
    for (QDomElement c = child(section, "CORRECTION"); !c.isNull(); c = c.nextSiblingElement(QStringLiteral("CORRECTION"))) {
        const double steps = child(c, "MOSTRES").text().toDouble();
        const std::optional<double> value = floatNumber(child(c, "VALOR").text());
        if (!value) {
            refused(where, "the point is left out");
            continue;
        }
        list.append({toKey(rounded ? steps + 0.5 : steps), *value});
    }
    return list;
}

// The optimum count from the last CORRECTION at 58 dB and at 60 dB of the CABLE PEAK list.
void readOptimumCount(const QDomElement& peak, int* count)
{
    unsigned int s58 = 0, s60 = 0;
    for (QDomElement c = child(peak, "CORRECTION"); !c.isNull(); c = c.nextSiblingElement(QStringLiteral("CORRECTION"))) {
        const std::optional<double> dB = parsed(c.attribute(QStringLiteral("dB")));
        if (!dB) {
            refused(QStringLiteral("CABLE > LINEALITY > PEAK"), "that point does not count for the optimum count");
            continue;
        }
        const unsigned int key = toKey(child(c, "MOSTRES").text().toDouble() + 0.5);
        if (static_cast<int>(*dB) == 58)
            s58 = key;
        else if (static_cast<int>(*dB) == 60)
            s60 = key;
    }
    if (!(s58 > 0 && s58 < s60))
        return;
    const double value = std::trunc((s60 - s58) * 1.5) + s60;
    // A count the 12-bit converter can never reach would make the IQ ranging run to its end.
    if (value <= 4095)
        *count = static_cast<int>(value);
}

// Keyed lists under an attribute; the first CORRECTION goes in twice, and a section without
// any (or only refused ones) gives one entry built from empty values.
template <class Point, class Make>
QList<Point> doubledFirstList(const QDomElement& section, const QString& where, Make make)
{
    QList<Point> list;
    for (QDomElement c = child(section, "CORRECTION"); !c.isNull(); c = c.nextSiblingElement(QStringLiteral("CORRECTION"))) {
        if (const std::optional<Point> point = make(c))
            list.append(*point);
        else
            refused(where, "the point is left out");
    }
    list.prepend(list.isEmpty() ? *make(QDomElement()) : list.first());
    return list;
}

QList<calibration_point> offsetAttList(const QDomElement& offsetAtt, const QString& where)
{
    return doubledFirstList<calibration_point>(
        child(offsetAtt, "FREQUENCY"), where, [](const QDomElement& c) -> std::optional<calibration_point> {
            const QString att = c.attribute(QStringLiteral("att"));
            const std::optional<double> value = floatNumber(c.text());
            if (!value)
                return std::nullopt;
            return calibration_point{toKey(att.isEmpty() ? -500.0 : att.toDouble()), *value};
        });
}

QList<calibration_temp_point> temperatureList(const QDomElement& temperature, const QString& where)
{
    return doubledFirstList<calibration_temp_point>(
        temperature, where, [](const QDomElement& c) -> std::optional<calibration_temp_point> {
            const QString text = c.attribute(QStringLiteral("temp"));
            const std::optional<double> temp = text.isEmpty() ? -500.0 : parsed(text);
            const std::optional<double> slope = number(c, "SLOPE");
            const std::optional<double> offset = number(c, "OFFSET");
            if (!temp || !slope || !offset)
                return std::nullopt;
            return calibration_temp_point{*temp, *slope, *offset};
        });
}

void readFrequencies(const QDomElement& parent, CorrectionSet* set, const QString& where)
{
    const QDomElement first = child(parent, "FREQUENCY");
    set->markFrequency = carregaMarca(first);
    for (QDomElement f = first; !f.isNull(); f = f.nextSiblingElement(QStringLiteral("FREQUENCY"))) {
        set->frequencyWorking.clear();
        for (QDomElement c = child(f, "CORRECTION"); !c.isNull(); c = c.nextSiblingElement(QStringLiteral("CORRECTION"))) {
            if (const std::optional<double> value = floatNumber(c.text()))
                set->frequencyWorking.append({keyOf(c.attribute(QStringLiteral("freq"))), *value});
            else
                refused(where, "the point is left out");
        }
        set->frequencyMap.insert(f.attribute(QStringLiteral("att")), set->frequencyWorking);
    }
    set->singleList = set->frequencyMap.size() == 1;
}

void readSet(const QDomElement& section, CorrectionSet* set, bool cable)
{
    const QString name = cable ? QStringLiteral("CABLE") : QStringLiteral("DOCSIS");
    const QDomElement linearity = child(section, "LINEALITY");
    const QDomElement peak = child(linearity, "PEAK");
    const QDomElement average = child(linearity, "AVERAGE");
    set->markLinearityPeak = carregaMarca(peak);
    set->linearityPeak = linearityList(peak, cable, name + " > LINEALITY > PEAK");
    set->markLinearityAverage = carregaMarca(average);
    set->linearityAverage = linearityList(average, cable, name + " > LINEALITY > AVERAGE");
    readFrequencies(section, set, name + " > FREQUENCY");
    const QDomElement offsetAtt = child(section, "OFFSETATT");
    set->markOffsetAtt = carregaMarca(offsetAtt);
    set->offsetAtt = offsetAttList(offsetAtt, name + " > OFFSETATT");
}

// A detector line; one with a refused number leaves the line in force.
void readLine(const QDomElement& e, const QString& where, rfcal::DetectorLine* line, double offsetShift = 0)
{
    const std::optional<double> offset = number(e, "OFFSET");
    const std::optional<double> slope = number(e, "SLOPE");
    if (!offset || !slope) {
        refused(where, "the line in force is kept");
        return;
    }
    *line = {*offset + offsetShift, *slope};
}

// An optical line replaces the one in force only when its element was there to read.
void readOpticalLines(const QDomElement& opwr, CalibrationTables* t)
{
    static const char* const kNames[rfcal::kWavelengthCount] = {"lamda_1310", "lamda_1490", "lamda_1550"};
    for (int i = 0; i < rfcal::kWavelengthCount; ++i) {
        const QDomElement e = child(opwr, kNames[i]);
        if (e.isNull() || child(e, "SLOPE").isNull() || child(e, "OFFSET").isNull())
            continue;
        readLine(e, QStringLiteral("OPWR > ") + kNames[i], &t->optical[i], rfcal::kOpticalOffset);
    }
}

// The tables of one CAL_0.XML document. The optimum count, the optical lines the file
// lacks and the lines it holds unusable numbers for carry over from the tables in force.
CalibrationTables parseCal0(const QDomDocument& doc, const CalibrationTables& current)
{
    CalibrationTables t;
    t.optimumCount = current.optimumCount;
    for (int i = 0; i < rfcal::kWavelengthCount; ++i)
        t.optical[i] = current.optical[i];
    t.peak = current.peak;
    t.average = current.average;
    t.powerMeter = current.powerMeter;

    const QDomElement root = doc.documentElement();
    const QDomElement cable = child(root, "CABLE");
    const QDomElement recta = child(cable, "RECTA");
    readLine(child(recta, "PEAK"), QStringLiteral("CABLE > RECTA > PEAK"), &t.peak);
    readLine(child(recta, "AVERAGE"), QStringLiteral("CABLE > RECTA > AVERAGE"), &t.average);
    readOptimumCount(child(child(cable, "LINEALITY"), "PEAK"), &t.optimumCount);
    readSet(cable, &t.cable, true);
    const QDomElement temperature = child(cable, "TEMPERATURE");
    t.markTemperature = carregaMarca(temperature);
    t.temperature = temperatureList(temperature, QStringLiteral("CABLE > TEMPERATURE"));
    const QDomElement pwr = child(cable, "PWR");
    t.markPowerMeter = carregaMarca(pwr);
    readLine(pwr, QStringLiteral("CABLE > PWR"), &t.powerMeter);
    readOpticalLines(child(cable, "OPWR"), &t);
    readSet(child(root, "DOCSIS"), &t.docsis, false);
    return t;
}

} // namespace

Calibrations* Calibrations::getInstance()
{
    static Calibrations instance;
    return &instance;
}

void Calibrations::readAhead()
{
    filesReadAhead() = std::async(std::launch::async, readFiles);
}

bool Calibrations::loadCalibracion()
{
    std::future<CalibrationFiles>& pending = filesReadAhead();
    const CalibrationFiles files = pending.valid() ? pending.get() : readFiles();
    const Read rf = files.cal0;
    const Read fo = files.optical;
    const QDomDocument& cal0 = files.cal0Doc;
    const QDomDocument& optical = files.opticalDoc;
    CalibrationTables staged = rfcal::tables();
    // Before any CAL_0.XML was read, a missing one gives the tables of an empty file.
    const bool takeCal0 = rf == Read::Ok || (rf == Read::Missing && !loaded_);
    if (takeCal0)
        staged = parseCal0(cal0, rfcal::tables());
    else if (rf == Read::Missing)
        qDebug() << "Calibration: keeping the calibration in force";
    if (fo == Read::Ok) {
        readOpticalLines(child(optical.documentElement(), "OPWR"), &staged);
    } else if (fo == Read::Failed) {
        // The optical lines in force came from that file: none of CAL_0.XML replaces them.
        for (int i = 0; i < rfcal::kWavelengthCount; ++i)
            staged.optical[i] = rfcal::tables().optical[i];
    }
    rfcal::tables() = staged;
    if (takeCal0)
        takeSerialNumber(cal0);
    loaded_ = loaded_ || rf == Read::Ok;
    return rf != Read::Failed && fo != Read::Failed;
}

void Calibrations::loadCalibracion_FO()
{
    QDomDocument doc;
    if (readDocument(QStringLiteral("CAL_FO.XML"), &doc) != Read::Ok)
        return;
    readOpticalLines(child(doc.documentElement(), "OPWR"), &rfcal::tables());
}

// A file without a serial number leaves the one the unit has.
void Calibrations::takeSerialNumber(const QDomDocument& cal0)
{
    const QString serial = cal0.documentElement().attribute(QStringLiteral("serial_number"));
    if (!serial.isEmpty())
        ScreensVariables::getInstance()->setScreensVariablesSerialNumber(serial);
}

#include "calibrations.h"

#include "calibrationTables.h"

#include "store/screensvariables.h"

#include <QDebug>
#include <QDir>
#include <QDomDocument>
#include <QFile>

#include <cmath>
#include <limits>

namespace {

using rfcal::CalibrationTables;
using rfcal::CorrectionSet;

enum class Read { Ok, Missing, Failed };

// Opens and parses a calibration file, with the loader's messages.
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
    const bool parsed = doc->setContent(&file);
    file.close();
    return parsed ? Read::Ok : Read::Failed;
}

QDomElement child(const QDomElement& parent, const char* name) { return parent.firstChildElement(QLatin1String(name)); }

double number(const QDomElement& parent, const char* name) { return child(parent, name).text().toDouble(); }

// Keys are unsigned: a negative or oversized number is brought inside the range first.
unsigned int toKey(double value)
{
    if (!(value > 0))
        return 0;
    if (value >= static_cast<double>(std::numeric_limits<unsigned int>::max()))
        return std::numeric_limits<unsigned int>::max();
    return static_cast<unsigned int>(value);
}

// CORRECTION children with MOSTRES and VALOR; the CABLE set rounds the steps, DOCSIS truncates.
QList<calibration_point> linearityList(const QDomElement& section, bool rounded)
{
    QList<calibration_point> list;
    for (QDomElement c = child(section, "CORRECTION"); !c.isNull(); c = c.nextSiblingElement(QStringLiteral("CORRECTION"))) {
        const double steps = number(c, "MOSTRES");
        list.append({toKey(rounded ? steps + 0.5 : steps), static_cast<double>(child(c, "VALOR").text().toFloat())});
    }
    return list;
}

// The optimum count from the last CORRECTION at 58 dB and at 60 dB of the CABLE PEAK list.
void readOptimumCount(const QDomElement& peak, int* count)
{
    unsigned int s58 = 0, s60 = 0;
    for (QDomElement c = child(peak, "CORRECTION"); !c.isNull(); c = c.nextSiblingElement(QStringLiteral("CORRECTION"))) {
        const int dB = static_cast<int>(c.attribute(QStringLiteral("dB")).toDouble());
        const unsigned int key = toKey(number(c, "MOSTRES") + 0.5);
        if (dB == 58)
            s58 = key;
        else if (dB == 60)
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
// any gives one entry built from empty values.
template <class Point, class Make>
QList<Point> doubledFirstList(const QDomElement& section, Make make)
{
    QList<Point> list;
    QDomElement first = child(section, "CORRECTION");
    list.append(make(first));
    for (QDomElement c = first; !c.isNull(); c = c.nextSiblingElement(QStringLiteral("CORRECTION")))
        list.append(make(c));
    return list;
}

QList<calibration_point> offsetAttList(const QDomElement& offsetAtt)
{
    return doubledFirstList<calibration_point>(child(offsetAtt, "FREQUENCY"), [](const QDomElement& c) {
        const QString att = c.attribute(QStringLiteral("att"));
        return calibration_point{toKey(att.isEmpty() ? -500.0 : att.toDouble()), static_cast<double>(c.text().toFloat())};
    });
}

QList<calibration_temp_point> temperatureList(const QDomElement& temperature)
{
    return doubledFirstList<calibration_temp_point>(temperature, [](const QDomElement& c) {
        const QString temp = c.attribute(QStringLiteral("temp"));
        return calibration_temp_point{temp.isEmpty() ? -500.0 : temp.toDouble(), number(c, "SLOPE"), number(c, "OFFSET")};
    });
}

void readFrequencies(const QDomElement& parent, CorrectionSet* set)
{
    const QDomElement first = child(parent, "FREQUENCY");
    set->markFrequency = carregaMarca(first);
    for (QDomElement f = first; !f.isNull(); f = f.nextSiblingElement(QStringLiteral("FREQUENCY"))) {
        set->frequencyWorking.clear();
        for (QDomElement c = child(f, "CORRECTION"); !c.isNull(); c = c.nextSiblingElement(QStringLiteral("CORRECTION")))
            set->frequencyWorking.append({toKey(c.attribute(QStringLiteral("freq")).toDouble()),
                                          static_cast<double>(c.text().toFloat())});
        set->frequencyMap.insert(f.attribute(QStringLiteral("att")), set->frequencyWorking);
    }
    set->singleList = set->frequencyMap.size() == 1;
}

void readSet(const QDomElement& section, CorrectionSet* set, bool cable)
{
    const QDomElement linearity = child(section, "LINEALITY");
    const QDomElement peak = child(linearity, "PEAK");
    const QDomElement average = child(linearity, "AVERAGE");
    set->markLinearityPeak = carregaMarca(peak);
    set->linearityPeak = linearityList(peak, cable);
    set->markLinearityAverage = carregaMarca(average);
    set->linearityAverage = linearityList(average, cable);
    readFrequencies(section, set);
    const QDomElement offsetAtt = child(section, "OFFSETATT");
    set->markOffsetAtt = carregaMarca(offsetAtt);
    set->offsetAtt = offsetAttList(offsetAtt);
}

rfcal::DetectorLine line(const QDomElement& e) { return {number(e, "OFFSET"), number(e, "SLOPE")}; }

// An optical line replaces the one in force only when its element was there to read.
void readOpticalLines(const QDomElement& opwr, CalibrationTables* t)
{
    static const char* const kNames[rfcal::kWavelengthCount] = {"lamda_1310", "lamda_1490", "lamda_1550"};
    for (int i = 0; i < rfcal::kWavelengthCount; ++i) {
        const QDomElement e = child(opwr, kNames[i]);
        if (e.isNull() || child(e, "SLOPE").isNull() || child(e, "OFFSET").isNull())
            continue;
        t->optical[i] = {number(e, "OFFSET") + rfcal::kOpticalOffset, number(e, "SLOPE")};
    }
}

// The tables of one CAL_0.XML document. The optimum count and the optical lines the file
// lacks carry over from the tables in force.
CalibrationTables parseCal0(const QDomDocument& doc, const CalibrationTables& current)
{
    CalibrationTables t;
    t.optimumCount = current.optimumCount;
    for (int i = 0; i < rfcal::kWavelengthCount; ++i)
        t.optical[i] = current.optical[i];

    const QDomElement root = doc.documentElement();
    const QDomElement cable = child(root, "CABLE");
    const QDomElement recta = child(cable, "RECTA");
    t.peak = line(child(recta, "PEAK"));
    t.average = line(child(recta, "AVERAGE"));
    readOptimumCount(child(child(cable, "LINEALITY"), "PEAK"), &t.optimumCount);
    readSet(cable, &t.cable, true);
    const QDomElement temperature = child(cable, "TEMPERATURE");
    t.markTemperature = carregaMarca(temperature);
    t.temperature = temperatureList(temperature);
    const QDomElement pwr = child(cable, "PWR");
    t.markPowerMeter = carregaMarca(pwr);
    t.powerMeter = line(pwr);
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

void Calibrations::loadCalibracion()
{
    QDomDocument doc;
    const Read read = readDocument(QStringLiteral("CAL_0.XML"), &doc);
    if (read == Read::Failed)
        return;
    if (read == Read::Missing && loaded_) {
        qDebug() << "Calibration: keeping the calibration in force";
    } else {
        rfcal::tables() = parseCal0(doc, rfcal::tables());
        takeSerialNumber(doc);
        loaded_ = loaded_ || read == Read::Ok;
    }
    loadCalibracion_FO();
}

void Calibrations::loadCalibracion_FO()
{
    QDomDocument doc;
    if (readDocument(QStringLiteral("CAL_FO.XML"), &doc) != Read::Ok)
        return;
    readOpticalLines(child(doc.documentElement(), "OPWR"), &rfcal::tables());
}

bool Calibrations::reloadCalibracion()
{
    QDomDocument cal0;
    QDomDocument optical;
    if (readDocument(QStringLiteral("CAL_0.XML"), &cal0) != Read::Ok
        || readDocument(QStringLiteral("CAL_FO.XML"), &optical) != Read::Ok) {
        qDebug() << "Calibration: keeping the calibration in force";
        return false;
    }
    CalibrationTables staged = parseCal0(cal0, rfcal::tables());
    readOpticalLines(child(optical.documentElement(), "OPWR"), &staged);
    rfcal::tables() = staged;
    takeSerialNumber(cal0);
    loaded_ = true;
    return true;
}

// A file without a serial number leaves the one the unit has.
void Calibrations::takeSerialNumber(const QDomDocument& cal0)
{
    const QString serial = cal0.documentElement().attribute(QStringLiteral("serial_number"));
    if (!serial.isEmpty())
        ScreensVariables::getInstance()->setScreensVariablesSerialNumber(serial);
}

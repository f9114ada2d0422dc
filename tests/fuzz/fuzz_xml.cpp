// The XML loaders under libFuzzer: an input is the content of a file, given to every loader
// of the table below (settings, a channel plan, a logger, each calibration file and both at
// once as the remote reload reads them, the software identity). A file a store takes must
// come back the same through a save and a reload; the calibration tables must hold only
// numbers every level reading can use, and a reload that failed must leave them as they
// were. A loader that lands joins with one row.
#include "FuzzSupport.h"

#include "services/software.h"
#include "rf/calibracionRF.h"
#include "rf/calibrationTables.h"
#include "rf/calibrations.h"
#include "store/channelslist.h"
#include "store/loggerlist.h"
#include "store/screensvariables.h"
#include "store/storefile.h"

#include <QDir>
#include <QFile>

#include <cmath>

using fuzzsupport::fail;

namespace {

void write(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        fail("cannot write " + path);
}

// Values as the file holds them: type and text, so that not-a-number compares too.
QString asText(const QVariantMap& values)
{
    QString text;
    for (auto it = values.constBegin(); it != values.constEnd(); ++it)
        text += it.key() + '=' + storefile::typeName(it.value()) + ':' + storefile::valueText(it.value()) + '\n';
    return text;
}

QString asText(const QVariantList& records)
{
    QString text;
    for (const QVariant& r : records)
        text += asText(r.toMap()) + "--\n";
    return text;
}

void settings(const QByteArray& content)
{
    write(ScreensVariables::fileName(), content);
    ScreensVariables* sv = ScreensVariables::getInstance();
    if (!sv->carregaVariables())
        return;
    const QString before = asText(sv->getScreensVariables());
    const ScreensVariables::ChannelIndexes indexes = sv->channelIndexes();
    sv->guardaVariables();
    if (!sv->carregaVariables() || asText(sv->getScreensVariables()) != before || !(sv->channelIndexes() == indexes))
        fail("settings changed through a save:\n" + before + "\n--- became ---\n" + asText(sv->getScreensVariables()));
}

void plan(const QByteArray& content)
{
    const QString path = Channelslist::plansFolder() + "/FUZZ.XML";
    write(path, content);
    QVariantList channels;
    if (!Channelslist::llegeixChannelPlan(path, "FUZZ", &channels))
        return;
    if (!Channelslist::getInstance()->guardaChannelPlan("FUZZ", channels))
        fail("a plan read could not be saved");
    QVariantList again;
    if (!Channelslist::llegeixChannelPlan(path, "FUZZ", &again) || asText(again) != asText(channels))
        fail("a plan changed through a save:\n" + asText(channels) + "\n--- became ---\n" + asText(again));
}

// As any logger, and as a registration logger (whose loader turns rows of tables, as older
// files keep them, into lists).
void logger(const QByteArray& content)
{
    for (const char* type : {"FUZZ", "REGISTERING"}) {
        write(Loggerlist::loggersFolder() + "/" + type + "/Logger00.XML", content);
        Loggerlist* loggers = Loggerlist::getInstance();
        const QVariantList entries = loggers->carregaLogger(type, "Logger00.XML");
        if (entries.isEmpty())
            continue;
        const QString file = loggers->guardaLogger(type, entries);
        if (file.isEmpty() || asText(loggers->carregaLogger(type, file)) != asText(entries))
            fail("a logger changed through a save:\n" + asText(entries));
    }
}

bool usable(double v) { return std::isfinite(v) && std::fabs(v) <= 2e5; }

void checkPoints(const QList<calibration_point>& points, const char* what)
{
    for (const calibration_point& p : points) {
        if (!usable(p.value))
            fail(QString("calibration point of %1 holds %2").arg(what).arg(p.value));
        calculaValueCorrecio(p.key, points);
    }
    calculaValueCorrecio(0, points);
    calculaValueCorrecio(4095, points);
}

// What the level conversion and the corrections read: numbers they can compute with.
void checkTables()
{
    const rfcal::CalibrationTables& t = rfcal::tables();
    for (const rfcal::DetectorLine& l : {t.peak, t.average, t.powerMeter, t.optical[0], t.optical[1], t.optical[2]})
        if (!usable(l.offset) || !usable(l.slope))
            fail(QString("calibration line %1 %2").arg(l.offset).arg(l.slope));
    for (const rfcal::CorrectionSet* set : {&t.cable, &t.docsis}) {
        checkPoints(set->linearityPeak, "linearity");
        checkPoints(set->linearityAverage, "linearity");
        checkPoints(set->offsetAtt, "attenuator offset");
        for (const QList<calibration_point>& list : set->frequencyMap)
            checkPoints(list, "frequency response");
    }
    for (const calibration_temp_point& p : t.temperature)
        if (!usable(p.temperature) && p.temperature != -500.0)
            fail("calibration temperature point");
    if (t.optimumCount < 0 || t.optimumCount > 4095)
        fail("optimum count");
    for (double T : {-40.0, 25.0, 85.0})
        if (!usable(calculaCorrecioTemperatura(T) / 1e3))
            fail("temperature correction");
}

void calibration(const QByteArray& content)
{
    write("calibracion/CAL_0.XML", content);
    Calibrations::getInstance()->loadCalibracion();
    checkTables();
}

void opticalCalibration(const QByteArray& content)
{
    write("calibracion/CAL_FO.XML", content);
    Calibrations::getInstance()->loadCalibracion_FO();
    checkTables();
}

// The figures a reload replaces, as text, so that they compare whatever they hold.
QString inForce()
{
    const rfcal::CalibrationTables& t = rfcal::tables();
    QString text = QString::number(t.optimumCount);
    for (const rfcal::DetectorLine& l : {t.peak, t.average, t.powerMeter, t.optical[0], t.optical[1], t.optical[2]})
        text += QString(" %1/%2").arg(l.offset).arg(l.slope);
    for (const rfcal::CorrectionSet* set : {&t.cable, &t.docsis})
        text += QString(" %1:%2:%3").arg(set->linearityPeak.size()).arg(set->offsetAtt.size()).arg(set->frequencyMap.size());
    return text + QString(" %1").arg(t.temperature.size());
}

// Both files at once, as the remote peer's reload reads them: the same content in each, so
// either both are read or neither is, and a reload that fails changes nothing.
void reload(const QByteArray& content)
{
    write("calibracion/CAL_0.XML", content);
    write("calibracion/CAL_FO.XML", content);
    const QString before = inForce();
    if (!Calibrations::getInstance()->loadCalibracion() && inForce() != before)
        fail("a calibration reload that failed changed the tables:\n" + before + "\n--- became ---\n" + inForce());
    checkTables();
}

void software(const QByteArray& content)
{
    write("calibracion/SOFTWARE.XML", content);
    Software::readFile("calibracion/SOFTWARE.XML");
}

struct Loader {
    const char* name;
    void (*load)(const QByteArray& content);
};

const Loader kLoaders[] = {
    {"settings", settings},
    {"channel plan", plan},
    {"logger", logger},
    {"calibration", calibration},
    {"optical calibration", opticalCalibration},
    {"calibration reload", reload},
    {"software identity", software},
};

// Files kept aside and saved from earlier inputs.
void clearFiles()
{
    for (const char* folder : {".", "channelPlans", "calibracion", "loggers/FUZZ", "loggers/REGISTERING"}) {
        QDir dir(folder);
        for (const QString& f : dir.entryList({"*.bad*", "FUZZ.XML*", "Logger*"}, QDir::Files))
            dir.remove(f);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzzsupport::start(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray content(reinterpret_cast<const char*>(data), static_cast<int>(size));
    for (const Loader& l : kLoaders)
        l.load(content);
    clearFiles();
    fuzzsupport::forgetRecords();
    return 0;
}

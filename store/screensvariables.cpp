#include "screensvariables.h"

#include "storefile.h"

#include <QDebug>
#include <QFile>
#include <QMutexLocker>

// Resources of a static library are registered by hand, outside any namespace.
static void registerDefaults() { Q_INIT_RESOURCE(store); }

namespace {
const char kRoot[] = "SCREEN_VARIABLES";
const char kChannelVariables[] = "CHANNEL_VARIABLES";

// The keys whose text does not read as their type go to *unreadable.
void readDocument(const QDomDocument& doc, QVariantMap* variables, ScreensVariables::ChannelIndexes* indexes,
                  QStringList* unreadable)
{
    const QDomElement root = doc.documentElement();
    *variables = storefile::readValues(root, {kChannelVariables}, unreadable);
    const QVariantMap channel = storefile::readValues(root.firstChildElement(kChannelVariables), {}, unreadable);
    indexes->plan = channel.value("channelPlan").toInt();
    indexes->channel = channel.value("channel").toInt();
    indexes->bondingGroup = channel.value("docsisBondingGroup").toInt();
    indexes->carrier = channel.value("carrier").toInt();
}
} // namespace

ScreensVariables* ScreensVariables::getInstance()
{
    static ScreensVariables instance;
    return &instance;
}

ScreensVariables::ScreensVariables()
{
    registerDefaults();
    storefile::removeUnfinishedSaves(QStringLiteral("."), {fileName()});
    carregaVariables();
}

bool ScreensVariables::readDefaults(QVariantMap* variables, ChannelIndexes* indexes)
{
    QFile file(defaultsFileName());
    QDomDocument doc;
    QString problem;
    if (!file.open(QIODevice::ReadOnly) || !storefile::parseXml(file.readAll(), &doc, &problem)) {
        qDebug() << "The built-in default settings cannot be read";
        return false;
    }
    readDocument(doc, variables, indexes, nullptr);
    return true;
}

bool ScreensVariables::carregaVariables()
{
    QDomDocument doc;
    QVariantMap loaded;
    ChannelIndexes indexes;
    if (storefile::loadXml(fileName(), kRoot, &doc) != storefile::LoadResult::Loaded) {
        qDebug() << "The default settings are used";
        if (readDefaults(&loaded, &indexes))
            adopt(loaded, indexes);
        return false;
    }
    QStringList unreadable;
    readDocument(doc, &loaded, &indexes, &unreadable);
    if (!unreadable.isEmpty()) {
        // Read as 0 or false, the next save would write over what the user had: the file
        // goes aside, and those keys take their default values.
        storefile::keepAside(fileName(), "holds values that do not read as their type: " + unreadable.join(", "));
        QVariantMap defaults;
        ChannelIndexes defaultIndexes;
        readDefaults(&defaults, &defaultIndexes);
        for (const QString& key : unreadable) {
            if (defaults.contains(key))
                loaded.insert(key, defaults.value(key));
            else
                loaded.remove(key);
        }
    }
    adopt(loaded, indexes);
    return unreadable.isEmpty();
}

void ScreensVariables::adopt(const QVariantMap& variables, const ChannelIndexes& indexes)
{
    QMutexLocker lock(&mutex_);
    variables_ = variables;
    indexes_ = indexes;
}

QVariantMap ScreensVariables::getScreensVariables() const
{
    QMutexLocker lock(&mutex_);
    return variables_;
}

unsigned int ScreensVariables::getScreensVariablesFrequency() const
{
    QMutexLocker lock(&mutex_);
    return variables_.value("frequency").toUInt();
}

void ScreensVariables::setScreensVariables(const QVariantMap& variables)
{
    bool changed = false;
    int autoPowerOff = 0;
    {
        QMutexLocker lock(&mutex_);
        QVariantMap typed;
        for (auto it = variables.constBegin(); it != variables.constEnd(); ++it) {
            const auto old = variables_.constFind(it.key());
            typed.insert(it.key(), old == variables_.constEnd() ? storefile::normalised(it.value())
                                                                 : storefile::keepingType(it.value(), old.value()));
        }
        if (typed != variables_) {
            variables_ = typed;
            changed = true;
        }
        autoPowerOff = variables_.value("autoPowerOff").toInt();
    }
    if (changed)
        emit screensVariablesChanged();
    guardaVariables();
    emit autoPowerOffChanged(autoPowerOff);
}

void ScreensVariables::setCM_MAC(const QString& mac) { setValue("cm_MAC", mac); }

int ScreensVariables::getModelHardware() const
{
    QMutexLocker lock(&mutex_);
    return variables_.value("hardware_model").toInt();
}

QString ScreensVariables::getScreensVariablesSerialNumber() const
{
    QMutexLocker lock(&mutex_);
    return variables_.value("serial_number").toString();
}

void ScreensVariables::setScreensVariablesSerialNumber(const QString& serial)
{
    {
        QMutexLocker lock(&mutex_);
        if (variables_.value("serial_number") == QVariant(serial))
            return;
        variables_.insert("serial_number", serial);
    }
    // The main menu shows it.
    emit screensVariablesChanged();
}

void ScreensVariables::setValue(const QString& key, const QVariant& value)
{
    QMutexLocker lock(&mutex_);
    variables_.insert(key, storefile::normalised(value));
}

ScreensVariables::ChannelIndexes ScreensVariables::channelIndexes() const
{
    QMutexLocker lock(&mutex_);
    return indexes_;
}

void ScreensVariables::setChannelIndexes(const ChannelIndexes& indexes)
{
    QMutexLocker lock(&mutex_);
    indexes_ = indexes;
}

void ScreensVariables::guardaVariables()
{
    QVariantMap variables;
    ChannelIndexes indexes;
    {
        QMutexLocker lock(&mutex_);
        if (savesHeld_) {
            saveDue_ = true;
            return;
        }
        variables = variables_;
        indexes = indexes_;
    }
    storefile::saveXml(fileName(), kRoot, [&](QXmlStreamWriter& xml) {
        storefile::writeValues(xml, variables, {kChannelVariables});
        xml.writeStartElement(kChannelVariables);
        storefile::writeValue(xml, "channelPlan", indexes.plan);
        storefile::writeValue(xml, "channel", indexes.channel);
        storefile::writeValue(xml, "docsisBondingGroup", indexes.bondingGroup);
        storefile::writeValue(xml, "carrier", indexes.carrier);
        xml.writeEndElement();
    });
}

void ScreensVariables::holdSaves()
{
    QMutexLocker lock(&mutex_);
    savesHeld_ = true;
}

void ScreensVariables::releaseSaves()
{
    bool due = false;
    {
        QMutexLocker lock(&mutex_);
        due = saveDue_;
        savesHeld_ = false;
        saveDue_ = false;
    }
    if (due)
        guardaVariables();
}

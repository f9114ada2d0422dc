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

void readDocument(const QDomDocument& doc, QVariantMap* variables, ScreensVariables::ChannelIndexes* indexes)
{
    const QDomElement root = doc.documentElement();
    *variables = storefile::readValues(root, {kChannelVariables});
    const QVariantMap channel = storefile::readValues(root.firstChildElement(kChannelVariables));
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
    carregaVariables();
}

bool ScreensVariables::carregaDefaults()
{
    QFile file(defaultsFileName());
    QDomDocument doc;
    if (!file.open(QIODevice::ReadOnly) || !doc.setContent(&file)) {
        qDebug() << "The built-in default settings cannot be read";
        return false;
    }
    adoptDocument(doc);
    return true;
}

bool ScreensVariables::carregaVariables()
{
    QDomDocument doc;
    if (storefile::loadXml(fileName(), QString(), &doc) != storefile::LoadResult::Loaded) {
        qDebug() << "The default settings are used";
        carregaDefaults();
        return false;
    }
    adoptDocument(doc);
    return true;
}

void ScreensVariables::adoptDocument(const QDomDocument& doc)
{
    QVariantMap loaded;
    ChannelIndexes indexes;
    readDocument(doc, &loaded, &indexes);
    QMutexLocker lock(&mutex_);
    variables_ = loaded;
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

void ScreensVariables::setScreensVariablesSerialNumber(const QString& serial) { setValue("serial_number", serial); }

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
        storefile::writeValues(xml, variables);
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

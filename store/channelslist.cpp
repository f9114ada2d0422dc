#include "channelslist.h"

#include "screensvariables.h"
#include "storefile.h"

#include <QDebug>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cstring>

namespace {
const char kRoot[] = "CHANNEL_PLAN";
const char kChannel[] = "CHANNEL";
const char kSuffix[] = ".XML";

// The channel record's keys, in the order a plan file lists them, with their file types.
struct Key {
    const char* name;
    QVariant::Type type;
};
const Key kKeys[] = {
    {"name", QVariant::String},         {"frequency", QVariant::UInt},  {"bandwidth", QVariant::UInt},
    {"frequencyOffset", QVariant::Int}, {"type", QVariant::String},     {"active", QVariant::String},
    {"system", QVariant::String},       {"docsisGroup", QVariant::Int}, {"primaryCarrier", QVariant::String},
    {"freqAudio", QVariant::String},    {"plan", QVariant::String},
};

QString planPath(const QString& folder, const QString& plan) { return folder + "/" + plan + kSuffix; }

// The plans of a folder: its files named exactly "<plan>.XML" (name filters ignore case).
QStringList plansIn(const QString& folder)
{
    QStringList plans;
    for (const QString& file : QDir(folder).entryList({QString("*") + kSuffix}, QDir::Files, QDir::Name)) {
        const QString plan = file.left(file.size() - int(strlen(kSuffix)));
        if (file.endsWith(kSuffix, Qt::CaseSensitive) && Channelslist::validPlanName(plan))
            plans.append(plan);
    }
    return plans;
}

qint64 centre(const QVariant& channel) { return channel.toMap().value("frequency").toLongLong(); }
} // namespace

Channelslist* Channelslist::getInstance()
{
    static Channelslist instance;
    return &instance;
}

Channelslist::Channelslist()
{
    storefile::removeUnfinishedSaves(plansFolder(), {QString("*") + kSuffix});
    const ScreensVariables::ChannelIndexes saved = ScreensVariables::getInstance()->channelIndexes();
    const QStringList plans = channelPlans();
    if (!plans.isEmpty() && carregaChannelPlan(plans.value(saved.plan, plans.first()))) {
        setCurrentChannelIndex(saved.channel);
        setCurrentDocsisBondingGroupIndex(saved.bondingGroup);
        setCurrentCarrierIndex(saved.carrier);
    }
    publishIndexes();
}

bool Channelslist::validPlanName(const QString& plan)
{
    if (plan.isEmpty() || plan.startsWith('.') || plan.contains('/') || plan.contains('\\'))
        return false;
    return std::none_of(plan.begin(), plan.end(), [](QChar c) { return c.unicode() < 0x20; });
}

QVariantMap Channelslist::channelRecord(const QVariantMap& record, const QString& plan)
{
    QVariantMap out;
    for (const Key& key : kKeys) {
        const QVariant v = record.value(key.name);
        switch (key.type) {
        case QVariant::UInt:
            out.insert(key.name, v.toUInt());
            break;
        case QVariant::Int:
            out.insert(key.name, v.toInt());
            break;
        default:
            out.insert(key.name, v.isValid() ? storefile::valueText(v) : QString());
        }
    }
    out.insert("plan", plan);
    return out;
}

bool Channelslist::llegeixChannelPlan(const QString& path, const QString& plan, QVariantList* channels)
{
    channels->clear();
    QDomDocument doc;
    if (storefile::loadXml(path, kRoot, &doc) != storefile::LoadResult::Loaded)
        return false;
    const QDomElement root = doc.documentElement();
    QStringList unreadable;
    for (QDomElement e = root.firstChildElement(kChannel); !e.isNull(); e = e.nextSiblingElement(kChannel))
        channels->append(channelRecord(storefile::readValues(e, {}, &unreadable), plan));
    if (!unreadable.isEmpty())
        qDebug().noquote() << "Channel plan" << path << "holds values that do not read as their type, read as 0:"
                           << unreadable.join(", ");
    return true;
}

QStringList Channelslist::channelPlans() const { return plansIn(plansFolder()); }

QStringList Channelslist::standardChannelPlans() const { return plansIn(standardPlansFolder()); }

bool Channelslist::carregaChannelPlan(const QString& plan)
{
    QVariantList channels;
    const bool ok = validPlanName(plan) && llegeixChannelPlan(planPath(plansFolder(), plan), plan, &channels);
    if (!ok)
        qDebug() << "Channel plan" << plan << "cannot be loaded; no plan is selected";
    plan_ = ok ? plan : QString();
    channels_ = channels;
    channelIndex_ = 0;
    bondingGroupIndex_ = 0;
    carrierIndex_ = 0;
    publishIndexes();
    emit currentPlanChanged();
    emit currentChannelChanged();
    return ok;
}

bool Channelslist::guardaChannelPlan(const QString& plan, const QVariantList& channels)
{
    if (!validPlanName(plan)) {
        qDebug() << "Channel plan name not valid:" << plan;
        return false;
    }
    QVariantList records;
    for (const QVariant& channel : channels)
        records.append(channelRecord(channel.toMap(), plan));
    const bool ok = storefile::saveXml(planPath(plansFolder(), plan), kRoot, [&](QXmlStreamWriter& xml) {
        for (const QVariant& record : records) {
            const QVariantMap map = record.toMap();
            xml.writeStartElement(kChannel);
            for (const Key& key : kKeys)
                storefile::writeValue(xml, key.name, map.value(key.name));
            xml.writeEndElement();
        }
    });
    if (!ok)
        return false;
    if (plan == plan_) {
        channels_ = records;
        if (channelIndex_ >= channels_.size())
            channelIndex_ = 0;
        if (bondingGroupIndex_ >= docsisBondingGroup().size())
            bondingGroupIndex_ = 0;
        if (carrierIndex_ >= carrierListChannels(currentDocsisBondingGroup()).size())
            carrierIndex_ = 0;
        emit currentChannelChanged();
    }
    publishIndexes();
    emit channelPlansChanged();
    return true;
}

bool Channelslist::esborraChannelPlan(const QString& plan)
{
    const QString path = planPath(plansFolder(), plan);
    if (!validPlanName(plan) || !QFile::exists(path))
        return false;
    if (!storefile::withWritableRoot([&] { return QFile::remove(path); })) {
        qDebug() << "Failed to remove the channel plan" << path;
        return false;
    }
    if (plan == plan_) {
        const QStringList plans = channelPlans();
        if (plans.isEmpty() || !carregaChannelPlan(plans.first())) {
            plan_.clear();
            channels_.clear();
            channelIndex_ = bondingGroupIndex_ = carrierIndex_ = 0;
            emit currentPlanChanged();
            emit currentChannelChanged();
        }
    }
    publishIndexes();
    emit channelPlansChanged();
    return true;
}

bool Channelslist::importaChannelPlan(const QString& plan)
{
    QVariantList channels;
    if (!validPlanName(plan) || !llegeixChannelPlan(planPath(standardPlansFolder(), plan), plan, &channels)) {
        qDebug() << "Standard channel plan" << plan << "cannot be read";
        return false;
    }
    return guardaChannelPlan(plan, channels);
}

QVariantMap Channelslist::currentChannel() const { return channels_.value(channelIndex_).toMap(); }

bool Channelslist::setCurrentChannelIndex(int index)
{
    if (index < 0 || index >= channels_.size())
        return false;
    selectChannel(index);
    return true;
}

void Channelslist::selectChannel(int index)
{
    channelIndex_ = index;
    publishIndexes();
    emit currentChannelChanged();
}

QVariantList Channelslist::currentChannelList() const
{
    QVariantList list;
    for (const QVariant& channel : channels_) {
        const QVariantMap map = channel.toMap();
        const qint64 f = centre(channel);
        if (map.value("active").toString() == "ON" && f >= spanStart_ && f <= spanStop_)
            list.append(map);
    }
    return list;
}

void Channelslist::setSpan(unsigned start, unsigned stop)
{
    spanStart_ = std::min(start, stop);
    spanStop_ = std::max(start, stop);
}

QList<int> Channelslist::docsisBondingGroup() const
{
    QList<int> groups;
    for (const QVariant& channel : channels_) {
        const int group = channel.toMap().value("docsisGroup").toInt();
        if (!groups.contains(group))
            groups.append(group);
    }
    std::sort(groups.begin(), groups.end());
    return groups;
}

bool Channelslist::setCurrentDocsisBondingGroupIndex(int index)
{
    if (index < 0 || index >= docsisBondingGroup().size())
        return false;
    bondingGroupIndex_ = index;
    carrierIndex_ = 0;
    publishIndexes();
    return true;
}

int Channelslist::currentDocsisBondingGroup() const { return docsisBondingGroup().value(bondingGroupIndex_, -1); }

QVariantList Channelslist::carrierListChannels(int group) const
{
    QVariantList list;
    if (group < 0 || group > 9)
        return list;
    for (const QVariant& channel : channels_) {
        if (channel.toMap().value("docsisGroup").toInt() == group)
            list.append(channel);
    }
    return list;
}

bool Channelslist::setCurrentCarrierIndex(int index)
{
    if (index < 0 || index >= carrierListChannels(currentDocsisBondingGroup()).size())
        return false;
    carrierIndex_ = index;
    publishIndexes();
    return true;
}

void Channelslist::setchannelVariables()
{
    publishIndexes();
    ScreensVariables::getInstance()->guardaVariables();
}

void Channelslist::carregaClosestChannel(unsigned frequency)
{
    int best = -1;
    qint64 bestDistance = 0;
    for (int i = 0; i < channels_.size(); ++i) {
        const qint64 distance = qAbs(centre(channels_.at(i)) - qint64(frequency));
        if (best < 0 || distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    if (best >= 0)
        selectChannel(best);
}

bool Channelslist::searchFrequencyOnChannelNoCenter(unsigned frequency)
{
    for (int i = 0; i < channels_.size(); ++i) {
        const qint64 half = channels_.at(i).toMap().value("bandwidth").toLongLong() / 2;
        const qint64 f = centre(channels_.at(i));
        if (qint64(frequency) >= f - half && qint64(frequency) < f + half) {
            selectChannel(i);
            return true;
        }
    }
    return false;
}

void Channelslist::publishIndexes()
{
    ScreensVariables::ChannelIndexes indexes;
    indexes.plan = std::max(0, currentPlanIndex());
    indexes.channel = channelIndex_;
    indexes.bondingGroup = bondingGroupIndex_;
    indexes.carrier = carrierIndex_;
    ScreensVariables::getInstance()->setChannelIndexes(indexes);
}

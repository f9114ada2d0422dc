#include "channelslist.h"

#include "screensvariables.h"
#include "storefile.h"

#include <QDebug>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <future>
#include <iterator>
#include <limits>

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

// The plans of a folder: its files named exactly "<plan>.XML". The suffix is compared
// here rather than by a name filter, which would build a pattern matcher on every listing.
QStringList plansIn(const QString& folder)
{
    QStringList plans;
    for (const QString& file : QDir(folder).entryList(QDir::Files, QDir::Name)) {
        const QString plan = file.left(file.size() - int(strlen(kSuffix)));
        if (file.endsWith(QLatin1String(kSuffix), Qt::CaseSensitive) && Channelslist::validPlanName(plan))
            plans.append(plan);
    }
    return plans;
}

// The plan a settings index selects in the plans folder, the first plan when it is out of
// range; empty when there is no plan.
QString selectedPlan(int index)
{
    const QStringList plans = plansIn(Channelslist::plansFolder());
    return plans.value(index, plans.value(0));
}

// A plan of the plans folder, by name; false when the name or the file is not usable.
bool readPlan(const QString& plan, QVariantList* channels)
{
    return Channelslist::validPlanName(plan)
        && Channelslist::llegeixChannelPlan(planPath(Channelslist::plansFolder(), plan), plan, channels);
}

struct PlanRead {
    int index = -1;
    QString plan;
    bool read = false;
    QVariantList channels;
};

std::future<PlanRead>& planReadAhead()
{
    static std::future<PlanRead> pending;
    return pending;
}

// A value that stands for a whole number of Hz, whatever type the file gave it.
bool readsAsUnsigned(const QVariant& value)
{
    if (value.type() == QVariant::Double) {
        const double hz = value.toDouble(); // not a number fails every comparison
        return hz >= 0 && hz <= std::numeric_limits<unsigned>::max() && hz == std::floor(hz);
    }
    bool ok = false;
    value.toString().toUInt(&ok);
    return ok;
}

qint64 centre(const QVariant& channel) { return channel.toMap().value("frequency").toLongLong(); }
} // namespace

Channelslist* Channelslist::getInstance()
{
    static Channelslist instance;
    return &instance;
}

void Channelslist::readAhead()
{
    const int index = ScreensVariables::getInstance()->channelIndexes().plan;
    const QString plan = selectedPlan(index);
    if (plan.isEmpty())
        return;
    planReadAhead() = std::async(std::launch::async, [index, plan] {
        PlanRead ahead{index, plan, false, {}};
        ahead.read = readPlan(plan, &ahead.channels);
        return ahead;
    });
}

Channelslist::Channelslist()
{
    storefile::removeUnfinishedSaves(plansFolder(), {QString("*") + kSuffix});
    const ScreensVariables::ChannelIndexes saved = ScreensVariables::getInstance()->channelIndexes();
    std::future<PlanRead>& pending = planReadAhead();
    // A plan read ahead counts only while the settings still select it.
    const PlanRead ahead = pending.valid() ? pending.get() : PlanRead();
    bool loaded = false;
    if (!ahead.plan.isEmpty() && ahead.index == saved.plan) {
        loaded = adoptChannelPlan(ahead.plan, ahead.read, ahead.channels);
    } else {
        const QString plan = selectedPlan(saved.plan);
        loaded = !plan.isEmpty() && carregaChannelPlan(plan);
    }
    if (loaded) {
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
    // The keys as strings once: a plan of a few hundred channels is read at every start.
    static const QStringList names = [] {
        QStringList n;
        for (const Key& key : kKeys)
            n << QString::fromLatin1(key.name);
        return n;
    }();
    QVariantMap out;
    for (size_t i = 0; i < std::size(kKeys); ++i) {
        const QString& name = names[static_cast<int>(i)];
        const QVariant v = record.value(name);
        switch (kKeys[i].type) {
        case QVariant::UInt:
            out.insert(name, v.toUInt());
            break;
        case QVariant::Int:
            out.insert(name, v.toInt());
            break;
        default:
            out.insert(name, v.isValid() ? storefile::valueText(v) : QString());
        }
    }
    out.insert(QStringLiteral("plan"), plan);
    return out;
}

bool Channelslist::llegeixChannelPlan(const QString& path, const QString& plan, QVariantList* channels)
{
    channels->clear();
    // Read as a stream: the plan is loaded on the GUI thread at start-up and on every change.
    QList<QVariantMap> records;
    QList<QStringList> unreadable;
    if (storefile::loadRecords(path, kRoot, kChannel, &records, &unreadable) != storefile::LoadResult::Loaded)
        return false;
    QStringList readAsZero;
    for (int i = 0; i < records.size(); ++i) {
        const QStringList& keys = unreadable.at(i);
        // Measured at 0 Hz or over no width, such a channel would give readings of
        // nothing; it is left out, and the file stays as it is.
        QStringList unusable;
        for (const char* key : {"frequency", "bandwidth"})
            if (keys.contains(QLatin1String(key)) || !readsAsUnsigned(records.at(i).value(QLatin1String(key))))
                unusable << QLatin1String(key);
        if (!unusable.isEmpty()) {
            qDebug().noquote() << "Channel plan" << path << "leaves out channel" << i + 1
                               << records.at(i).value(QStringLiteral("name")).toString() + ": its"
                               << unusable.join(" and ") << (unusable.size() == 1 ? "does not" : "do not")
                               << "read as a whole number of Hz";
            continue;
        }
        channels->append(channelRecord(records.at(i), plan));
        readAsZero << keys;
    }
    if (!readAsZero.isEmpty())
        qDebug().noquote() << "Channel plan" << path << "holds values that do not read as their type, read as 0:"
                           << readAsZero.join(", ");
    return true;
}

QStringList Channelslist::channelPlans() const { return plansIn(plansFolder()); }

QStringList Channelslist::standardChannelPlans() const { return plansIn(standardPlansFolder()); }

bool Channelslist::carregaChannelPlan(const QString& plan)
{
    QVariantList channels;
    const bool read = readPlan(plan, &channels);
    return adoptChannelPlan(plan, read, channels);
}

bool Channelslist::adoptChannelPlan(const QString& plan, bool ok, const QVariantList& channels)
{
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

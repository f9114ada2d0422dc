// The channel-plan model: the plans in "channelPlans/" (one "<plan>.XML" file each, root
// CHANNEL_PLAN), the current plan with its selected channel, bonding group and carrier,
// and the channel searches the screens and the measurement runs use.
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVariantMap>

class Channelslist : public QObject {
    Q_OBJECT
public:
    static Channelslist* getInstance();

    // The instrument's tuning range, the default span.
    static constexpr unsigned kMinFrequency = 5000000u;
    static constexpr unsigned kMaxFrequency = 2700000000u;

    // --- selection and searches ---
    // A copy of the selected channel record; empty when the plan has no channels.
    Q_INVOKABLE QVariantMap currentChannel() const;
    Q_INVOKABLE int currentChannelIndex() const { return channelIndex_; }
    Q_INVOKABLE bool setCurrentChannelIndex(int index);
    // Every channel record of the current plan, in plan order.
    Q_INVOKABLE QVariantList channelList() const { return channels_; }
    // The active channels ("active" "ON") whose centre lies inside the span, in plan order.
    Q_INVOKABLE QVariantList currentChannelList() const;
    // The span currentChannelList keeps to; the whole tuning range unless a screen narrows it.
    Q_INVOKABLE void setSpan(unsigned start, unsigned stop);
    Q_INVOKABLE unsigned spanStart() const { return spanStart_; }
    Q_INVOKABLE unsigned spanStop() const { return spanStop_; }

    // The sorted distinct "docsisGroup" numbers of the plan's channels.
    Q_INVOKABLE QList<int> docsisBondingGroup() const;
    Q_INVOKABLE int currentDocsisBondingGroupIndex() const { return bondingGroupIndex_; }
    Q_INVOKABLE bool setCurrentDocsisBondingGroupIndex(int index);
    // The group at the selected index, or -1 when the plan has none.
    Q_INVOKABLE int currentDocsisBondingGroup() const;
    // The channels whose "docsisGroup" is group, in plan order; empty for a group outside
    // 0 to 9 or an empty plan.
    Q_INVOKABLE QVariantList carrierListChannels(int group) const;
    // The selected carrier of the selected bonding group.
    Q_INVOKABLE int currentCarrierIndex() const { return carrierIndex_; }
    Q_INVOKABLE bool setCurrentCarrierIndex(int index);

    // Saves the settings file with the current selection.
    Q_INVOKABLE void setchannelVariables();
    // Makes the channel whose centre is closest to frequency (Hz) current; on a tie the
    // first in plan order. Nothing changes in an empty plan.
    Q_INVOKABLE void carregaClosestChannel(unsigned frequency);
    // Makes the first channel that contains frequency (from its lower edge up to, not
    // including, its upper edge) current; the caller keeps its frequency. False, and
    // nothing changes, when no channel contains it.
    Q_INVOKABLE bool searchFrequencyOnChannelNoCenter(unsigned frequency);

    // --- plans ---
    // The plans of "channelPlans/", sorted by name; the plan index of the settings is an
    // index into this list.
    Q_INVOKABLE QStringList channelPlans() const;
    Q_INVOKABLE QString currentPlan() const { return plan_; }
    Q_INVOKABLE int currentPlanIndex() const { return channelPlans().indexOf(plan_); }
    // Makes a stored plan current, its first channel selected. A malformed file is kept
    // aside and gives an empty plan.
    Q_INVOKABLE bool carregaChannelPlan(const QString& plan);
    // Creates or replaces a plan file with the given channel records (missing keys take
    // their defaults, keys a channel record does not have are dropped).
    Q_INVOKABLE bool guardaChannelPlan(const QString& plan, const QVariantList& channels);
    Q_INVOKABLE bool esborraChannelPlan(const QString& plan);
    // The plans shipped in "standarsChannelPlans/", and copying one into "channelPlans/".
    Q_INVOKABLE QStringList standardChannelPlans() const;
    Q_INVOKABLE bool importaChannelPlan(const QString& plan);

    // Starts reading the plan the settings select on a thread of its own, so that the
    // start-up's next steps run meanwhile; the instance, once made, takes that plan over.
    static void readAhead();

    static QString plansFolder() { return QStringLiteral("channelPlans"); }
    static QString standardPlansFolder() { return QStringLiteral("standarsChannelPlans"); }
    // A channel record with exactly its eleven keys, taken from record where present.
    static QVariantMap channelRecord(const QVariantMap& record, const QString& plan);
    // Reads the channel records of a plan file; false when it is missing or malformed.
    static bool llegeixChannelPlan(const QString& path, const QString& plan, QVariantList* channels);
    // A plan name that makes a file name in the plans folder and nothing else.
    static bool validPlanName(const QString& plan);

signals:
    void channelPlansChanged();
    void currentPlanChanged();
    void currentChannelChanged();

private:
    Channelslist();
    void selectChannel(int index);
    bool adoptChannelPlan(const QString& plan, bool read, const QVariantList& channels);
    void publishIndexes();

    QString plan_;
    QVariantList channels_;
    int channelIndex_ = 0;
    int bondingGroupIndex_ = 0;
    int carrierIndex_ = 0;
    unsigned spanStart_ = kMinFrequency;
    unsigned spanStop_ = kMaxFrequency;
};

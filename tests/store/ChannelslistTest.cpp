// The channel-plan model: the plan file layout, the searches the screens and the runs use,
// the selection kept in the settings file, and the plans shipped with the instrument.
#include "SimBoardFixture.h"
#include "StoreTestSupport.h"

#include "store/channelslist.h"
#include "store/screensvariables.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

using namespace storetest;
using testsupport::LogCapture;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;

namespace {
constexpr unsigned kMHz = 1000000;

QVariantMap channel(const QString& name, double centreMHz, unsigned bwMHz, const QString& active, int group)
{
    return {{"name", name},
            {"frequency", unsigned(centreMHz * kMHz)},
            {"bandwidth", bwMHz * kMHz},
            {"type", "DIGITAL"},
            {"active", active},
            {"system", "DVB-C"},
            {"docsisGroup", group},
            {"primaryCarrier", "OFF"},
            {"freqAudio", "0"}};
}

// A: 96-104 MHz, B: 104-112, C (inactive): 116-124, D: 127-133, E: 2646-2654.
QVariantList queryPlan()
{
    return {channel("A", 100, 8, "ON", 3), channel("B", 108, 8, "ON", 1), channel("C", 120, 8, "OFF", 3),
            channel("D", 130, 6, "ON", 0), channel("E", 2650, 8, "ON", 1)};
}

QStringList names(const QVariantList& channels)
{
    QStringList out;
    for (const QVariant& c : channels)
        out.append(c.toMap().value("name").toString());
    return out;
}

QString currentName() { return Channelslist::getInstance()->currentChannel().value("name").toString(); }

Channelslist* withQueryPlan()
{
    Channelslist* channels = Channelslist::getInstance();
    EXPECT_TRUE(channels->guardaChannelPlan("QUERY", queryPlan()));
    EXPECT_TRUE(channels->carregaChannelPlan("QUERY"));
    return channels;
}
} // namespace

TEST(ChannelPlanFile, HoldsExactlyTheChannelKeysInTheirOrderAndTypes)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    QCoreApplication::setApplicationName("CABLE VARNOK");
    Channelslist* channels = Channelslist::getInstance();

    // Values as a screen might hand them: numbers as doubles or texts, extra and missing keys.
    const QVariantList given{
        QVariantMap{{"name", "E21"}, {"frequency", 474e6}, {"bandwidth", 8000000}, {"type", "DIGITAL"},
                    {"active", "ON"}, {"system", "DVB-C"}, {"docsisGroup", "2"}, {"primaryCarrier", "ON"},
                    {"power", 5}, {"plan", "Other"}},
        QVariantMap{{"name", "E5 <&>"}, {"frequency", "177500000"}, {"bandwidth", 7000000.0},
                    {"frequencyOffset", -250000}, {"type", "ANALOG"}, {"active", "OFF"}, {"system", "PAL"},
                    {"freqAudio", 5.5}},
    };
    ASSERT_TRUE(channels->guardaChannelPlan("Mine", given));
    EXPECT_EQ(commands(board.board()), remountBrackets());

    const QString date = QDateTime::fromMSecsSinceEpoch(board.clock().wallTimeUs() / 1000).toString(Qt::ISODate);
    const QString expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<CHANNEL_PLAN date=\"" + date + "\" equipment=\"CABLE VARNOK\">\n"
                             "    <CHANNEL>\n"
                             "        <name type=\"QString\">E21</name>\n"
                             "        <frequency type=\"uint\">474000000</frequency>\n"
                             "        <bandwidth type=\"uint\">8000000</bandwidth>\n"
                             "        <frequencyOffset type=\"int\">0</frequencyOffset>\n"
                             "        <type type=\"QString\">DIGITAL</type>\n"
                             "        <active type=\"QString\">ON</active>\n"
                             "        <system type=\"QString\">DVB-C</system>\n"
                             "        <docsisGroup type=\"int\">2</docsisGroup>\n"
                             "        <primaryCarrier type=\"QString\">ON</primaryCarrier>\n"
                             "        <freqAudio type=\"QString\"/>\n"
                             "        <plan type=\"QString\">Mine</plan>\n"
                             "    </CHANNEL>\n"
                             "    <CHANNEL>\n"
                             "        <name type=\"QString\">E5 &lt;&amp;&gt;</name>\n"
                             "        <frequency type=\"uint\">177500000</frequency>\n"
                             "        <bandwidth type=\"uint\">7000000</bandwidth>\n"
                             "        <frequencyOffset type=\"int\">-250000</frequencyOffset>\n"
                             "        <type type=\"QString\">ANALOG</type>\n"
                             "        <active type=\"QString\">OFF</active>\n"
                             "        <system type=\"QString\">PAL</system>\n"
                             "        <docsisGroup type=\"int\">0</docsisGroup>\n"
                             "        <primaryCarrier type=\"QString\"/>\n"
                             "        <freqAudio type=\"QString\">5.5</freqAudio>\n"
                             "        <plan type=\"QString\">Mine</plan>\n"
                             "    </CHANNEL>\n"
                             "</CHANNEL_PLAN>\n";
    EXPECT_EQ(readText("channelPlans/Mine.XML").toStdString(), expected.toStdString());

    // Read back, every record has the same eleven keys with the file's types.
    ASSERT_TRUE(channels->carregaChannelPlan("Mine"));
    const QVariantMap first = channels->currentChannel();
    EXPECT_EQ(first.keys(), QStringList({"active", "bandwidth", "docsisGroup", "freqAudio", "frequency",
                                         "frequencyOffset", "name", "plan", "primaryCarrier", "system", "type"}));
    EXPECT_EQ(first.value("frequency"), QVariant(474000000u));
    EXPECT_EQ(first.value("docsisGroup"), QVariant(2));
    EXPECT_EQ(channels->channelList().at(1).toMap().value("name"), QVariant("E5 <&>"));
    EXPECT_EQ(channels->channelList().at(1).toMap().value("frequencyOffset"), QVariant(-250000));
}

TEST(ChannelPlanQueries, ClosestChannelAtAndBetweenChannels)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    Channelslist* channels = withQueryPlan();
    int changes = 0;
    QObject::connect(channels, &Channelslist::currentChannelChanged, [&] { ++changes; });

    channels->carregaClosestChannel(108 * kMHz);
    EXPECT_EQ(currentName(), "B");
    channels->carregaClosestChannel(104 * kMHz); // as close to A as to B: the first wins
    EXPECT_EQ(currentName(), "A");
    channels->carregaClosestChannel(113900000);
    EXPECT_EQ(currentName(), "B");
    channels->carregaClosestChannel(114100000); // the inactive channel is still a channel of the plan
    EXPECT_EQ(currentName(), "C");
    channels->carregaClosestChannel(0);
    EXPECT_EQ(currentName(), "A");
    channels->carregaClosestChannel(4000000000u);
    EXPECT_EQ(currentName(), "E");
    EXPECT_EQ(channels->currentChannelIndex(), 4);
    EXPECT_EQ(changes, 6);
    // The selection is only held; saving is setchannelVariables' job.
    EXPECT_EQ(ScreensVariables::getInstance()->channelIndexes().channel, 4);
}

TEST(ChannelPlanQueries, TheChannelContainingAFrequency)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    Channelslist* channels = withQueryPlan();

    EXPECT_TRUE(channels->searchFrequencyOnChannelNoCenter(96 * kMHz));
    EXPECT_EQ(currentName(), "A");
    EXPECT_TRUE(channels->searchFrequencyOnChannelNoCenter(104 * kMHz - 1));
    EXPECT_EQ(currentName(), "A");
    EXPECT_TRUE(channels->searchFrequencyOnChannelNoCenter(104 * kMHz)); // the shared edge belongs to the upper one
    EXPECT_EQ(currentName(), "B");
    EXPECT_TRUE(channels->searchFrequencyOnChannelNoCenter(131 * kMHz));
    EXPECT_EQ(currentName(), "D");

    // Inside no channel: nothing changes.
    for (unsigned f : {112 * kMHz, 115 * kMHz, 125 * kMHz, 95 * kMHz, 2700 * kMHz}) {
        EXPECT_FALSE(channels->searchFrequencyOnChannelNoCenter(f)) << f;
        EXPECT_EQ(currentName(), "D");
    }
}

TEST(ChannelPlanQueries, BondingGroupsAreSortedAndDistinct)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    Channelslist* channels = withQueryPlan();

    EXPECT_EQ(channels->docsisBondingGroup(), QList<int>({0, 1, 3}));
    EXPECT_EQ(names(channels->carrierListChannels(3)), QStringList({"A", "C"}));
    EXPECT_EQ(names(channels->carrierListChannels(1)), QStringList({"B", "E"}));
    EXPECT_TRUE(channels->carrierListChannels(2).isEmpty());
    EXPECT_TRUE(channels->carrierListChannels(-1).isEmpty());
    EXPECT_TRUE(channels->carrierListChannels(10).isEmpty());

    EXPECT_EQ(channels->currentDocsisBondingGroup(), 0);
    ASSERT_TRUE(channels->setCurrentDocsisBondingGroupIndex(2));
    EXPECT_EQ(channels->currentDocsisBondingGroup(), 3);
    EXPECT_TRUE(channels->setCurrentCarrierIndex(1));
    EXPECT_FALSE(channels->setCurrentCarrierIndex(2));
    EXPECT_FALSE(channels->setCurrentDocsisBondingGroupIndex(3));
    EXPECT_FALSE(channels->setCurrentDocsisBondingGroupIndex(-1));
    EXPECT_EQ(channels->currentDocsisBondingGroupIndex(), 2);
    // A new group starts at its first carrier.
    ASSERT_TRUE(channels->setCurrentDocsisBondingGroupIndex(1));
    EXPECT_EQ(channels->currentCarrierIndex(), 0);
}

TEST(ChannelPlanQueries, CurrentChannelListKeepsActiveChannelsInsideTheSpanInPlanOrder)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    Channelslist* channels = withQueryPlan();

    EXPECT_EQ(names(channels->currentChannelList()), QStringList({"A", "B", "D", "E"}));
    channels->setSpan(200 * kMHz, 104 * kMHz);
    EXPECT_EQ(names(channels->currentChannelList()), QStringList({"B", "D"}));
    channels->setSpan(100 * kMHz, 100 * kMHz);
    EXPECT_EQ(names(channels->currentChannelList()), QStringList({"A"}));
    channels->setSpan(Channelslist::kMinFrequency, Channelslist::kMaxFrequency);
    const QVariantMap a = channels->currentChannelList().first().toMap();
    EXPECT_EQ(a.value("plan"), QVariant("QUERY"));
    EXPECT_EQ(a.value("frequency"), QVariant(100 * kMHz));
}

TEST(ChannelPlanQueries, AnEmptyPlanOrNoPlanAnswersEmpty)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    Channelslist* channels = Channelslist::getInstance();
    int changes = 0;
    QObject::connect(channels, &Channelslist::currentChannelChanged, [&] { ++changes; });

    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_TRUE(channels->currentChannel().isEmpty());
        EXPECT_TRUE(channels->currentChannelList().isEmpty());
        EXPECT_TRUE(channels->docsisBondingGroup().isEmpty());
        EXPECT_EQ(channels->currentDocsisBondingGroup(), -1);
        EXPECT_TRUE(channels->carrierListChannels(channels->currentDocsisBondingGroup()).isEmpty());
        EXPECT_TRUE(channels->carrierListChannels(0).isEmpty());
        EXPECT_FALSE(channels->searchFrequencyOnChannelNoCenter(474 * kMHz));
        EXPECT_FALSE(channels->setCurrentChannelIndex(0));
        EXPECT_FALSE(channels->setCurrentDocsisBondingGroupIndex(0));
        changes = 0;
        channels->carregaClosestChannel(474 * kMHz);
        EXPECT_EQ(changes, 0);
        // Second pass: a plan file without channels.
        ASSERT_TRUE(channels->guardaChannelPlan("EMPTY", {}));
        ASSERT_TRUE(channels->carregaChannelPlan("EMPTY"));
    }
    EXPECT_EQ(channels->currentPlan(), "EMPTY");
}

TEST(ChannelPlanSelection, IsRestoredFromTheSettingsFileAndSavedBySetchannelVariables)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("standarsChannelPlans"));
    ASSERT_TRUE(QDir().rename("standarsChannelPlans", "channelPlans"));
    writeText("screenVariables.XML",
              "<SCREEN_VARIABLES><screen type=\"QString\">SCAN_RF</screen><CHANNEL_VARIABLES>"
              "<channelPlan type=\"int\">1</channelPlan><channel type=\"int\">5</channel>"
              "<docsisBondingGroup type=\"int\">2</docsisBondingGroup><carrier type=\"int\">3</carrier>"
              "</CHANNEL_VARIABLES></SCREEN_VARIABLES>");

    Channelslist* channels = Channelslist::getInstance();
    EXPECT_EQ(channels->channelPlans(), QStringList({"EUROPE", "USA"}));
    EXPECT_EQ(channels->currentPlan(), "USA");
    EXPECT_EQ(channels->currentChannelIndex(), 5);
    EXPECT_EQ(channels->currentDocsisBondingGroup(), 2);
    EXPECT_EQ(channels->currentCarrierIndex(), 3);
    EXPECT_TRUE(commands(board.board()).empty());

    channels->carregaChannelPlan("EUROPE");
    channels->carregaClosestChannel(610 * kMHz);
    channels->setchannelVariables();
    EXPECT_EQ(commands(board.board()), remountBrackets());
    const QDomElement saved = rootOf("screenVariables.XML").firstChildElement("CHANNEL_VARIABLES");
    EXPECT_EQ(saved.firstChildElement("channelPlan").text(), "0");
    EXPECT_EQ(saved.firstChildElement("channel").text(), QString::number(channels->currentChannelIndex()));
    EXPECT_EQ(channels->currentChannel().value("name"), QVariant("E38"));
    EXPECT_EQ(rootOf("screenVariables.XML").firstChildElement("screen").text(), "SCAN_RF");
}

namespace {
// The shipped plan cut short: not valid XML.
QByteArray seedTornPlan(ScopedWorkDir& dir)
{
    EXPECT_TRUE(dir.seedFromData("channelPlans"));
    const QByteArray torn = readBytes("channelPlans/EUROPE.XML").left(5000);
    writeText("channelPlans/EUROPE.XML", torn);
    return torn;
}

// Two plans, the settings selecting the second (USA) at channel 5.
void seedTwoPlansSelectingTheSecond(ScopedWorkDir& dir)
{
    ASSERT_TRUE(dir.seedFromData("standarsChannelPlans"));
    ASSERT_TRUE(QDir().rename("standarsChannelPlans", "channelPlans"));
    writeText("screenVariables.XML",
              "<SCREEN_VARIABLES><CHANNEL_VARIABLES><channelPlan type=\"int\">1</channelPlan>"
              "<channel type=\"int\">5</channel></CHANNEL_VARIABLES></SCREEN_VARIABLES>");
}
} // namespace

TEST(ChannelPlanReadAhead, IsTakenOverWithTheSavedChannel)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    seedTwoPlansSelectingTheSecond(dir);
    Channelslist::readAhead();
    QVariantList direct;
    ASSERT_TRUE(Channelslist::llegeixChannelPlan("channelPlans/USA.XML", "USA", &direct));

    Channelslist* channels = Channelslist::getInstance();
    EXPECT_EQ(channels->currentPlan(), "USA");
    EXPECT_EQ(channels->currentChannelIndex(), 5);
    EXPECT_EQ(channels->channelList(), direct);
    EXPECT_TRUE(commands(board.board()).empty());
}

TEST(ChannelPlanReadAhead, CountsNotOnceTheSettingsSelectAnotherPlan)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    seedTwoPlansSelectingTheSecond(dir);
    Channelslist::readAhead();
    ScreensVariables::getInstance()->setChannelIndexes({0, 2, 0, 0});
    Channelslist* channels = Channelslist::getInstance();
    EXPECT_EQ(channels->currentPlan(), "EUROPE");
    EXPECT_EQ(channels->currentChannelIndex(), 2);
}

TEST(ChannelPlanReadAhead, AMalformedPlanIsKeptAsideAndGivesAnEmptyPlan)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    const QByteArray torn = seedTornPlan(dir);
    LogCapture log;
    Channelslist::readAhead();
    Channelslist* channels = Channelslist::getInstance();
    EXPECT_TRUE(log.contains("channelPlans/EUROPE.XML is not valid XML"));
    EXPECT_TRUE(log.contains("cannot be loaded; no plan is selected"));
    EXPECT_EQ(channels->currentPlan(), QString());
    EXPECT_EQ(readBytes("channelPlans/EUROPE.XML.bad"), torn);
}

TEST(ChannelPlanSelection, IndexesOutsideThePlanFallBackToTheFirst)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("channelPlans"));
    writeText("screenVariables.XML",
              "<SCREEN_VARIABLES><CHANNEL_VARIABLES><channelPlan type=\"int\">7</channelPlan>"
              "<channel type=\"int\">-3</channel><docsisBondingGroup type=\"int\">9</docsisBondingGroup>"
              "</CHANNEL_VARIABLES></SCREEN_VARIABLES>");
    Channelslist* channels = Channelslist::getInstance();
    EXPECT_EQ(channels->currentPlan(), "EUROPE");
    EXPECT_EQ(channels->currentChannelIndex(), 0);
    EXPECT_EQ(channels->currentDocsisBondingGroupIndex(), 0);
    const ScreensVariables::ChannelIndexes held = ScreensVariables::getInstance()->channelIndexes();
    EXPECT_EQ(held.plan, 0);
    EXPECT_EQ(held.channel, 0);
    EXPECT_EQ(held.bondingGroup, 0);
}

TEST(ChannelPlans, ImportListAndRemove)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("standarsChannelPlans"));
    Channelslist* channels = Channelslist::getInstance();
    EXPECT_TRUE(channels->channelPlans().isEmpty());
    EXPECT_EQ(channels->standardChannelPlans(), QStringList({"EUROPE", "USA"}));

    ASSERT_TRUE(channels->importaChannelPlan("USA"));
    ASSERT_TRUE(channels->importaChannelPlan("EUROPE"));
    EXPECT_EQ(channels->channelPlans(), QStringList({"EUROPE", "USA"}));
    EXPECT_FALSE(channels->importaChannelPlan("JAPAN"));

    ASSERT_TRUE(channels->carregaChannelPlan("USA"));
    QVariantList standard;
    ASSERT_TRUE(Channelslist::llegeixChannelPlan("standarsChannelPlans/USA.XML", "USA", &standard));
    EXPECT_EQ(channels->channelList(), standard);
    EXPECT_EQ(channels->currentPlanIndex(), 1);

    // Removing a plan before the current one moves the current one's index.
    ASSERT_TRUE(channels->esborraChannelPlan("EUROPE"));
    EXPECT_EQ(channels->currentPlan(), "USA");
    EXPECT_EQ(ScreensVariables::getInstance()->channelIndexes().plan, 0);
    ASSERT_TRUE(channels->esborraChannelPlan("USA"));
    EXPECT_EQ(channels->currentPlan(), QString());
    EXPECT_TRUE(channels->channelList().isEmpty());
    EXPECT_FALSE(channels->esborraChannelPlan("USA"));
}

TEST(ChannelPlans, NamesThatLeaveThePlansFolderAreRefused)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    LogCapture log;
    Channelslist* channels = Channelslist::getInstance();
    for (const QString& bad : {QString(), QString("../screenVariables"), QString("a/b"), QString(".hidden"),
                               QString("tab\there")}) {
        EXPECT_FALSE(channels->guardaChannelPlan(bad, queryPlan())) << bad.toStdString();
        EXPECT_FALSE(channels->carregaChannelPlan(bad));
        EXPECT_FALSE(channels->esborraChannelPlan(bad));
        EXPECT_FALSE(channels->importaChannelPlan(bad));
    }
    EXPECT_TRUE(commands(board.board()).empty());
    EXPECT_FALSE(QFileInfo::exists("screenVariables.XML"));
    EXPECT_TRUE(log.contains("Channel plan name not valid"));
}

TEST(ChannelPlanFile, AMalformedPlanIsKeptAsideAndGivesAnEmptyPlan)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    const QByteArray torn = seedTornPlan(dir);
    writeText("channelPlans/WRONG.XML", "<DATALOGGER/>");
    LogCapture log;

    Channelslist* channels = Channelslist::getInstance();
    EXPECT_TRUE(log.contains("channelPlans/EUROPE.XML is not valid XML")) << log.lines().join("\n").toStdString();
    EXPECT_EQ(channels->currentPlan(), QString());
    EXPECT_TRUE(channels->channelList().isEmpty());
    EXPECT_EQ(readBytes("channelPlans/EUROPE.XML.bad"), torn);
    EXPECT_EQ(channels->channelPlans(), QStringList({"WRONG"}));

    EXPECT_FALSE(channels->carregaChannelPlan("WRONG"));
    EXPECT_TRUE(log.contains("channelPlans/WRONG.XML has no CHANNEL_PLAN root element"));
    EXPECT_TRUE(channels->channelPlans().isEmpty());
}

TEST(StandardPlans, AreOrderedNonOverlappingAndInsideTheTuningRange)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("standarsChannelPlans"));
    for (const QString& plan : {QString("EUROPE"), QString("USA")}) {
        QVariantList list;
        ASSERT_TRUE(Channelslist::llegeixChannelPlan("standarsChannelPlans/" + plan + ".XML", plan, &list));
        EXPECT_GE(list.size(), 90);
        qint64 previousTop = Channelslist::kMinFrequency;
        for (const QVariant& c : list) {
            const QVariantMap m = c.toMap();
            const qint64 bottom = m.value("frequency").toLongLong() - m.value("bandwidth").toLongLong() / 2;
            EXPECT_GE(bottom, previousTop) << m.value("name").toString().toStdString();
            previousTop = bottom + m.value("bandwidth").toLongLong();
            EXPECT_EQ(m.value("active"), QVariant("ON"));
            if (m.value("type") == "ANALOG")
                EXPECT_GT(m.value("freqAudio").toDouble(), 4.0);
            else
                EXPECT_EQ(m.value("type"), QVariant("DIGITAL"));
        }
        EXPECT_LE(previousTop, qint64(Channelslist::kMaxFrequency));
    }
}

TEST(ChannelPlanFile, AChannelWhoseFrequencyOrWidthDoesNotReadIsLeftOutAndTheFileKept)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    // The middle channel's frequency and bandwidth, each as type and text (no type: no
    // element), between two good channels; `named` is what the log names, none when the
    // channel reads and is kept.
    const struct {
        const char* frequencyType;
        const char* frequency;
        const char* bandwidthType;
        const char* bandwidth;
        const char* named;
    } rows[] = {
        {"uint", "474 MHz", "uint", "8000000", "frequency does not"},
        {"uint", "4294967296", "uint", "8000000", "frequency does not"},
        {"double", "nan", "uint", "8000000", "frequency does not"},
        {"double", "inf", "uint", "8000000", "frequency does not"},
        {"double", "1e20", "uint", "8000000", "frequency does not"},
        {"double", "474000000.5", "uint", "8000000", "frequency does not"},
        {"int", "-474000000", "uint", "8000000", "frequency does not"},
        {"QString", "E21", "uint", "8000000", "frequency does not"},
        {"bool", "true", "uint", "8000000", "frequency does not"},
        {nullptr, "", "uint", "8000000", "frequency does not"},
        {"uint", "474000000", "uint", "eight", "bandwidth does not"},
        {"uint", "474000000", "uint", "", "bandwidth does not"},
        {"uint", "474000000", "double", "8e6.5", "bandwidth does not"},
        {"uint", "474000000", nullptr, "", "bandwidth does not"},
        {"uint", "x", "int", "-8", "frequency and bandwidth do not"},
        // Whole numbers of Hz read in any type.
        {"double", "474e6", "int", "8000000", nullptr},
        {"QString", "474000000", "uint", "8000000", nullptr},
    };
    auto element = [](const char* key, const char* type, const char* text) {
        return type ? QString("<%1 type=\"%2\">%3</%1>").arg(key, type, text) : QString();
    };
    auto channel = [&](const char* name, const QString& values) {
        return "<CHANNEL>" + element("name", "QString", name) + values + element("active", "QString", "ON") + "</CHANNEL>";
    };
    const QString good = element("frequency", "uint", "%1") + element("bandwidth", "uint", "8000000");
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.frequency) + " / " + r.bandwidth);
        const QByteArray text = ("<CHANNEL_PLAN>" + channel("E20", good.arg(466000000))
                                 + channel("E21", element("frequency", r.frequencyType, r.frequency)
                                                      + element("bandwidth", r.bandwidthType, r.bandwidth))
                                 + channel("E22", good.arg(482000000)) + "</CHANNEL_PLAN>\n")
                                    .toUtf8();
        QDir().mkpath("channelPlans");
        writeText("channelPlans/MINE.XML", text);
        LogCapture log;
        Channelslist* channels = Channelslist::getInstance();
        ASSERT_TRUE(channels->carregaChannelPlan("MINE"));
        const QStringList kept = r.named ? QStringList{"E20", "E22"} : QStringList{"E20", "E21", "E22"};
        EXPECT_EQ(names(channels->channelList()), kept);
        EXPECT_EQ(names(channels->currentChannelList()), kept); // nothing measured at 0 Hz
        if (r.named) {
            EXPECT_TRUE(log.contains(QString("Channel plan channelPlans/MINE.XML leaves out channel 2 E21: its %1 read "
                                             "as a whole number of Hz")
                                         .arg(r.named)))
                << log.lines().join("\n").toStdString();
        } else {
            EXPECT_EQ(channels->channelList().at(1).toMap().value("frequency"), QVariant(474000000u));
            EXPECT_EQ(channels->channelList().at(1).toMap().value("bandwidth"), QVariant(8000000u));
        }
        // The file stays as it was, where it was; nothing was written.
        EXPECT_EQ(readBytes("channelPlans/MINE.XML"), text);
        EXPECT_FALSE(QFileInfo::exists("channelPlans/MINE.XML.bad"));
        EXPECT_TRUE(commands(board.board()).empty());
    }
}

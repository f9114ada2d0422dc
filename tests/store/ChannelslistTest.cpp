// The channel-plan model: the plan file layout, the searches the screens and the runs use,
// the selection kept in the settings file, plans imported, removed and refused.
#include "StoreTestSupport.h"

#include "store/channelslist.h"
#include "store/screensvariables.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

using namespace storetest;

namespace {
constexpr unsigned kMHz = 1000000;

QVariantMap channel(const QString& name, unsigned centreMHz, unsigned bwMHz, const QString& active, int group)
{
    return {{"name", name},       {"frequency", centreMHz * kMHz}, {"bandwidth", bwMHz * kMHz},
            {"type", "DIGITAL"},  {"active", active},              {"system", "DVB-C"},
            {"docsisGroup", group}, {"primaryCarrier", "OFF"},     {"freqAudio", "0"}};
}

QStringList names(const QVariantList& channels)
{
    QStringList out;
    for (const QVariant& c : channels)
        out.append(c.toMap().value("name").toString());
    return out;
}

QString currentName() { return Channelslist::getInstance()->currentChannel().value("name").toString(); }

// Both shipped plans, the settings selecting the second (USA) at channel 5, bonding group 2
// and carrier 3.
void seedTwoPlansSelectingTheSecond(ScopedWorkDir& dir)
{
    ASSERT_TRUE(dir.seedFromData("standarsChannelPlans"));
    ASSERT_TRUE(QDir().rename("standarsChannelPlans", "channelPlans"));
    writeChannelVariables(1, 5, 2, 3);
}
} // namespace

TEST(ChannelPlanFile, HoldsExactlyTheChannelKeysInTheirOrderAndTypes)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    QCoreApplication::setApplicationName("CABLE VARNOK");
    Channelslist* channels = Channelslist::getInstance();
    // Values as a screen might hand them: numbers as doubles or texts, extra and missing keys.
    const QVariantMap given{{"name", "E5 <&>"},   {"frequency", "177500000"}, {"bandwidth", 7000000.0},
                            {"frequencyOffset", -250000}, {"type", "ANALOG"}, {"docsisGroup", "2"},
                            {"freqAudio", 5.5},   {"power", 5},               {"plan", "Other"}};
    ASSERT_TRUE(channels->guardaChannelPlan("Mine", {given}));
    EXPECT_EQ(commands(board.board()), remountBrackets());

    const QString date = QDateTime::fromMSecsSinceEpoch(board.clock().wallTimeUs() / 1000).toString(Qt::ISODate);
    const QString expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                             "<CHANNEL_PLAN date=\"" + date + "\" equipment=\"CABLE VARNOK\">\n"
                             "    <CHANNEL>\n"
                             "        <name type=\"QString\">E5 &lt;&amp;&gt;</name>\n"
                             "        <frequency type=\"uint\">177500000</frequency>\n"
                             "        <bandwidth type=\"uint\">7000000</bandwidth>\n"
                             "        <frequencyOffset type=\"int\">-250000</frequencyOffset>\n"
                             "        <type type=\"QString\">ANALOG</type>\n        <active type=\"QString\"/>\n"
                             "        <system type=\"QString\"/>\n        <docsisGroup type=\"int\">2</docsisGroup>\n"
                             "        <primaryCarrier type=\"QString\"/>\n"
                             "        <freqAudio type=\"QString\">5.5</freqAudio>\n        <plan type=\"QString\">Mine</plan>\n"
                             "    </CHANNEL>\n"
                             "</CHANNEL_PLAN>\n";
    EXPECT_EQ(readText("channelPlans/Mine.XML").toStdString(), expected.toStdString());

    // Read back, the record has the eleven keys with the file's types.
    ASSERT_TRUE(channels->carregaChannelPlan("Mine"));
    const QVariantMap read = channels->currentChannel();
    EXPECT_EQ(read.keys(), QStringList({"active", "bandwidth", "docsisGroup", "freqAudio", "frequency",
                                        "frequencyOffset", "name", "plan", "primaryCarrier", "system", "type"}));
    EXPECT_EQ(read.value("frequency").type(), QVariant::UInt);
}

TEST(ChannelPlanQueries, FindTheChannelsAtAndBetweenTheirEdgesAndNothingWithoutChannels)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    Channelslist* channels = Channelslist::getInstance();
    int changes = 0;
    QObject context;
    QObject::connect(channels, &Channelslist::currentChannelChanged, &context, [&] { ++changes; });
    // No plan, then a plan file without channels.
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_TRUE(channels->currentChannel().isEmpty());
        EXPECT_TRUE(channels->currentChannelList().isEmpty());
        EXPECT_EQ(channels->currentDocsisBondingGroup(), -1);
        EXPECT_TRUE(channels->carrierListChannels(0).isEmpty());
        EXPECT_FALSE(channels->searchFrequencyOnChannelNoCenter(474 * kMHz));
        EXPECT_FALSE(channels->setCurrentChannelIndex(0));
        EXPECT_FALSE(channels->setCurrentDocsisBondingGroupIndex(0));
        changes = 0;
        channels->carregaClosestChannel(474 * kMHz);
        EXPECT_EQ(changes, 0);
        ASSERT_TRUE(channels->guardaChannelPlan("QUERY", {}));
        ASSERT_TRUE(channels->carregaChannelPlan("QUERY"));
    }
    // The plan in force saved again is the list in force. A: 96-104 MHz, B: 104-112,
    // C (inactive): 116-124, D: 127-133, E: 2646-2654.
    ASSERT_TRUE(channels->guardaChannelPlan("QUERY", {channel("A", 100, 8, "ON", 3), channel("B", 108, 8, "ON", 1),
                                                      channel("C", 120, 8, "OFF", 3), channel("D", 130, 6, "ON", 0),
                                                      channel("E", 2650, 8, "ON", 1)}));
    // The closest centre: the first of two as close, an inactive channel too, the outermost
    // beyond the plan.
    changes = 0;
    for (const auto& [hz, name] : {std::pair(108 * kMHz, "B"), {104 * kMHz, "A"}, {113900000u, "B"}, {114100000u, "C"},
                                   {0u, "A"}, {4000000000u, "E"}}) {
        channels->carregaClosestChannel(hz);
        EXPECT_EQ(currentName(), name) << hz;
    }
    EXPECT_EQ(changes, 6);

    // The channel containing a frequency: a shared edge belongs to the upper one; outside
    // every channel nothing changes.
    for (const auto& [hz, found, name] :
         {std::tuple(96 * kMHz, true, "A"), {104 * kMHz - 1, true, "A"}, {104 * kMHz, true, "B"}, {131 * kMHz, true, "D"},
          {112 * kMHz, false, "D"}, {125 * kMHz, false, "D"}, {95 * kMHz, false, "D"}, {2700 * kMHz, false, "D"}}) {
        EXPECT_EQ(channels->searchFrequencyOnChannelNoCenter(hz), found) << hz;
        EXPECT_EQ(currentName(), name) << hz;
    }

    // The active channels whose centre is inside the span, in plan order.
    EXPECT_EQ(names(channels->currentChannelList()), QStringList({"A", "B", "D", "E"}));
    channels->setSpan(200 * kMHz, 104 * kMHz);
    EXPECT_EQ(names(channels->currentChannelList()), QStringList({"B", "D"}));
    channels->setSpan(100 * kMHz, 100 * kMHz);
    EXPECT_EQ(names(channels->currentChannelList()), QStringList({"A"}));

    // Bonding groups sorted and distinct, carriers by group in plan order.
    EXPECT_EQ(channels->docsisBondingGroup(), QList<int>({0, 1, 3}));
    EXPECT_EQ(names(channels->carrierListChannels(3)), QStringList({"A", "C"}));
    EXPECT_EQ(names(channels->carrierListChannels(1)), QStringList({"B", "E"}));
    for (int group : {2, -1, 10})
        EXPECT_TRUE(channels->carrierListChannels(group).isEmpty()) << group;
    ASSERT_TRUE(channels->setCurrentDocsisBondingGroupIndex(2));
    EXPECT_EQ(channels->currentDocsisBondingGroup(), 3);
    EXPECT_TRUE(channels->setCurrentCarrierIndex(1));
    EXPECT_FALSE(channels->setCurrentCarrierIndex(2));
    EXPECT_FALSE(channels->setCurrentDocsisBondingGroupIndex(3));
    EXPECT_FALSE(channels->setCurrentDocsisBondingGroupIndex(-1));
    // A new group starts at its first carrier.
    ASSERT_TRUE(channels->setCurrentDocsisBondingGroupIndex(1));
    EXPECT_EQ(channels->currentCarrierIndex(), 0);
}

TEST(ChannelPlanSelection, IsRestoredFromTheSettingsFileAndSavedBySetchannelVariables)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    seedTwoPlansSelectingTheSecond(dir);
    Channelslist* channels = Channelslist::getInstance();
    EXPECT_EQ(channels->currentPlan(), "USA");
    EXPECT_EQ(std::make_tuple(channels->currentChannelIndex(), channels->currentDocsisBondingGroup(),
                              channels->currentCarrierIndex()),
              std::make_tuple(5, 2, 3));
    EXPECT_TRUE(commands(board.board()).empty());

    channels->carregaChannelPlan("EUROPE");
    channels->carregaClosestChannel(610 * kMHz);
    channels->setchannelVariables();
    EXPECT_EQ(commands(board.board()), remountBrackets());
    const QDomElement saved = rootOf("screenVariables.XML").firstChildElement("CHANNEL_VARIABLES");
    EXPECT_EQ(saved.firstChildElement("channelPlan").text(), "0");
    EXPECT_EQ(saved.firstChildElement("channel").text(), QString::number(channels->currentChannelIndex()));
    EXPECT_EQ(currentName(), "E38");
    EXPECT_EQ(rootOf("screenVariables.XML").firstChildElement("screen").text(), "SCAN_RF");
}

TEST(ChannelPlanReadAhead, CountsNotOnceTheSettingsSelectAnotherPlan)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    seedTwoPlansSelectingTheSecond(dir);
    Channelslist::readAhead();
    ScreensVariables::getInstance()->setChannelIndexes({0, 2, 0, 0});
    EXPECT_EQ(Channelslist::getInstance()->currentPlan(), "EUROPE");
    EXPECT_EQ(Channelslist::getInstance()->currentChannelIndex(), 2);
}

TEST(ChannelPlanReadAhead, AMalformedPlanIsKeptAsideAndGivesNoPlan)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("channelPlans"));
    const QByteArray torn = readBytes("channelPlans/EUROPE.XML").left(5000); // not valid XML
    writeText("channelPlans/EUROPE.XML", torn);
    LogCapture log;
    Channelslist::readAhead();
    EXPECT_EQ(Channelslist::getInstance()->currentPlan(), QString());
    EXPECT_TRUE(log.contains("channelPlans/EUROPE.XML is not valid XML"));
    EXPECT_EQ(readBytes("channelPlans/EUROPE.XML.bad"), torn);
}

TEST(ChannelPlanSelection, IndexesOutsideThePlanFallBackToTheFirst)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("channelPlans"));
    writeChannelVariables(7, -3, 9, 0);
    EXPECT_EQ(Channelslist::getInstance()->currentPlan(), "EUROPE");
    const ScreensVariables::ChannelIndexes held = ScreensVariables::getInstance()->channelIndexes();
    EXPECT_EQ(std::make_tuple(held.plan, held.channel, held.bondingGroup), std::make_tuple(0, 0, 0));
}

TEST(ChannelPlans, AreImportedListedAndRemovedAndNamesLeavingTheirFolderRefused)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("standarsChannelPlans"));
    LogCapture log;
    Channelslist* channels = Channelslist::getInstance();
    for (const QString& bad : {QString(), QString("../screenVariables"), QString("a/b"), QString(".hidden"),
                               QString("tab\there")}) {
        EXPECT_FALSE(channels->guardaChannelPlan(bad, {channel("A", 100, 8, "ON", 3)})) << bad.toStdString();
        EXPECT_FALSE(channels->carregaChannelPlan(bad));
        EXPECT_FALSE(channels->esborraChannelPlan(bad));
        EXPECT_FALSE(channels->importaChannelPlan(bad));
    }
    EXPECT_TRUE(commands(board.board()).empty());
    EXPECT_FALSE(QFileInfo::exists("screenVariables.XML"));
    EXPECT_TRUE(log.contains("Channel plan name not valid"));

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

    // Removing a plan before the current one moves the current one's index.
    ASSERT_TRUE(channels->esborraChannelPlan("EUROPE"));
    EXPECT_EQ(channels->currentPlan(), "USA");
    EXPECT_EQ(ScreensVariables::getInstance()->channelIndexes().plan, 0);
    ASSERT_TRUE(channels->esborraChannelPlan("USA"));
    EXPECT_EQ(channels->currentPlan(), QString());
    EXPECT_TRUE(channels->channelList().isEmpty());
    EXPECT_FALSE(channels->esborraChannelPlan("USA"));
}

TEST(ChannelPlanFile, AChannelWhoseFrequencyOrWidthDoesNotReadIsLeftOutAndTheFileKept)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    // The middle channel's frequency and bandwidth, each as type and text (no type: no
    // element), between two good channels; what the log names, none when the channel is kept.
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
        {"double", "1e20", "uint", "8000000", "frequency does not"},
        {"double", "474000000.5", "uint", "8000000", "frequency does not"},
        {"int", "-474000000", "uint", "8000000", "frequency does not"},
        {nullptr, "", "uint", "8000000", "frequency does not"},
        {"uint", "474000000", "uint", "eight", "bandwidth does not"},
        {"uint", "474000000", nullptr, "", "bandwidth does not"},
        {"uint", "x", "int", "-8", "frequency and bandwidth do not"},
        // Whole numbers of Hz read in any type.
        {"double", "474e6", "int", "8000000", nullptr},
        {"QString", "474000000", "uint", "8000000", nullptr},
    };
    auto element = [](const char* key, const char* type, const char* text) {
        return type ? QString("<%1 type=\"%2\">%3</%1>").arg(key, type, text) : QString();
    };
    const auto channelText = [&](const char* name, const char* fType, const char* f, const char* bType, const char* b) {
        return "<CHANNEL>" + element("name", "QString", name) + element("frequency", fType, f)
            + element("bandwidth", bType, b) + element("active", "QString", "ON") + "</CHANNEL>";
    };
    QDir().mkpath("channelPlans");
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.frequency) + " / " + r.bandwidth);
        const QByteArray text = ("<CHANNEL_PLAN>" + channelText("E20", "uint", "466000000", "uint", "8000000")
                                 + channelText("E21", r.frequencyType, r.frequency, r.bandwidthType, r.bandwidth)
                                 + channelText("E22", "uint", "482000000", "uint", "8000000") + "</CHANNEL_PLAN>\n")
                                    .toUtf8();
        writeText("channelPlans/MINE.XML", text);
        LogCapture log;
        Channelslist* channels = Channelslist::getInstance();
        ASSERT_TRUE(channels->carregaChannelPlan("MINE"));
        const QStringList kept = r.named ? QStringList{"E20", "E22"} : QStringList{"E20", "E21", "E22"};
        EXPECT_EQ(names(channels->currentChannelList()), kept); // nothing measured at 0 Hz
        EXPECT_EQ(log.contains(QString("Channel plan channelPlans/MINE.XML leaves out channel 2 E21: its %1 read as a "
                                       "whole number of Hz")
                                   .arg(r.named ? r.named : "")),
                  r.named != nullptr);
        // The file stays as it was, where it was; nothing was written.
        EXPECT_EQ(readBytes("channelPlans/MINE.XML"), text);
        EXPECT_FALSE(QFileInfo::exists("channelPlans/MINE.XML.bad"));
        EXPECT_TRUE(commands(board.board()).empty());
    }
}

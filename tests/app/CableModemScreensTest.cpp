// The cable-modem screens in the frame (the display tests check their layout in every
// language): a user reaches each from the main menu and back by touch, and the tests start
// and stop with their measure codes in the engine; what the engine reports shows in the
// tables, bars and fields as the screens convert it.
#include "FrameHarness.h"
#include "ScreenLayout.h"
#include "SimBoardFixture.h"

#include "periodicfunctions.h"

#include "engines/mesuraCM.h"
#include "cablemodem/modemStores.h"
#include "store/channelslist.h"
#include "store/loggerlist.h"
#include "store/screensvariables.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>
#include <QQuickItem>
#include <QWheelEvent>
#include <gtest/gtest.h>

using apptest::FrameHarness;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;

namespace {
struct ScreensTest : ::testing::Test {
    ScopedBoard board;
    ScopedWorkDir dir;
    void SetUp() override { ASSERT_TRUE(dir.seedFromData("calibracion") && dir.seedFromData("screenVariables.XML")); }
};

MesuraCM* engine() { return MesuraCM::getInstance(); }

// The settings a screen starts with: the seeded ones, on a hardware model, with the
// frequency's system.
void useSettings(int model, const QString& system)
{
    ScreensVariables* s = ScreensVariables::getInstance();
    s->setValue("hardware_model", model);
    s->setValue("freq_demod_digital_system", system);
}
} // namespace

// From the main menu to each screen by touch and back by its own keys: the screen's test
// reaches the engine with its measure code and frequency, and leaving stops it.
TEST_F(ScreensTest, EachScreenFromTheMenuStartsItsTestAndLeavingStopsIt)
{
    const struct {
        int model;
        const char* system;
        const char* screen;
        int code;
        unsigned frequency;
        QStringList back;
    } rows[] = {
        {3, "", "REGISTERING_31", 71, 610000000, {"BACK"}},
        {3, "D3.1", "REGISTERING_31", 74, 610000000, {"BACK"}},
        {2, "D3.1", "REGISTERING_31", 61, 610000000, {"BACK"}},
        {3, "", "RANGING", 70, 610000000, {"home"}},
        {3, "D3.1", "RANGING", 75, 610000000, {"home"}},
        {2, "", "RANGING", 62, 610000000, {"home"}},
        {3, "", "DOWN_SCAN_DEMOD_31", 76, 610000000, {"home"}},
        {3, "", "SCAN_CM", 69, 0, {"home"}},
        {2, "", "SCAN_CM_OPTICAL", 69, 0, {"home"}},
        {3, "", "UPSTREAM_TEST", 73, 0, {"RETURN"}},
        {2, "", "UPSTREAM_TEST", 66, 0, {"RETURN"}},
        {3, "", "UPSTREAM_RF", 69, 0, {"home"}},
        {3, "", "UPSTREAM_OPTIC", 69, 0, {"home"}},
        {0, "", "EXT_CM_UP", 69, 0, {"NEXT"}},
        {3, "", "VOIP", 99, 0, {"REGISTERING", "BACK"}},
        {3, "", "IPTV", 99, 0, {"REGISTERING", "BACK"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.screen) + " on model " + std::to_string(r.model) + " " + r.system);
        useSettings(r.model, r.system);
        FrameHarness frame({true, true});
        engine()->init(0, 99);
        ASSERT_TRUE(frame.click(r.screen)) << "the main menu offers no key for it";
        EXPECT_EQ(frame.currentScreen(), r.screen);
        EXPECT_EQ(engine()->measureCode(), r.code);
        EXPECT_EQ(engine()->frequency(), r.frequency);
        for (const QString& key : r.back)
            ASSERT_TRUE(frame.click(key)) << key.toStdString();
        EXPECT_EQ(frame.currentScreen(), "MAIN_MENU");
        EXPECT_EQ(engine()->measureCode(), 99);
        EXPECT_TRUE(frame.warnings.isEmpty()) << frame.warnings.join("\n").toStdString();
    }
    // The OFDM analysis is the DOCSIS 3.1 modem's alone.
    useSettings(2, "");
    FrameHarness frame({true, true});
    EXPECT_EQ(frame.item("DOWN_SCAN_DEMOD_31"), nullptr);
    EXPECT_NE(frame.item("REGISTERING_31"), nullptr);
}

namespace {
// A screen loaded in the frame with the stand-in engines, its engine connections open.
// Whatever the test, the screens leave no QML warning.
struct OnScreen {
    FrameHarness frame{FrameHarness::Options{false, true}};
    explicit OnScreen(const QString& screen, bool connect = true)
    {
        frame.call("loadScreen", screen);
        if (connect)
            frame.evaluateInPage("if (typeof connects_actives !== 'undefined') connects_actives = true");
    }
    ~OnScreen() { EXPECT_TRUE(frame.warnings.isEmpty()) << frame.warnings.join("\n").toStdString(); }
    apptest::FakeEngine& cm() { return *frame.cableModem(); }
    QString eval(const QString& expression) { return frame.evaluateInPage(expression).toString(); }
    // A table row's columns joined by "|".
    QString row(const QString& table, int row)
    {
        return eval(QString("[%1.model.get(%2).channel, %1.model.get(%2).frequency, %1.model.get(%2).power,"
                            " %1.model.get(%2).mer_att, %1.model.get(%2).sr].join('|')")
                        .arg(table)
                        .arg(row));
    }
    // A field of a table's first rows, joined.
    QString column(const QString& table, const QString& field, int rows, const QString& separator = "|")
    {
        QStringList values;
        for (int i = 0; i < rows; ++i)
            values << eval(QString("%1.model.get(%2).%3").arg(table).arg(i).arg(field));
        return values.join(separator);
    }
    QString text(const QString& objectName)
    {
        QQuickItem* item = frame.item(objectName);
        return item ? item->property("text").toString() : "<none>";
    }
    // Opens the field's keyboard, types the number key by key and presses OK.
    void type(const QString& field, const QString& number)
    {
        ASSERT_TRUE(frame.click(field)) << field.toStdString();
        for (const QChar c : number)
            ASSERT_TRUE(frame.click("key_" + QString(c == '-' ? QChar(0x00B1) : c))) << QString(c).toStdString();
        ASSERT_TRUE(frame.click("key_OK"));
    }
    QVariant setting(const QString& key) { return ScreensVariables::getInstance()->getScreensVariables().value(key); }
    // Picks a choice in the dialog of a menu entry, and closes it with DONE.
    void choose(int entry, int choice)
    {
        frame.click("menuButton");
        frame.click("menuEntry" + QString::number(entry));
        frame.click("choice" + QString::number(choice));
        frame.click("dialogDone");
    }
    bool laidOutCleanly(const char* language)
    {
        frame.selectLanguage(language);
        frame.nextFrame();
        const QStringList faults = apptest::layoutFaults(frame.view()->contentItem());
        EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
        return faults.isEmpty();
    }
};

QVariantMap map(std::initializer_list<std::pair<const char*, QVariant>> pairs)
{
    QVariantMap m;
    for (const auto& p : pairs)
        m.insert(p.first, p.second);
    return m;
}

// Whether a is painted over b: where their branches part, a's lies higher (a greater z, or
// the same z and later among its siblings).
bool paintedOver(QQuickItem* a, QQuickItem* b)
{
    QList<QQuickItem*> pa, pb;
    for (QQuickItem* i = a; i; i = i->parentItem())
        pa.prepend(i);
    for (QQuickItem* i = b; i; i = i->parentItem())
        pb.prepend(i);
    int k = 0;
    while (k < pa.size() && k < pb.size() && pa[k] == pb[k])
        ++k;
    if (k == 0 || k == pa.size() || k == pb.size())
        return false;
    if (pa[k]->z() != pb[k]->z())
        return pa[k]->z() > pb[k]->z();
    const QList<QQuickItem*> siblings = pa[k - 1]->childItems();
    return siblings.indexOf(pa[k]) > siblings.indexOf(pb[k]);
}
} // namespace

// The registration tables: each report into its own table, rows by the channel's position
// in the modem's list (a row beyond the table is dropped), the modem's texts read as
// numbers, levels with the downstream compensation, attenuation against the head end's
// expected level (60.0 dBµV seeded).
TEST_F(ScreensTest, RegistrationTablesShowTheReportsAsTheirRules)
{
    OnScreen s("REGISTERING_31");
    const QVariantMap ofdm = map({{"index", "0"}, {"uci", "33"}, {"plc_freq", "693000000"}, {"power", "-2.5"},
                                  {"mer_att", "41.27"}, {"active_profiles", "0 1 2"}});
    emit s.cm().downOFDMChanged_31({ofdm});
    emit s.cm().downBondingChanged_31({map({{"index", 1}, {"uci", "2"}, {"freq", "602000000"}, {"power", "1.0"},
                                            {"mer_att", "-38.04"}, {"sr", "5361"}})});
    emit s.cm().phy_3_0_Changed(map({{"index", 3}, {"uci", "4"}, {"rf_frequency", "626.000"}, {"power", "0.4"},
                                     {"mse", "-37.6"}, {"sr", "5361"}}));
    emit s.cm().upsOFDMChanged_31({map({{"index", 0}, {"uci", 9}, {"freq", "80.5"}, {"power", "45.0"},
                                        {"sr", "120000000"}})});
    // SC-QAM upstream: rows by position, whatever the channel id; one beyond the table, one
    // without a position (its place in the list), one whose level is no number.
    emit s.cm().upsBondingChanged_31({map({{"index", 0}, {"uci", "5"}, {"freq", "36.00"}, {"bw", "6400000"},
                                           {"power", "42.5"}, {"sr", "5120"}}),
                                      map({{"index", 9}, {"uci", "6"}, {"freq", "42.40"}, {"power", "42.0"}}),
                                      map({{"uci", "7"}, {"freq", "29.6"}, {"bw", "3200000"}, {"power", "ABC"},
                                           {"sr", "2560"}})});
    EXPECT_EQ(s.row("dwOfdm", 0), "33|693.00|60.5|41.3|0 1 2");
    EXPECT_EQ(s.row("dwScqam", 1), "2|602.00|64.0|38.0|5361");
    EXPECT_EQ(s.row("dwScqam", 3), "4|626.00|63.4|37.6|5361");
    EXPECT_EQ(s.row("upOfdm", 0), "9|80.50|105.0|45.0|120000000");
    EXPECT_EQ(s.row("upScqam", 0), "5|36.00/6.40|102.5|42.5|5120");
    EXPECT_EQ(s.row("upScqam", 2), "7|29.60/3.20|---|---|2560");
    EXPECT_EQ(s.row("upScqam", 4), "5|-|-|-|-");

    // The 3.0 maps: on the 3.1 model MER and level already in dB and dBmV.
    emit s.cm().phyChanged(map({{"index", 5}, {"freq", 650000000}, {"power", 2}, {"mse", -35.5}, {"sr", 5361}}));
    emit s.cm().phyChanged(map({{"index", 6}, {"freq", 658000000}, {"power", 2}, {"mse", -35.5}, {"sr", 0xE00000}}));
    emit s.cm().upsChanged({map({{"index", 3}, {"frequency_bw", 36000000}, {"bw", 6400000}, {"power", 450},
                                 {"sr", 5120}, {"uci", 3}}),
                            map({{"index", 2}, {"frequency_bw", 0}, {"power", 450}})});
    EXPECT_EQ(s.row("dwScqam", 5), "6|650.00|65.0|37.5|5361");
    EXPECT_EQ(s.row("dwScqam", 6), "7|-|-|-|-");
    EXPECT_EQ(s.row("upScqam", 3), "3|36.00/6.40|105.0|45.0|5120");
    EXPECT_EQ(s.row("upScqam", 2), "7|29.60/3.20|---|---|2560"); // kept: its report had no frequency

    // Addresses: an empty one leaves its row; the report hides the overlay and allows the
    // data logger; a restart clears everything and disallows it.
    emit s.cm().cm_status_information("Getting IP CM");
    EXPECT_EQ(s.text("message"), "Getting IP CM");
    emit s.cm().ipCableModemChanged(map({{"ip", "10.1.2.3"}, {"gateway", "10.1.2.1"}, {"mask", "255.255.255.0"},
                                         {"dhcp", ""}, {"tftp", "10.0.0.9"}}));
    EXPECT_EQ(s.column("ipTable", "ip", 5, " "), "10.1.2.3 10.1.2.1 255.255.255.0 ---.---.---.--- 10.0.0.9");
    EXPECT_EQ(s.text("message"), "<none>");
    // Registered: the reports that follow, again and again, leave the tables in view.
    emit s.cm().cm_status_information("Registering decoding DOWN");
    EXPECT_EQ(s.text("message"), "<none>");
    EXPECT_EQ(s.frame.item("DATALOGGER")->isEnabled(), true);
    // With full tables the screen is still laid out cleanly in the longest language.
    s.laidOutCleanly("de");

    // A table's rows as the data logger keeps them come back into the same columns.
    const QVariantList kept = s.frame.evaluateInPage("upScqam.createListLoger()").toList();
    ASSERT_EQ(kept.size(), 8);
    EXPECT_EQ(kept[0].toMap(), map({{"channel", "5"}, {"frequency", "36.00/6.40"}, {"power", "102.5"},
                                    {"mer_att", "42.5"}, {"sr", "5120"}}));
    s.eval("dwScqam.logger_updateDatosTabla(upScqam.createListLoger())");
    EXPECT_EQ(s.frame.evaluateInPage("dwScqam.createListLoger()").toList().mid(0, 8), kept);

    emit s.cm().cm_status_information("Start Registering CM");
    emit s.cm().restartMeasurements();
    EXPECT_EQ(s.row("upScqam", 0), "1|-|-|-|-");
    EXPECT_EQ(s.eval("ipTable.model.get(0).ip"), "---.---.---.---");
    EXPECT_EQ(s.frame.item("DATALOGGER")->isEnabled(), false);
    EXPECT_EQ(s.text("message"), "Start Registering CM");
    emit s.cm().cm_status_information("");
    EXPECT_EQ(s.text("message"), "<none>");
}

// On the DOCSIS 3.0 model the 3.0 maps carry tenths.
TEST_F(ScreensTest, RegistrationOnTheDocsis30ModelReadsTenths)
{
    useSettings(2, "");
    OnScreen s("REGISTERING");
    emit s.cm().phyChanged(map({{"index", 0}, {"freq", 650000000}, {"power", 20}, {"mse", -355}, {"sr", 5361}}));
    emit s.cm().phyChanged(map({{"index", 1}, {"freq", 0}, {"power", 20}, {"mse", -355}, {"sr", 5361}}));
    EXPECT_EQ(s.row("dwScqam", 0), "1|650.00|65.0|37.5|5361");
    EXPECT_EQ(s.row("dwScqam", 1), "2|-|-|-|-");
    EXPECT_EQ(s.frame.journal.filter("measuresCM.init").last(), "measuresCM.init(610000000,61)");
}

// Reports that come before the screen has listened for three seconds are not shown.
TEST_F(ScreensTest, RegistrationShowsNothingOfItsFirstThreeSeconds)
{
    OnScreen s("REGISTERING_31", false);
    const QVariantList list{map({{"index", 0}, {"uci", "1"}, {"freq", "602000000"}, {"power", "1"}})};
    emit s.cm().downBondingChanged_31(list);
    EXPECT_EQ(s.row("dwScqam", 0), "1|-|-|-|-");
    s.frame.wait(2500);
    // Late in the three seconds, unless a stalled machine has let them run out meanwhile.
    const bool listening = s.eval("connects_actives") == "true";
    emit s.cm().downBondingChanged_31(list);
    if (!listening) {
        EXPECT_EQ(s.row("dwScqam", 0), "1|-|-|-|-");
    }
    EXPECT_TRUE(s.frame.waitUntil([&] {
        emit s.cm().downBondingChanged_31(list);
        return s.row("dwScqam", 0) == "1|602.00|64.0|---|---";
    })) << s.row("dwScqam", 0).toStdString();
}

// The bonding table's 32 rows scrolled with the wheel pass under its header, which keeps
// its titles in view.
TEST_F(ScreensTest, BondingDownstreamRowsScrollUnderTheHeader)
{
    OnScreen s("REGISTERING_31");
    QQuickItem* table = s.frame.item("BONDING DOWNSTREAM");
    ASSERT_TRUE(table);
    QQuickItem* rows = nullptr;
    for (QQuickItem* child : table->findChildren<QQuickItem*>())
        if (child->inherits("QQuickListView"))
            rows = child;
    ASSERT_TRUE(rows);
    const QPointF at = rows->mapToScene(QPointF(rows->width() / 2, rows->height() / 2));
    const auto scrolled = [&] { return rows->property("contentY").toReal() >= 3 * 18; };
    ASSERT_TRUE(s.frame.waitUntil([&] {
        QWheelEvent wheel(at, at, QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(s.frame.view(), &wheel);
        return scrolled();
    }));
    const QStringList faults = apptest::layoutFaults(s.frame.view()->contentItem());
    EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
}

// The ranging panel: the 3.0 channel map in tenths with the modem's MER offset (a MER
// under 23 dB blanks the upstream but keeps the downstream), a map without MER resets
// both, the SC-QAM upstream of channel id 1 or else the first, and the OFDM channel with
// its PLC MER in dB as the modem gives it.
TEST_F(ScreensTest, RangingPanelShowsThePrimaryChannels)
{
    OnScreen s("RANGING");
    const auto down = [&] { return s.column("panel.downstream", "value", 8); };
    const auto up = [&] { return s.column("panel.upstream", "value", 7); };
    emit s.cm().upsBondingChanged_31({map({{"uci", "3"}, {"freq", "30.00"}, {"bw", "6400000"}, {"power", "40.0"},
                                           {"sr", "5120"}, {"mod", "64QAM"}}),
                                      map({{"uci", "4"}, {"freq", "36.00"}, {"power", "41.0"}})});
    EXPECT_EQ(up(), "3|30.00 MHz|5120 kbits/s|6.40 MHz|64QAM|100.0 dB\u03BCV|40.0 dB");
    emit s.cm().upsBondingChanged_31({map({{"uci", "4"}, {"freq", "36.00"}, {"power", "41.0"}}),
                                      map({{"uci", "1"}, {"freq", "23.00"}, {"power", "38.5"}, {"bw", "3200000"}})});
    EXPECT_EQ(up(), "1|23.00 MHz|---|3.20 MHz|---|98.5 dB\u03BCV|38.5 dB");
    emit s.cm().phyChanged(map({{"index", 0}, {"annex", 0}, {"sr", 6952}, {"mod", 256}, {"mse", -355},
                                {"preber", 1.5e-7}, {"pre_range", 2}, {"postber", 0}, {"post_range", 0},
                                {"ili", 12}, {"ilj", 17}, {"offset", -1250}}));
    EXPECT_EQ(down(), "DVB-C|6952 kbits/s|QAM 256|38 dB|<1.50e-07|0.00e+00|i=12, j=17|-1.25 kHz");
    EXPECT_NE(up().left(1), "-");
    // MER 20 dB: the upstream goes, the downstream stays.
    emit s.cm().phyChanged(map({{"annex", 1}, {"sr", 5361}, {"mod", 64}, {"mse", -180}, {"preber", 0}}));
    EXPECT_TRUE(down().startsWith("ITU J83-B|5361 kbits/s|QAM 64|20 dB|")) << down().toStdString();
    EXPECT_EQ(up(), "---|---|---|---|---|---|---");
    emit s.cm().phyChanged(map({{"freq", 0}}));
    EXPECT_EQ(down(), "---|---|---|---|---|---|---|---");
    emit s.cm().s_send_dades_31(map({{"plc_freq", "693000000"}, {"mod", "4K"}, {"plc_mer", "41.27"},
                                     {"active_carriers", "148 - 3947"}, {"ncp_mod", "16"},
                                     {"time_interleave", "16"}, {"subcarrier_freq", "50"}}));
    EXPECT_EQ(down(), "OFDM|693.00 MHz|4K|41.3 dB|148 - 3947|16 QAM|16 \u03BCs|50 kHz");
    EXPECT_EQ(s.eval("panel.downstream.model.get(3).name"), "PLC MER");
    // The 3.1 modem's SC-QAM channel: its BER texts as it sends them, a bound with its "<".
    const struct {
        QVariant ber;
        QVariant range;
        const char* shown;
    } bers[] = {{"< 1.04e-08", "eUnderRange", "< 1.04e-08"}, {"2.5e-06", "eInRange", "2.5e-06"},
                {"---", "eInRange", "---"}, {1.5e-7, 2, "<1.50e-07"}, {QVariant(), QVariant(), "---"}};
    for (const auto& b : bers) {
        emit s.cm().phy_3_0_Changed(map({{"annex", "B"}, {"sr", "5361"}, {"modulation", "QAM 256"}, {"mse", "-38.2"},
                                         {"pre_ber", b.ber}, {"pre_range", b.range}, {"postber", b.ber},
                                         {"post_range", b.range}}));
        EXPECT_EQ(down().section('|', 4, 5), QString(b.shown) + "|" + b.shown);
    }
    emit s.cm().upsOFDMChanged_31({map({{"uci", 1}, {"freq", "80.50"}, {"bw", "44.00"}, {"power", "45.0"},
                                        {"sr", "120000"}, {"mod", "4K"}})});
    EXPECT_EQ(s.column("panel.upstream", "name", 7), "UCD|Frequency|Speed|Bandwidth|FFT size|Power|Attenuation");
    EXPECT_EQ(up(), "1|80.50 MHz|120000 kbits/s|44.00 MHz|4K|105.0 dB\u03BCV|45.0 dB");
}

// The OFDM downstream analysis: figures and error counts into their rows (the modem's texts
// without the blanks around them), each received one passing its check, the levels with
// the modem's downstream compensation as everywhere else, the bar's average level and MER
// ("---" without them), the constellation cleared while unlocked or under 20 dB.
TEST_F(ScreensTest, OfdmDownstreamShowsTheAnalysisPassed)
{
    OnScreen s("DOWN_SCAN_DEMOD_31");
    const auto values = [&] { return s.column("ofdmTable", "value", 5); };
    const auto marks = [&] { return s.column("ofdmTable", "check", 5); };
    const auto plc = [&] { return s.column("plcTable", "value", 6); };
    EXPECT_EQ(marks(), "0|0|-1|-1|-1");
    const QVariantMap analysis =
        map({{"bandwidth", "94950000"}, {"subcarrier_freq", " 50 "}, {"n_subcarriers", " 4K"}, {"ripple_rms", "0.111"},
             {"icfr", "0.376"}, {"mer_avg", "40.96"}, {"mer_sigma", "0.52"}, {"mer_pctl", "39.80"},
             {"plc_freq", "693000000"}, {"plc_pwr", " 2.5 "}, {"plc_mer", "41.2"}, {"plc_mod", "16 QAM"},
             {"plc_ccwe", "0"}, {"plc_ucwe", "12"}, {"ncp_ccwe", "3"}, {"profileB_ucwe", "0.00025"}});
    emit s.cm().s_send_dades_31(analysis);
    EXPECT_EQ(values(), "94.950 MHz|50 kHz / 4K|0.111 dB|0.38 dB|0.52 / 39.80 dB");
    EXPECT_EQ(marks(), "0|0|1|1|1");
    EXPECT_EQ(plc(), "693.000 MHz|65.5 dB\u03BCV|41.2 dB|16 QAM|0.00e+00|1.20e+01");
    EXPECT_EQ(s.eval("profiles.model.get(0).value + ' ' + profiles.model.get(0).value2"), "3.00e+00 ---");
    EXPECT_EQ(s.eval("profiles.model.get(2).value2 + ' ' + profiles.model.get(2).check"), "2.50e-04 1");
    EXPECT_EQ(s.eval("profiles.model.get(4).check"), "-1");
    EXPECT_EQ(s.text("pwr_value"), "---");
    EXPECT_EQ(s.text("mer_value"), "41.0");
    emit s.cm().s_send_dades_31(map({{"pwr_avg", "1.25"}}));
    EXPECT_EQ(s.text("pwr_value"), "64.3");
    EXPECT_EQ(s.text("mer_value"), "---");
    // A data logger keeps the averages the bar shows, not the MER it showed before.
    EXPECT_EQ(s.eval("[loggerEntries()[0].pwr_avg, loggerEntries()[0].mer_avg, loggerEntries()[0].icfr].join('|')"),
              "64.3 dB\u03BCV|---|0.376");
    // Every count in full, the longest language too.
    QVariantMap counts;
    for (const char* key : {"plc", "ncp", "profileA", "profileB", "profileC", "profileD"})
        for (const char* kind : {"_ccwe", "_ucwe"})
            counts.insert(QString(key) + kind, "123456789");
    emit s.cm().s_send_dades_31(counts);
    EXPECT_EQ(s.eval("profiles.model.get(4).value2"), "1.23e+08");
    s.laidOutCleanly("de");
    s.frame.selectLanguage("en");

    const QString points = "constellation.canvas.llistaI.length + ' ' + constellation.display.busy";
    emit s.cm().s_send_dades_iq(map({{"locked", true}, {"quadres_const", 8}, {"llista_i", QVariantList{10, 20}},
                                     {"llista_q", QVariantList{30, 40}}}));
    EXPECT_EQ(s.eval(points), "2 false");
    EXPECT_EQ(s.eval("constellation.canvas.quadres"), "8");
    emit s.cm().s_send_dades_iq(map({{"locked", true}, {"mer", "19.9"}}));
    EXPECT_EQ(s.eval(points), "0 false");
    emit s.cm().s_send_dades_iq(map({{"locked", true}, {"llista_i", QVariantList{1}}, {"llista_q", QVariantList{2}}}));
    emit s.cm().s_send_dades_iq(map({{"locked", false}}));
    EXPECT_EQ(s.eval(points), "0 true");
    emit s.cm().s_send_dades_iq(map({{"locked", true}, {"llista_i", QVariantList{1}}, {"llista_q", QVariantList{2}}}));
    ASSERT_TRUE(s.frame.click("CLR_IQ"));
    EXPECT_EQ(s.eval(points), "0 false");

    // Two OFDM downstreams chosen in the menu: saved, the first one's figures gone, and the
    // analysis starts again.
    s.frame.journal.clear();
    s.choose(2, 1);
    EXPECT_EQ(s.text("ofdmTitle"), "OFDM 2");
    EXPECT_EQ(ScreensVariables::getInstance()->getScreensVariables().value("cable_modem_ofdm_ds").toInt(), 1);
    EXPECT_EQ(s.frame.journal.filter("measuresCM.init"), QStringList{"measuresCM.init(610000000,76)"});
    EXPECT_EQ(values() + " " + marks(), "---|---|---|---|--- 0|0|-1|-1|-1");
    EXPECT_EQ(plc() + " " + s.eval("profiles.model.get(0).value"), "---|---|---|---|---|--- ---");
    EXPECT_EQ(s.text("pwr_value") + " " + s.text("mer_value"), "--- ---");
}

// The upstream generator: the RF output off on entering and each edit saved and set up
// again; the DOCSIS mode's limits clamp the frequencies and level; a sweep start above the
// stop becomes the stop; the level typed in the user's unit is stored in tenths of dBµV;
// with the output on, a change shows the busy sign until the modem is set up.
TEST_F(ScreensTest, UpstreamGeneratorKeepsItsSettingsWithinTheModesLimits)
{
    ScreensVariables::getInstance()->setValue("rf_on", 1);
    OnScreen s("UPSTREAM_TEST");
    EXPECT_EQ(s.setting("rf_on").toInt(), 0);
    EXPECT_EQ(s.frame.journal.filter("measuresCM.init").last(), "measuresCM.init(0,73)");
    EXPECT_EQ(s.frame.journal.filter("setCircuit"), QStringList{"measuresSpectrum.setCircuit(DOCSIS_RF)"});

    // DOCSIS 3.1, a fixed frequency of 150 MHz, then back to 3.0: 85 MHz. A list opens at
    // its box.
    for (const char* combo : {"docsisMode", "frequencyMode"}) {
        s.frame.click(combo);
        const QPointF box = s.frame.item(combo)->mapToScene(QPointF(0, 0));
        QQuickItem* list = s.frame.item("comboList");
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(list->mapToScene(QPointF(0, 0)), box) << combo;
        s.frame.click("comboChoice1");
    }
    // Fixed: no stop row, and each box beside its label.
    const QStringList boxes = {"docsisMode", "frequencyMode", "startFrequency", "level", "modulation", "symbolRate"};
    QStringList rows;
    for (const QString& name : boxes) {
        QQuickItem* box = s.frame.item(name);
        for (QQuickItem* label : box->parentItem()->childItems())
            if (label->inherits("QQuickText") && label->isVisible() && label->x() + label->width() < box->x()
                && std::abs(label->y() + label->height() / 2 - (box->y() + box->height() / 2)) < 2)
                rows << label->property("text").toString();
    }
    EXPECT_EQ(rows, QStringList({"DOCSIS mode", "Frequency mode", "Frequency", "Level", "Modulation", "Symbol rate"}));
    s.type("startFrequency", "150");
    EXPECT_EQ(s.text("startFrequency"), "150.00 MHz");
    EXPECT_EQ(s.setting("up_test_freq_fix").toUInt(), 150000000u);
    s.frame.click("docsisMode");
    s.frame.click("comboChoice0");
    EXPECT_EQ(s.text("startFrequency"), "85.00 MHz");
    EXPECT_EQ(s.setting("up_test_freq_fix").toUInt(), 85000000u);
    // Out of the mode's range, the keyboard does not take it.
    s.frame.click("startFrequency");
    for (const char* key : {"key_9", "key_0"})
        s.frame.click(key);
    EXPECT_FALSE(s.frame.item("key_OK")->isEnabled());
    s.frame.click("key_CANCEL");

    // Sweep: a start above the stop (60 MHz) is the stop; a stop below the start is the start.
    s.frame.click("frequencyMode");
    s.frame.click("comboChoice0");
    s.type("startFrequency", "70");
    EXPECT_EQ(s.setting("up_test_start").toUInt(), 60000000u);
    s.type("stopFrequency", "20");
    EXPECT_EQ(s.setting("up_test_stop").toUInt(), 60000000u);

    // The level in dBmV: 45.5 dBmV is 105.5 dBµV.
    ScreensVariables::getInstance()->setValue("current_units", "dBmV");
    s.eval("variablesPantalla = appVariables.getScreensVariables()");
    s.type("level", "45.5");
    EXPECT_EQ(s.setting("up_test_power").toInt(), 1055);
    EXPECT_EQ(s.text("level"), "45.5 dBmV");

    // The output on: saved, set up again, busy until the modem answers.
    s.frame.journal.clear();
    s.frame.click("rfOutput");
    EXPECT_EQ(s.setting("rf_on").toInt(), 1);
    EXPECT_EQ(s.frame.journal.filter("measuresCM.init"), QStringList{"measuresCM.init(0,73)"});
    EXPECT_TRUE(s.frame.item("configuring") != nullptr);
    emit s.cm().modemConfigurat();
    EXPECT_EQ(s.frame.item("configuring"), nullptr);
    s.frame.click("modulation");
    s.frame.click("choice0");
    s.frame.click("dialogDone");
    EXPECT_EQ(s.setting("up_test_modulation").toInt(), 5);
    EXPECT_EQ(s.text("modulation"), "QPSK");
    EXPECT_TRUE(s.frame.item("configuring") != nullptr);
}

TEST_F(ScreensTest, UpstreamGeneratorOfTheDocsis30ModelHasOneMode)
{
    useSettings(2, "");
    ScreensVariables::getInstance()->setValue("up_test_docsis_mode", 1);
    ScreensVariables::getInstance()->setValue("up_test_power", 1300);
    QVariantMap stored = ScreensVariables::getInstance()->getScreensVariables();
    stored.remove("up_test_freq_fix");
    ScreensVariables::getInstance()->setScreensVariables(stored);
    OnScreen s("UPSTREAM_TEST");
    EXPECT_EQ(s.eval("docsisCombo.model.join(',')"), "3.0");
    // Stored for a 3.1 modem, the 3.0 modem's limits hold: 120 dBµV at most.
    EXPECT_EQ(std::make_tuple(s.setting("up_test_docsis_mode").toInt(), s.setting("up_test_power").toInt(),
                              s.setting("up_test_freq_fix").toUInt()),
              std::make_tuple(0, 1200, 5000000u));
    EXPECT_EQ(s.frame.journal.filter("measuresCM.init").last(), "measuresCM.init(0,66)");
}

// The VoIP test: the typed address as its unsigned 32-bit value with the stored
// parameters, then the test; "STOP" stops it; results in milliseconds and percent (the
// engine sends tenths), a reset leaving them; an address with a missing octet refused.
TEST_F(ScreensTest, VoipSendsTheTypedAddressAndShowsTheResults)
{
    OnScreen s("VOIP");
    s.type("octet0", "10");
    s.type("octet1", "0");
    s.type("octet2", "0");
    s.type("octet3", "1");
    s.frame.journal.clear();
    ASSERT_TRUE(s.frame.click("send"));
    EXPECT_EQ(s.frame.journal.filter("measuresCM.init"),
              QStringList({"measuresCM.initVoIP(167772161,32,10,232,20000,1,800,G711,1)",
                           "measuresCM.init(610000000,64)"}));
    EXPECT_EQ(s.setting("iptv_voip_ip").toString(), "10.0.0.1");
    EXPECT_EQ(s.text("send"), "STOP");
    EXPECT_NE(s.frame.item("sending"), nullptr);
    emit s.cm().ping_UGS_Changed(map({{"ip_LatencyMin", 100.5}, {"ip_LatencyAvg", 120.5}, {"ip_LatencyMax", 140.5},
                                      {"ip_JitterMin", 0.5}, {"ip_JitterAvg", 138.83}, {"ip_JitterMax", 20.5},
                                      {"ip_PLR", 250}, {"ip_R_VALUE", 932}, {"ip_MOS", 441}}));
    EXPECT_EQ(s.frame.item("sending"), nullptr);
    EXPECT_EQ(s.text("send"), "SEND");
    // Three pings of 20, 24 and 28 ms: one-way times of 10, 12 and 14 ms.
    const QStringList times = {"MIN", "10.0", "0.0", "AVG", "12.0", "13.8", "MAX", "14.0", "2.0"};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(s.text("time" + QString::number(i)), times[i]) << i;
    EXPECT_EQ(s.text("plr"), "25.0 %");
    EXPECT_EQ(s.text("rValue"), "93.2");
    EXPECT_EQ(s.text("mos"), "4.41");
    emit s.cm().ping_UGS_Changed(map({{"reset", true}}));
    EXPECT_EQ(s.text("mos"), "4.41");

    s.frame.click("send");
    s.frame.journal.clear();
    s.frame.click("send");
    EXPECT_EQ(s.frame.journal.filter("measuresCM.init"), QStringList{"measuresCM.init(610000000,99)"});
    EXPECT_EQ(s.text("mos"), "---");

    // No octet typed in the last place: nothing starts.
    ScreensVariables::getInstance()->setValue("iptv_voip_ip", "10.0.0");
    OnScreen t("VOIP");
    EXPECT_EQ(t.text("octet3"), "---");
    t.frame.journal.clear();
    t.frame.click("send");
    EXPECT_TRUE(t.frame.journal.filter("measuresCM.init").isEmpty());
    EXPECT_EQ(t.text("warningText"), "The IP address needs four numbers from 0 to 255.");
}

TEST_F(ScreensTest, AnAddressFromTheUpperHalfReachesTheEngineWhole)
{
    const struct {
        const char* typed;
        unsigned address;
    } rows[] = {{"192.168.100.1", 0xC0A86401u}, {"255.255.255.255", 0xFFFFFFFFu}, {"0.0.0.0", 0u}};
    for (const auto& r : rows) {
        ScreensVariables::getInstance()->setValue("iptv_voip_ip", r.typed);
        FrameHarness frame({true, true});
        frame.call("loadScreen", "IPTV");
        frame.click("send");
        EXPECT_EQ(static_cast<unsigned>(getTraceIPAddress()), r.address) << r.typed;
        EXPECT_EQ(engine()->measureCode(), 65);
        EXPECT_EQ(engine()->iptvParams().nom_poll, 1000);
    }
}

// The IPTV trace: the hops numbered and drawn; the one touched described, with "--" where
// the hop did not answer and the loss of its three probes in percent.
TEST_F(ScreensTest, IptvDescribesTheHopTouched)
{
    ScreensVariables::getInstance()->setValue("iptv_voip_ip", "10.2.0.1");
    OnScreen s("IPTV");
    EXPECT_EQ(s.text("nodeIp"), "---.---.---.---");
    EXPECT_EQ(s.text("nodeLatency"), "--");
    s.frame.click("send");
    emit s.cm().node_IPTV_Changed({map({{"ip", "10.1.2.1"}, {"ltcy", 60}, {"jitter", 15}, {"perduts", 0}}),
                                   map({{"ip", "10.9.9.9"}, {"ltcy", 0xE00000}, {"jitter", 0xE00000},
                                        {"perduts", 3}}),
                                   map({{"ip", "10.7.0.1"}, {"ltcy", 60}, {"jitter", 0xE00000}, {"perduts", 2}})});
    EXPECT_EQ(s.text("send"), "SEND");
    EXPECT_EQ(s.eval("tracer.hops.length"), "3");
    const struct {
        int hop;
        QStringList shown;
    } rows[] = {{0, {"N0", "10.1.2.1", "6.0 ms", "1.5 ms", "0.00%"}},
                {1, {"N1", "10.9.9.9", "--", "--", "100.00%"}},
                {2, {"N2", "10.7.0.1", "6.0 ms", "--", "66.67%"}}};
    for (const auto& r : rows) {
        s.eval(QString("tracer.hopSelected(%1); tracer.selected = %1").arg(r.hop));
        EXPECT_EQ(QStringList({s.text("nodeId"), s.text("nodeIp"), s.text("nodeLatency"), s.text("nodeJitter"),
                               s.text("nodePlr")}),
                  r.shown);
    }
    // A touch on the second node selects it.
    QQuickItem* tracer = s.frame.item("tracer");
    const QPointF node =
        tracer->mapToScene(QPointF(s.eval("tracer.nodeX(1)").toDouble(), s.eval("tracer.nodeY(1)").toDouble()));
    s.frame.clickAt(node.toPoint());
    EXPECT_EQ(s.text("nodeId"), "N1");
    // An empty trace leaves the hops on show.
    emit s.cm().node_IPTV_Changed({});
    EXPECT_EQ(s.eval("tracer.hops.length"), "3");
}

// Both path tests run the DHCP clients while they show; leaving stops them and puts the
// root file system back read-only.
TEST_F(ScreensTest, PathTestsRunTheDhcpClientsWhileTheyShow)
{
    for (const char* screen : {"VOIP", "IPTV"}) {
        OnScreen s(screen);
        EXPECT_TRUE(board->shell().sawCommandContaining("udhcpc -i eth1"));
        board->shell().clear();
        PeriodicFunctions::getInstance()->enviarSignalBotonHome();
        EXPECT_EQ(s.frame.currentScreen(), "MAIN_MENU");
        EXPECT_EQ(board->shell().commandLines(),
                  (std::vector<std::string>{"killall udhcpc", "sync", "mount -o remount,ro /", "mount -o remount,rw /",
                                            "sync", "mount -o remount,ro /"}));
    }
}

// The modem lamp: steady green from POWER ON (1602), red and blinking below, and its label
// with the 20 dB pad when the setting says so.
TEST_F(ScreensTest, ModemLampFollowsTheModemsState)
{
    OnScreen s("REGISTERING_31");
    QQuickItem* lamp = s.frame.item("lamp");
    ASSERT_NE(lamp, nullptr);
    EXPECT_EQ(s.text("lampLabel"), "CM");
    const struct {
        int status;
        bool green;
        bool blinks;
    } rows[] = {{1600, false, true}, {1601, false, true}, {1602, true, false}, {1701, true, false}};
    for (const auto& r : rows) {
        s.cm().modemStatus = r.status;
        std::vector<double> seen;
        for (int i = 0; i < 2; ++i) {
            s.eval("lamp.poll()");
            seen.push_back(lamp->opacity());
        }
        EXPECT_EQ(lamp->property("color").value<QColor>(), QColor(r.green ? "#20d020" : "red")) << r.status;
        EXPECT_EQ(seen[0] != seen[1], r.blinks) << r.status;
    }
    ScreensVariables::getInstance()->setValue("cable_modem_ATT", true);
    s.eval("lamp.poll()");
    EXPECT_EQ(s.text("lampLabel"), "20 dB ATT CM");
    // The lamp polls by itself on the screens that use the modem, each with the lamp in its
    // top bar's right half.
    const auto lampTurns = [&](QQuickItem* shown, const char* colour) {
        return s.frame.waitUntil([&] { return shown->property("color").value<QColor>() == QColor(colour); });
    };
    s.cm().modemStatus = 1600;
    EXPECT_TRUE(lampTurns(lamp, "red"));
    s.cm().modemStatus = 1602;
    for (const char* screen : {"UPSTREAM_TEST", "VOIP", "IPTV", "UPSTREAM_RF", "EXT_CM_UP"}) {
        s.frame.call("loadScreen", screen);
        QQuickItem* shown = s.frame.item("lamp");
        ASSERT_NE(shown, nullptr) << screen;
        EXPECT_TRUE(lampTurns(shown, "#20d020")) << screen;
        const QPointF at = shown->mapToScene(QPointF(0, 0));
        EXPECT_TRUE(at.x() > 400 && at.y() < 40) << screen << " " << at.x() << "," << at.y();
    }
}

// The modem information: the stored texts at once, then the modem's (the 3.1 keys too),
// kept in the settings; closing stops it and the registration starts again.
TEST_F(ScreensTest, ModemInformationFromTheMenu)
{
    ScreensVariables::getInstance()->setValue("cm_MAC", "00:11:22:33:44:55");
    OnScreen s("REGISTERING_31");
    s.frame.click("menuButton");
    s.frame.journal.clear();
    s.frame.click("menuEntry2");
    EXPECT_EQ(s.frame.journal, QStringList({"measuresCM.aturar", "measuresCM.init(610000000,63)"}));
    EXPECT_EQ(s.text("mac"), "00:11:22:33:44:55");
    EXPECT_EQ(s.text("version"), "---");
    emit s.cm().cm_information_mac(map({{"rfmacaddress", "a0:b1:c2:d3:e4:f5"}, {"softwareversion", "7.1.2"}}));
    EXPECT_EQ(s.text("mac"), "a0:b1:c2:d3:e4:f5");
    EXPECT_EQ(s.text("version"), "7.1.2");
    EXPECT_EQ(apptest::savedSettings().value("cm_firm_version"), "7.1.2");
    s.frame.journal.clear();
    s.frame.click("dialogDone");
    EXPECT_EQ(s.frame.journal, QStringList({"measuresCM.aturar", "measuresCM.init(610000000,71)"}));
}

// Demodulating from the modem's channel scan and the upstream spectra: a DOCSIS 3.1
// channel (or frequency) goes to the OFDM analysis on its frequency on the 3.1 model, and
// asks for the modem's application on the others; other signals cannot be demodulated
// there. On the analysis, demodulation leads back. The shipped plan's scan reaches the
// network's OFDM block (its last channel), the bars' frequencies standing under the chart.
// The scan reads a digital channel at its centre and an analogue one at its vision carrier,
// in the narrow filter, and logs each under its channel's frequency.
TEST_F(ScreensTest, ScanAndUpstreamDemodulateDocsis31Signals)
{
    ASSERT_TRUE(dir.seedFromData("channelPlans"));
    ASSERT_TRUE(Channelslist::getInstance()->carregaChannelPlan("EUROPE"));
    const struct {
        const char* screen;
        int model;
        const char* system; // of the tuned frequency
        bool shown;         // where the analysis shows
    } rows[] = {
        {"SCAN_CM", 3, "", true},        {"SCAN_CM", 2, "", false},         {"UPSTREAM_RF", 3, "D3.1", true},
        {"UPSTREAM_RF", 3, "DVB-C", false}, {"EXT_CM_UP", 0, "D3.1", false}, {"UPSTREAM_OPTIC", 3, "D3.1", true},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.screen) + " on model " + std::to_string(r.model) + " " + r.system);
        useSettings(r.model, r.system);
        ScreensVariables::getInstance()->setValue("frequency", 930000000u);
        OnScreen s(r.screen);
        if (QString(r.screen) == "SCAN_CM") {
            QStringList labels;
            for (QQuickItem* label : s.frame.item("frequencyAxis")->childItems())
                if (label->inherits("QQuickText"))
                    labels << label->property("text").toString();
            EXPECT_EQ(labels.size(), 5);
            EXPECT_EQ(labels.first() + " " + labels.last(), "114.50 MHz 930.00 MHz");
            QVariantList swept = s.frame.engine("measuresSpectrum")->lastFrequencyList;
            ASSERT_EQ(swept.size(), 98);
            EXPECT_EQ((QVariantList{swept[0].toMap()["frequency"], swept[27].toMap()["frequency"]}),
                      (QVariantList{112250000.0, 306000000.0})); // S2's vision carrier, S21's centre
            EXPECT_TRUE(s.frame.journal.contains("measuresSpectrum.setFilter(157500)"));
            for (QVariant& p : swept) {
                QVariantMap m = p.toMap();
                m["power"] = 700;
                p = m;
            }
            emit s.frame.engine("measuresSpectrum")->listaFrequencyMeasuresChanged(swept);
            EXPECT_EQ(s.eval("[loggerEntries()[0], loggerEntries()[27]].map(function (e) {"
                             " return e.name + ' ' + e.frequency + ' ' + e.power }).join('|')"),
                      "S2 114500000 700|S21 306000000 700");
            s.cm().modemStatus = 1602;
            s.eval("lamp.poll()");
            EXPECT_FALSE(s.frame.item("DEMOD")->isEnabled());
            s.frame.click("channelDown");
        }
        ASSERT_EQ(s.frame.item("DEMOD")->isEnabled(), QString(r.system) != "DVB-C");
        s.frame.click("DEMOD");
        if (!r.shown) {
            EXPECT_EQ(s.frame.currentScreen(), r.screen);
            EXPECT_EQ(s.text("warningText"), QString(r.system) == "DVB-C" ? "<none>" : "Charge DOCSIS CABLE MODEM APP");
            // The warning goes with its screen.
            PeriodicFunctions::getInstance()->enviarSignalBotonHome();
            EXPECT_EQ(s.text("warningText"), "<none>");
            continue;
        }
        EXPECT_EQ(s.frame.currentScreen(), "DOWN_SCAN_DEMOD_31");
        EXPECT_EQ(s.frame.journal.filter("measuresCM.init").last(), "measuresCM.init(930000000,76)");
        s.frame.click("DEMOD");
        EXPECT_EQ(s.frame.currentScreen(), r.screen);
    }
    // Shown first (after a restart), the analysis goes back to the main menu.
    ScreensVariables::getInstance()->setValue("screen", "DOWN_SCAN_DEMOD_31");
    FrameHarness frame({false, true});
    ASSERT_EQ(frame.currentScreen(), "DOWN_SCAN_DEMOD_31");
    frame.click("DEMOD");
    EXPECT_EQ(frame.currentScreen(), "MAIN_MENU");
    EXPECT_TRUE(frame.warnings.isEmpty()) << frame.warnings.join("\n").toStdString();
}

// A unit chosen in the menu: every level on show is in it at once, not only at the next
// report (dBmV is 60 dB under dBµV).
TEST_F(ScreensTest, AUnitChangeShowsTheLevelsInItAtOnce)
{
    using Report = std::function<void(apptest::FakeEngine&, apptest::FakeEngine&)>;
    const struct {
        const char* screen;
        Report report; // by the modem, by the RF engine
        QString shown;
        QString before;
        QString after;
    } rows[] = {
        {"REGISTERING_31",
         [](apptest::FakeEngine& cm, apptest::FakeEngine&) {
             emit cm.downBondingChanged_31({map({{"index", 1}, {"freq", "602000000"}, {"power", "1.0"}})});
             emit cm.upsBondingChanged_31({map({{"index", 0}, {"freq", "36.00"}, {"power", "42.5"}})});
         },
         "dwScqam.model.get(1).power + ' ' + upScqam.model.get(0).power + ' ' + upScqam.model.get(1).power",
         "64.0 102.5 -", "4.0 42.5 -"},
        {"DOWN_SCAN_DEMOD_31",
         [](apptest::FakeEngine& cm, apptest::FakeEngine&) {
             emit cm.s_send_dades_31(map({{"pwr_avg", "1.25"}, {"plc_pwr", "2.5"}}));
         },
         "bar.pwr_value + ' ' + bar.pwr_units31 + ' ' + plcTable.model.get(1).value", "64.3 dB\u03BCV 65.5 dB\u03BCV",
         "4.3 dBmV 5.5 dBmV"},
        {"SCAN_CM",
         [](apptest::FakeEngine&, apptest::FakeEngine& rf) {
             emit rf.listaFrequencyMeasuresChanged({map({{"name", "E37"}, {"frequency", 602000000u}, {"power", 700}})});
         },
         "bar.pwr_value + ' ' + bar.pwr_units31", "70.0 dB\u03BCV", "10.0 dBmV"},
        {"RANGING",
         [](apptest::FakeEngine& cm, apptest::FakeEngine&) {
             emit cm.upsBondingChanged_31({map({{"uci", "1"}, {"freq", "36.50"}, {"power", "45.5"}})});
         },
         "panel.upstream.model.get(5).value", "105.5 dB\u03BCV", "45.5 dBmV"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.screen);
        ScreensVariables::getInstance()->setValue("current_units", "dB\u03BCV");
        OnScreen s(r.screen);
        r.report(s.cm(), *s.frame.engine("measuresSpectrum"));
        EXPECT_EQ(s.eval(r.shown), r.before);
        s.choose(0, 1);
        EXPECT_EQ(s.eval(r.shown), r.after);
    }
}

// The upstream spectra each keep their own holds, and the hold's dialog shows each one's.
TEST_F(ScreensTest, UpstreamSpectraKeepTheirOwnHolds)
{
    FrameHarness frame({false, true});
    const auto maxHold = [&](const char* screen) {
        frame.call("loadScreen", screen);
        return frame.evaluateInPage("spectrum.maxHold").toBool();
    };
    maxHold("UPSTREAM_RF");
    frame.click("menuButton");
    frame.click("menuEntry1");
    frame.click("choice1");
    frame.click("dialogDone");
    EXPECT_TRUE(frame.evaluateInPage("spectrum.maxHold").toBool());
    EXPECT_NE(frame.item("CLR"), nullptr);
    const struct {
        const char* screen;
        bool held;
    } rows[] = {{"UPSTREAM_OPTIC", false}, {"EXT_CM_UP", false}, {"UPSTREAM_RF", true}};
    for (const auto& r : rows) {
        EXPECT_EQ(maxHold(r.screen), r.held) << r.screen;
        frame.click("menuButton");
        frame.click("menuEntry1");
        EXPECT_EQ(std::make_pair(frame.item("choice0")->property("selected").toBool(),
                                 frame.item("choice1")->property("selected").toBool()),
                  std::make_pair(!r.held, r.held))
            << r.screen;
        frame.click("dialogCancel");
    }
    EXPECT_TRUE(frame.warnings.isEmpty()) << frame.warnings.join("\n").toStdString();
}

// The temperature in the top bar warns when the unit is hot (the fan's own threshold, with
// its hysteresis), not whenever the fan runs for the powered modem of a large model.
TEST(Screens, TheTemperatureWarnsOnlyWhenTheUnitIsHot)
{
    ScopedBoard board{testsupport::unitBoard(3)};
    ScopedWorkDir dir;
    ASSERT_TRUE(dir.seedFromData("calibracion") && dir.seedFromData("screenVariables.XML"));
    OnScreen s("SCAN_CM");
    const struct {
        float celsius;
        bool modemOn, warned;
    } rows[] = {{25.0f, true, false}, {44.9f, false, false}, {45.0f, false, true}, {40.0f, true, true},
                {39.9f, true, false}};
    for (const auto& r : rows) {
        PeriodicFunctions::getInstance()->updateTemperature(r.celsius, r.modemOn);
        EXPECT_EQ(s.frame.item("temperature")->property("color").value<QColor>() == QColor("orange"), r.warned)
            << r.celsius;
    }
}

// The data loggers of the OFDM analysis and of the modem's scan: nothing is saved before
// anything was measured, and the user is told; an analysis is kept at the frequency of the
// channel the modem found (not the tuned one); the warning closes on OK.
TEST_F(ScreensTest, DataLoggersKeepOnlyWhatWasMeasured)
{
    const struct {
        const char* screen;
        const char* type;
        bool measured;
        const char* warning;
    } rows[] = {
        {"DOWN_SCAN_DEMOD_31", "OFDM_DOWNSTREAM", false, "Nothing has been measured yet: no data logger was saved."},
        {"DOWN_SCAN_DEMOD_31", "OFDM_DOWNSTREAM", true, "Data logger saved: Logger00.XML"},
        {"SCAN_CM", "SCAN_RF", false, "Nothing has been measured yet: no data logger was saved."},
        {"SCAN_CM", "SCAN_RF", true, "Data logger saved: Logger00.XML"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.screen) + (r.measured ? " measured" : ""));
        QDir("loggers").removeRecursively();
        OnScreen s(r.screen);
        if (r.measured) {
            emit s.cm().s_send_dades_31(
                map({{"plc_freq", "930000000"}, {"pwr_avg", " 7.0 "}, {"plc_pwr", "-1.7"}, {"locked", true}}));
            emit s.frame.engine("measuresSpectrum")
                ->listaFrequencyMeasuresChanged({map({{"name", "E37"}, {"frequency", 602000000u}, {"power", 690}})});
        }
        s.frame.click("DATALOGGER");
        s.frame.click("dialogDone");
        EXPECT_EQ(s.text("warningText"), r.warning);
        const QVariantList saved = Loggerlist::getInstance()->carregaLogger(r.type, "Logger00.XML");
        ASSERT_EQ(saved.size(), r.measured ? 1 : 0);
        if (r.measured) {
            const bool scan = QString(r.type) == "SCAN_RF";
            EXPECT_EQ(saved[0].toMap().value("frequency").toUInt(), scan ? 602000000u : 930000000u);
            if (scan) {
                EXPECT_EQ(saved[0].toMap().value("power").toString(), "690");
            } else {
                // The levels as the screen shows them, in its unit.
                EXPECT_EQ(s.text("pwr_value") + " " + s.column("plcTable", "value", 2), "70.0 930.000 MHz|61.3 dB\u03BCV");
                EXPECT_EQ(saved[0].toMap().value("pwr_avg").toString(), "70.0 dB\u03BCV");
                EXPECT_EQ(saved[0].toMap().value("plc_pwr").toString(), "61.3 dB\u03BCV");
            }
        }
        ASSERT_TRUE(s.frame.clickText("OK"));
        EXPECT_EQ(s.text("warningText"), "<none>");
    }
}

// The registration's data logger keeps the five tables' rows, each table's list under its
// own name, and the lists fill the tables again.
TEST_F(ScreensTest, RegistrationLoggerKeepsTheFiveTables)
{
    OnScreen s("REGISTERING_31");
    emit s.cm().ipCableModemChanged(map({{"ip", "10.1.2.3"}}));
    s.frame.click("DATALOGGER");
    s.frame.click("dialogDone");
    EXPECT_EQ(s.text("warningText"), "Data logger saved: Logger00.XML");
    // The toolbar behind the box takes no touch while it shows.
    ASSERT_TRUE(s.frame.click("BACK"));
    EXPECT_EQ(s.frame.currentScreen(), "REGISTERING_31");
    EXPECT_EQ(s.text("warningText"), "Data logger saved: Logger00.XML");
    const QVariantList entries = Loggerlist::getInstance()->carregaLogger("REGISTERING", "Logger00.XML");
    ASSERT_EQ(entries.size(), 1);
    const QVariantMap tables = entries[0].toMap();
    QMap<QString, int> rows;
    for (auto it = tables.begin(); it != tables.end(); ++it)
        rows[it.key()] = it.value().toList().size();
    EXPECT_EQ(rows, (QMap<QString, int>{{"table_registering_ofdm_down", 2}, {"table_registering_scqam_down", 32},
                                         {"table_registering_ofdm_up", 2}, {"table_registering_scqam_up", 8},
                                         {"ip_cable_modem", 5}}));
    const QVariantList ips = tables["ip_cable_modem"].toList();
    EXPECT_EQ(ips.first().toMap(), map({{"ip", "10.1.2.3"}}));
    EXPECT_EQ(ips.last().toMap(), map({{"ip", "---.---.---.---"}}));
    s.eval("ipTable.logger_updateDatosTabla([{ ip: '10.9.9.9' }]); ipTable.logger_updateDatosTabla("
           + QJsonDocument::fromVariant(ips).toJson(QJsonDocument::Compact) + ")");
    EXPECT_EQ(s.eval("ipTable.model.get(0).ip"), "10.1.2.3");
}

// The engine's progress shows under every dialog, and only for the screen's own test: not
// what a test left behind says, and not after STOP.
TEST_F(ScreensTest, ProgressMessagesAreTheScreensOwnTestsAndLieUnderDialogs)
{
    OnScreen s("REGISTERING_31");
    emit s.cm().cm_status_information("Registering decoding UP");
    QQuickItem* message = s.frame.item("message");
    ASSERT_NE(message, nullptr);
    s.frame.click("DATALOGGER");
    EXPECT_TRUE(paintedOver(s.frame.item("dialogDone"), message));
    s.frame.click("dialogDone");
    EXPECT_TRUE(paintedOver(s.frame.item("warningText"), message));

    for (const char* screen : {"VOIP", "IPTV"}) {
        SCOPED_TRACE(screen);
        OnScreen t(screen);
        emit t.cm().cm_status_information("Registering decoding UP");
        EXPECT_EQ(t.text("message"), "<none>");
        t.frame.click("send");
        emit t.cm().cm_status_information("Start VoIP process");
        EXPECT_EQ(t.text("message"), "Start VoIP process");
        t.frame.click("send");
        EXPECT_EQ(t.text("message"), "<none>");
        emit t.cm().cm_status_information("Start VoIP process");
        EXPECT_EQ(t.text("message"), "<none>");
        t.frame.click("send");
        emit t.cm().cm_status_information("CM NO OPERATIONAL");
        EXPECT_EQ(t.text("message"), "CM NO OPERATIONAL");
        emit t.cm().cm_status_information("");
        EXPECT_EQ(t.text("message"), "<none>");
    }
}

// The ranging key a spectrum screen may carry: the panel shows with a 10 MHz span and the
// modem ranging on the tuned frequency; hidden, the span comes back and the modem idles.
TEST_F(ScreensTest, RangingKeyTogglesThePanel)
{
    OnScreen s("RANGING");
    s.eval("panel.visible = false; spectrum.span = 50e6; spectrum.centerFrequency = 602e6;"
           " var key = Qt.createQmlObject('import QtQuick 2.15; BotonToolbarRangingAnalyzer {"
           " objectName: \"rangingKey\"; x: 300; y: 300 }', page); key.panel = panel; key.spectrum = spectrum");
    s.frame.journal.clear();
    ASSERT_TRUE(s.frame.click("rangingKey"));
    EXPECT_EQ(s.eval("panel.visible + ' ' + spectrum.span"), "true 10000000");
    s.frame.click("rangingKey");
    EXPECT_EQ(s.eval("panel.visible + ' ' + spectrum.span"), "false 50000000");
    EXPECT_EQ(s.frame.journal.filter("measuresCM"),
              QStringList({"measuresCM.init(602000000,70)", "measuresCM.init(602000000,69)"}));
}

// The level axis of the ranging and upstream spectra reads round levels in every unit:
// its lines move to them, and a level is drawn where the axis reads it.
TEST_F(ScreensTest, SpectrumLevelAxesReadRoundLevelsInEveryUnit)
{
    const struct {
        const char* screen;
        const char* units;
        const char* axis;
        double thirdLineDbuV;
    } rows[] = {
        {"RANGING", "dB\u03BCV", "110 100 90 80 70 60 50 40 30", 90},
        {"RANGING", "dBm", "0 -10 -20 -30 -40 -50 -60 -70 -80", 88.75},
        {"RANGING", "dBm*", "20 10 0 -10 -20 -30 -40 -50 -60", 88.75},
        {"UPSTREAM_RF", "dBm", "10 0 -10 -20 -30 -40 -50 -60 -70", 98.75},
        {"UPSTREAM_RF", "dBmV", "60 50 40 30 20 10 0 -10 -20", 100},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.screen) + " " + r.units);
        ScreensVariables::getInstance()->setValue("current_units", QString::fromUtf8(r.units));
        OnScreen s(r.screen);
        QQuickItem* axis = s.frame.item("levelAxis");
        ASSERT_TRUE(axis);
        QStringList labels;
        for (QQuickItem* label : axis->childItems())
            if (label->inherits("QQuickText"))
                labels << label->property("text").toString();
        EXPECT_EQ(labels.join(" "), QString::fromUtf8(r.axis));
        // The third line's level is drawn a quarter down the grid.
        QQuickItem* grid = s.frame.item("levelGrid");
        ASSERT_TRUE(grid);
        QVariant y;
        ASSERT_TRUE(QMetaObject::invokeMethod(grid, "toY", Q_RETURN_ARG(QVariant, y),
                                              Q_ARG(QVariant, r.thirdLineDbuV * 10)));
        EXPECT_NEAR(y.toDouble() / grid->height(), 0.25, 1e-9);
    }
}

// Test-and-go: the registration opens its data logger by itself.
TEST_F(ScreensTest, TestAndGoOpensTheRegistrationLogger)
{
    FrameHarness frame({false, true});
    frame.root()->setProperty("testAndGoLogger", true);
    frame.call("loadScreen", "REGISTERING_31");
    EXPECT_NE(frame.shownItem("dialogDone"), nullptr);
}

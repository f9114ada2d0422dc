// The cable-modem screens on the simulated DOCSIS 3.1 modem and the typical cable network:
// the engine runs the test the screen chose, on the test's thread, and the screen shows
// what the network offers: the registration's channels and addresses with the modem lamp
// lit, the OFDM channel's power and MER, and why ranging finds nothing where there is no
// SC-QAM channel.
#include "FrameHarness.h"
#include "ModemTestSupport.h"
#include "ScreenLayout.h"

#include "cablemodem/cableModen.h"
#include "engines/mesuraCM.h"
#include "rf/circuitRouting.h"
#include "store/channelslist.h"
#include "store/loggerlist.h"
#include "store/screensvariables.h"

#include "CableModemBoard.h"
#include "RfScene.h"

#include <QDir>
#include <QQuickItem>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

using apptest::FrameHarness;
using namespace modemtest;

namespace {
// A working directory and the 3.1 modem linked on the typical network, and the frame
// with the real engine behind the screens.
struct Network {
    testsupport::ScopedWorkDir dir;
    LinkedModem modem;
    std::unique_ptr<FrameHarness> frame;

    explicit Network(int model = kDocsis31) : modem(model)
    {
        EXPECT_TRUE(dir.seedFromData("calibracion") && dir.seedFromData("screenVariables.XML"));
        ScreensVariables::getInstance()->setValue("hardware_model", model);
    }
    // routed: the input routed as the RF engine's pass routes it, by the settings the screens
    // hand over.
    void open(const QString& screen, unsigned frequency, bool routed = false)
    {
        ScreensVariables::getInstance()->setValue("frequency", frequency);
        frame = std::make_unique<FrameHarness>(FrameHarness::Options{true, true});
        if (routed)
            frame->engine("measuresSpectrum")->settingsTaken = [](const QVariantMap& settings) {
                setModeCircuitString(settings.value("circuit").toString());
            };
        frame->call("loadScreen", screen);
    }
    QString eval(const QString& expression) { return frame->evaluateInPage(expression).toString(); }
    // The screen listens to the engine once its connection timer has fired.
    bool connected()
    {
        return frame->waitUntil([&] { return eval("connects_actives") == "true"; });
    }
    // One pass of the engine, as its thread makes it, until the screen shows what is awaited
    // (the engine is then stopped) or the board time given has gone.
    void runUntil(const std::function<bool()>& shown, uint64_t boardMs)
    {
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (shown())
                MesuraCM::getInstance()->aturar();
        });
        watch.start(0);
        modem.stopAt(modem.now() + boardMs);
        MesuraCM::getInstance()->runPass();
    }
};
} // namespace

TEST(ScreensEndToEnd, RegistrationShowsTheModemOperationalWithTheNetworksChannelsAndAddresses)
{
    Network n;
    const std::vector<platform::sim::SceneCarrier> scQam = n.modem.scene->blocksOf("DOCSIS30");
    ASSERT_GE(scQam.size(), 2u);
    // The modem starting: the lamp blinks red.
    SetModemStatusPower(MODEM_STATUS_STARTING);
    n.open("REGISTERING_31", static_cast<unsigned>(scQam[0].frequencyHz));
    EXPECT_EQ(MesuraCM::getInstance()->measureCode(), 71);
    n.eval("lamp.poll()");
    EXPECT_EQ(n.eval("lamp.ready + ' ' + lamp.status"), "false 1601");
    ASSERT_TRUE(n.connected());

    const platform::sim::DocsisServices services = n.modem.scene->docsisPlan().services;
    // The engine first waits for the starting modem (85 s), then registers it.
    n.runUntil([&] { return n.frame->evaluateInPage("ipTable.model.get(0).ip").toString() != "---.---.---.---"; },
               200000);
    EXPECT_EQ(n.modem.link.modem().registrationWord(), "OPERATIONAL");
    n.eval("lamp.poll()");
    EXPECT_EQ(n.eval("lamp.ready + ' ' + lamp.status"), "true 1602");
    EXPECT_EQ(n.frame->item("lamp")->property("color").value<QColor>(), QColor("#20d020"));

    // The bonding group's SC-QAM channels and the OFDM channel (by its PLC), each at the
    // level the network holds at the unit's input, as the scans read it.
    for (size_t i = 0; i < scQam.size() && i < 8; ++i) {
        const QString row = QString("dwScqam.model.get(%1).").arg(i);
        EXPECT_EQ(n.eval(row + "frequency"), QString::number(scQam[i].frequencyHz / 1e6, 'f', 2)) << i;
        EXPECT_NEAR(n.frame->evaluateInPage(row + "power").toDouble(), scQam[i].levelDbuV, 0.11) << i;
    }
    const platform::sim::SceneCarrier ofdm = n.modem.scene->blocksOf("DOCSIS31")[0];
    EXPECT_EQ(n.eval("dwOfdm.model.get(0).frequency"), QString::number(ofdm.frequencyHz / 1e6, 'f', 2));
    EXPECT_NEAR(n.frame->evaluateInPage("dwOfdm.model.get(0).power").toDouble(), ofdm.levelDbuV, 0.11);
    // The head end's upstream channels.
    const auto upstream = n.modem.scene->docsisPlan().of(platform::sim::DocsisUpstream::Kind::ScQam);
    for (size_t i = 0; i < upstream.size(); ++i) {
        const QString row = QString("upScqam.model.get(%1).").arg(i);
        EXPECT_EQ(n.eval(row + "channel"), QString::number(upstream[i].channelId)) << i;
        EXPECT_TRUE(n.eval(row + "frequency").startsWith(QString::number(upstream[i].frequencyHz / 1e6, 'f', 2)))
            << n.eval(row + "frequency").toStdString();
        EXPECT_NEAR(n.frame->evaluateInPage(row + "power").toDouble(), upstream[i].levelDbmv + 60, 0.11) << i;
    }
    EXPECT_EQ(n.eval("upOfdm.model.get(0).channel"), "1");
    // The head end's addresses.
    EXPECT_EQ(n.eval("[0,1,2,3,4].map(function (i) { return ipTable.model.get(i).ip }).join(' ')"),
              QString::fromStdString(services.modemIp + " " + services.gateway + " " + services.mask + " "
                                     + services.dhcp + " " + services.tftp));
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

TEST(ScreensEndToEnd, OfdmDownstreamShowsTheChannelsPowerAndMer)
{
    Network n;
    const platform::sim::ModemOfdmChannel ofdm = platform::sim::sceneModemNetwork(n.modem.scene).ofdm()[0];
    n.open("DOWN_SCAN_DEMOD_31", ofdm.centreHz);
    EXPECT_EQ(MesuraCM::getInstance()->measureCode(), 76);
    ASSERT_TRUE(n.connected());
    n.runUntil([&] { return n.frame->item("pwr_value")->property("text").toString() != "---"; }, 120000);
    // The channel's level at the unit's input, as the registration shows it.
    const double held = n.modem.scene->blocksOf("DOCSIS31")[0].levelDbuV;
    EXPECT_NEAR(n.frame->item("pwr_value")->property("text").toDouble(), held, 0.55);
    EXPECT_NEAR(n.frame->item("mer_value")->property("text").toDouble(), ofdm.merDb, 0.55);
    EXPECT_EQ(n.eval("plcTable.model.get(1).check"), "1");
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

// Ranging typed onto the OFDM block, where the network has no SC-QAM channel: once the
// modem's minute is out the screen says why, in the user's language, and says it from the
// start of each try that follows; the panel shows no channel.
TEST(ScreensEndToEnd, RangingWhereThereIsNoScQamChannelSaysWhy)
{
    Network n;
    const platform::sim::ModemOfdmChannel ofdm = platform::sim::sceneModemNetwork(n.modem.scene).ofdm()[0];
    n.open("RANGING", ofdm.centreHz);
    ASSERT_EQ(MesuraCM::getInstance()->measureCode(), 70);
    const struct {
        const char* language;
        const char* said;
    } rows[] = {{"en", "No SC-QAM channel at 930.00 MHz"},
                {"es", "No hay canal SC-QAM en 930.00 MHz"},
                {"fr", "Aucun canal SC-QAM \u00E0 930.00 MHz"},
                {"de", "Kein SC-QAM-Kanal bei 930.00 MHz"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.language);
        ASSERT_TRUE(n.frame->selectLanguage(r.language));
        n.eval("startRanging()");
        const auto said = [&] {
            QQuickItem* message = n.frame->item("message");
            return message && message->property("text").toString() == QString::fromUtf8(r.said);
        };
        n.runUntil(said, 100000);
        EXPECT_TRUE(said());
        EXPECT_EQ(n.eval("[0,1,2,3,4,5,6,7].map(function (i) { return panel.downstream.model.get(i).value }).join('')"),
                  QString("---").repeated(8));
        const QStringList faults = apptest::layoutFaults(n.frame->view()->contentItem());
        EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
    }
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

// Tuned to a channel of the bonding group above its lowest, the modem bonds the whole group
// all the same: every channel it reports shows once, in its receiver's row, the one it
// synchronised on (its primary) in the first.
TEST(ScreensEndToEnd, RegistrationOnAnyChannelOfTheGroupShowsEveryBondedChannel)
{
    Network n;
    const std::vector<platform::sim::SceneCarrier> scQam = n.modem.scene->blocksOf("DOCSIS30");
    ASSERT_EQ(scQam.size(), 4u);
    n.open("REGISTERING_31", static_cast<unsigned>(scQam[1].frequencyHz));
    ASSERT_TRUE(n.connected());
    n.runUntil([&] { return n.eval("ipTable.model.get(0).ip") != "---.---.---.---"; }, 200000);
    QStringList shown;
    for (int row = 0; row < 32; ++row) {
        const QString at = QString("dwScqam.model.get(%1).").arg(row);
        if (n.eval(at + "frequency") != "-")
            shown << n.eval(at + "channel") + " " + n.eval(at + "frequency");
    }
    EXPECT_EQ(shown.join(", "), "1 610.00, 2 602.00, 3 618.00, 4 626.00");
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

// Two OFDM downstreams asked for on a network of one OFDM block: the constellation stops
// waiting once the modem is synchronised without a second one, and says so.
TEST(ScreensEndToEnd, OfdmDownstreamTwoWithoutASecondBlockSaysThereIsNone)
{
    Network n;
    ASSERT_EQ(platform::sim::sceneModemNetwork(n.modem.scene).ofdm().size(), 1u);
    ScreensVariables::getInstance()->setValue("cable_modem_ofdm_ds", 1);
    n.open("DOWN_SCAN_DEMOD_31", 610000000u);
    ASSERT_EQ(n.eval("ofdmCount"), "2");
    ASSERT_TRUE(n.connected());
    const QString said = "constellation.display.message + '|' + constellation.display.busy";
    EXPECT_EQ(n.eval(said), "|true");
    n.runUntil([&] { return n.eval(said) != "|true"; }, 120000);
    EXPECT_EQ(n.eval(said), "No second OFDM channel|false");
    EXPECT_EQ(n.frame->item("pwr_value")->property("text").toString(), "---");
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

namespace {
// The engine's passes, as its thread makes them one after another, with what the screens do
// meanwhile: act() is looked at on every pass of the event loop (so within the engine's
// waits) until it answers true (it has acted); then passes go on until done() holds or the
// board time given has gone. Whether done() held.
bool passesUntil(Network& n, const std::function<bool()>& act, const std::function<bool()>& done, uint64_t boardMs)
{
    bool acted = false;
    bool over = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!acted)
            acted = act();
        else if (!over && done()) {
            over = true;
            MesuraCM::getInstance()->aturar();
        }
    });
    watch.start(0);
    const uint64_t end = n.modem.now() + boardMs;
    while (!over && n.modem.now() < end) {
        n.modem.stopAt(end);
        MesuraCM::getInstance()->runPass();
    }
    return over;
}

bool lastCommandIs(Network& n, const std::string& command)
{
    const Commands commands = n.modem.commands();
    return !commands.empty() && commands.back() == command;
}

bool received(Network& n, const std::string& command) { return count(n.modem.commands(), command) > 0; }

const QString kPanelDown =
    "[0,1,2,3,4,5,6,7].map(function (i) { return panel.downstream.model.get(i).value }).join('')";
} // namespace

// A frequency typed while a ranging reports its channel starts a ranging of its own: the
// report that was under way when the frequency changed stays off the panel, the new run
// says how it goes and how it ends, and going back shows nothing of the run before.
TEST(ScreensEndToEnd, EachTypedFrequencyRangesAfreshAndNoMessageOutlivesItsRun)
{
    Network n;
    const unsigned scQam = static_cast<unsigned>(n.modem.scene->blocksOf("DOCSIS30")[1].frequencyHz);
    const unsigned ofdm = platform::sim::sceneModemNetwork(n.modem.scene).ofdm()[0].centreHz;
    n.open("RANGING", scQam);
    ASSERT_EQ(MesuraCM::getInstance()->measureCode(), 70);
    const auto filled = [&] { return n.frame->evaluateInPage("panel.filled").toBool(); };
    const auto type = [&](unsigned hz) {
        n.eval(QString("variablesPantalla = Object.assign({}, variablesPantalla, {frequency: %1, "
                       "frecuencia_habilitada: true}); retune()")
                   .arg(hz));
    };
    const auto shown = [&] {
        QQuickItem* message = n.frame->item("message");
        return message ? message->property("text").toString() : QString();
    };

    // The frequency typed once the channel shows, while the modem reports its error rates.
    const QString noChannel = QString("No SC-QAM channel at %1 MHz").arg(ofdm / 1e6, 0, 'f', 2);
    const bool ended = passesUntil(
        n,
        [&] {
            if (!filled() || !lastCommandIs(n, "docsis/Debug/berstatus 0 3"))
                return false;
            type(ofdm);
            return true;
        },
        [&] { return shown() == noChannel; }, 200000);
    EXPECT_TRUE(ended) << shown().toStdString();
    EXPECT_FALSE(filled());
    EXPECT_EQ(n.eval(kPanelDown), QString("---").repeated(8));

    // Back on the channel: the verdict on the other frequency is gone at once.
    type(scQam);
    EXPECT_NE(shown(), noChannel);
    n.runUntil(filled, 100000);
    EXPECT_TRUE(filled());
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

// Entered while the cable input is routed (the modem off), the ranging screen saves a typed
// frequency with its own routing: the modem, ranged on the first channel, stays on, and the
// ranging of the new frequency starts at once, without a restart of the modem and its minute
// and a half of waiting.
TEST(ScreensEndToEnd, ATypedFrequencyRangesOnTheModemAsItIsWithoutRestartingIt)
{
    Network n;
    const auto routing = [] {
        return ScreensVariables::getInstance()->getScreensVariables().value("circuit").toString();
    };
    ASSERT_EQ(routing(), "CABLE_RF");
    const unsigned scQam = static_cast<unsigned>(n.modem.scene->blocksOf("DOCSIS30")[1].frequencyHz);
    n.open("RANGING", scQam, true);
    const auto switchedOff = [&] { return count(lineWriteTexts(n.modem.board()), "2=0"); };
    int offBefore = -1;
    uint64_t typedAt = 0;
    const bool tuned = passesUntil(
        n,
        [&] {
            if (!n.frame->evaluateInPage("panel.filled").toBool() || !lastCommandIs(n, "docsis/Debug/berstatus 0 3"))
                return false;
            offBefore = switchedOff();
            typedAt = n.modem.now();
            n.eval("variablesPantalla = Object.assign({}, variablesPantalla, {frequency: 930000000, "
                   "frecuencia_habilitada: true}); retune()");
            return true;
        },
        [&] { return received(n, "docsis/General/tune 930.00"); }, 300000);
    ASSERT_TRUE(tuned);
    EXPECT_EQ(routing(), "DOCSIS_RF");
    EXPECT_EQ(switchedOff(), offBefore);
    EXPECT_TRUE(n.modem.link.modem().powered());
    EXPECT_LT(n.modem.now() - typedAt, 30000u);
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

// The OFDM analysis left for the ranging screen before its modem set-up is over: what it
// would have said next is not said over the ranging, which keeps the shared frequency.
TEST(ScreensEndToEnd, RangingOpenedFromTheOfdmAnalysisShowsNoneOfItsMessages)
{
    Network n;
    const unsigned ofdm = platform::sim::sceneModemNetwork(n.modem.scene).ofdm()[0].centreHz;
    n.open("DOWN_SCAN_DEMOD_31", ofdm);
    ASSERT_EQ(MesuraCM::getInstance()->measureCode(), 76);
    passesUntil(
        n,
        [&] {
            if (!received(n, "docsis/General/rem 0"))
                return false;
            n.frame->call("loadScreen", "RANGING");
            return true;
        },
        [] { return true; }, 60000);
    ASSERT_EQ(n.frame->currentScreen(), "RANGING");
    EXPECT_EQ(MesuraCM::getInstance()->frequency(), ofdm);
    QQuickItem* message = n.frame->item("message");
    EXPECT_TRUE(!message || message->property("text").toString() != "DS demod process");
}

// The count of OFDM downstreams changed while a pass analyses the first: nothing of that
// pass shows as the second's, on the screen or in a data logger; back to one, the first
// channel's figures come again.
TEST(ScreensEndToEnd, AChangeOfTheOfdmDownstreamCountShowsNothingOfThePassBeforeIt)
{
    Network n;
    ASSERT_EQ(platform::sim::sceneModemNetwork(n.modem.scene).ofdm().size(), 1u);
    ScreensVariables::getInstance()->setValue("cable_modem_ofdm_ds", 0);
    n.open("DOWN_SCAN_DEMOD_31", platform::sim::sceneModemNetwork(n.modem.scene).ofdm()[0].centreHz);
    ASSERT_TRUE(n.connected());
    const auto chooseDownstreams = [&](int count) {
        for (const QString& touched : {QString("menuButton"), QString("menuEntry2"),
                                       QString("choice%1").arg(count - 1), QString("dialogDone")})
            EXPECT_TRUE(n.frame->click(touched)) << touched.toStdString();
    };
    const auto power = [&] { return n.frame->item("pwr_value")->property("text").toString(); };
    const auto tables = [&] {
        QStringList shown;
        for (const auto& [table, rows] : {std::make_pair("ofdmTable", 5), std::make_pair("plcTable", 6),
                                          std::make_pair("profiles", 5)})
            for (int row = 0; row < rows; ++row)
                shown << n.eval(
                    QString("[%1.model.get(%2).value, %1.model.get(%2).check].join(' ')").arg(table).arg(row));
        return shown.join("|");
    };
    const QString cleared = tables();
    const QString message = "constellation.display.message";

    // Changed at the first figures, while the pass goes on with the profiles and the MER.
    const bool told = passesUntil(
        n,
        [&] {
            if (power() == "---")
                return false;
            chooseDownstreams(2);
            return true;
        },
        [&] { return n.eval(message) == "No second OFDM channel"; }, 200000);
    EXPECT_TRUE(told);
    EXPECT_EQ(n.eval("ofdmCount"), "2");
    EXPECT_EQ(tables(), cleared);
    EXPECT_EQ(power() + " " + n.frame->item("mer_value")->property("text").toString(), "--- ---");
    QDir("loggers").removeRecursively();
    ASSERT_TRUE(n.frame->click("DATALOGGER") && n.frame->click("dialogDone"));
    EXPECT_EQ(n.frame->item("warningText")->property("text").toString(),
              "Nothing has been measured yet: no data logger was saved.");
    EXPECT_TRUE(Loggerlist::getInstance()->llistaLoggers("OFDM_DOWNSTREAM").isEmpty());
    ASSERT_TRUE(n.frame->clickText("OK"));

    chooseDownstreams(1);
    n.runUntil([&] { return power() != "---" && n.eval("plcTable.model.get(0).value") != "---"; }, 200000);
    EXPECT_NEAR(power().toDouble(), n.modem.scene->blocksOf("DOCSIS31")[0].levelDbuV, 0.55);
    EXPECT_EQ(n.eval("plcTable.model.get(0).value"), "930.000 MHz");
    EXPECT_EQ(n.eval(message), "");
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

// UPSTREAM OPTIC's routing switches the modem off and VoIP keeps the routing: the test's
// readiness restarts the modem, which registers by itself again (here more slowly than its
// power-up wait), though the ranging before had left it ranging only. The test says that the
// modem restarts, waits for the registration, says so, and then runs.
TEST(ScreensEndToEnd, VoipWaitsForTheModemRestartedAfterAnInputChangeAndRuns)
{
    Network n;
    n.open("RANGING", static_cast<unsigned>(n.modem.scene->blocksOf("DOCSIS30")[1].frequencyHz));
    n.runUntil([&] { return n.frame->evaluateInPage("panel.filled").toBool(); }, 100000);
    setModeCircuit(CABLE_OPTIC);
    ASSERT_FALSE(n.modem.link.modem().powered());
    n.modem.link.clock().advanceMs(10000);
    n.modem.link.modem().setStateStepMs(12000);

    ScreensVariables::getInstance()->setValue("iptv_voip_ip", "10.0.0.9");
    n.frame->call("loadScreen", "VOIP");
    ASSERT_TRUE(n.frame->clickText("SEND"));
    const auto said = [&] {
        QQuickItem* message = n.frame->item("message");
        return message ? message->property("text").toString() : QString();
    };
    QStringList sayings;
    const bool ran = passesUntil(
        n, [] { return true; },
        [&] {
            if (!sayings.contains(said()))
                sayings << said();
            return n.eval("results.ip_R_VALUE !== undefined || !ipPanel.running") == "true";
        },
        400000);
    EXPECT_TRUE(ran);
    EXPECT_NE(n.eval("results.ip_R_VALUE"), "undefined") << sayings.join(" | ").toStdString();
    const int restarting = sayings.indexOf("Restarting CM");
    EXPECT_GE(restarting, 0) << sayings.join(" | ").toStdString();
    EXPECT_GT(sayings.indexOf("Waiting for CM registration"), restarting) << sayings.join(" | ").toStdString();
    EXPECT_FALSE(sayings.contains("CM NO OPERATIONAL"));
    EXPECT_EQ(n.modem.link.modem().registrationWord(), "OPERATIONAL");
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

namespace {
// The items of the page that the box of cover hides: texts where their glyphs are, and named
// items (the fields) wherever they are; cover's own and those holding it aside.
QStringList hiddenBy(QQuickItem* item, QQuickItem* cover)
{
    QStringList hidden;
    if (!item->isVisible() || item->opacity() == 0.0 || item == cover)
        return hidden;
    const QRectF box = cover->mapRectToScene(QRectF(0, 0, cover->width(), cover->height()));
    const QRectF at = item->mapRectToScene(QRectF(0, 0, item->width(), item->height()));
    const bool holds = at.contains(box);
    const bool text = item->inherits("QQuickText") && !item->property("text").toString().trimmed().isEmpty();
    if (!holds && (text || !item->objectName().isEmpty()) && at.intersects(box))
        hidden << (text ? item->property("text").toString() : item->objectName());
    for (QQuickItem* child : item->childItems())
        hidden << hiddenBy(child, cover);
    return hidden;
}

// The generator's frequency mode: 0 swept, 1 on one frequency.
class UpstreamGeneratorRestart : public ::testing::TestWithParam<int> {};
} // namespace

// The generator's first RF output restarts the modem into its test mode, a wait of more than
// a minute: the screen says what it waits for until the carrier is set up, where it hides no
// field, swept or on one frequency.
TEST_P(UpstreamGeneratorRestart, SaysItWaitsForTheModemsRestartAndHidesNoField)
{
    const int mode = GetParam();
    Network n;
    n.open("UPSTREAM_TEST", 0);
    ASSERT_EQ(MesuraCM::getInstance()->measureCode(), 73);
    n.eval(QString("store('up_test_mode', %1); store('rf_on', 1)").arg(mode));
    QString saidAtRestart;
    QStringList hidden;
    const bool configured = passesUntil(
        n,
        [&] {
            if (startingWith(n.modem.commands(), "reboot").empty())
                return false;
            QQuickItem* message = n.frame->item("message");
            saidAtRestart = message ? message->property("text").toString() : QString();
            if (message) {
                apptest::nextFrame(n.frame->view());
                hidden = hiddenBy(n.frame->view()->contentItem(), message->parentItem());
            }
            return true;
        },
        [&] { return n.eval("configuring") == "false"; }, 200000);
    EXPECT_TRUE(configured);
    EXPECT_EQ(saidAtRestart, "Restarting CM in test mode");
    EXPECT_TRUE(hidden.isEmpty()) << hidden.join(", ").toStdString();
    EXPECT_EQ(n.frame->item("message"), nullptr);
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

INSTANTIATE_TEST_SUITE_P(ScreensEndToEnd, UpstreamGeneratorRestart, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == 0 ? "Sweep" : "Fixed");
                         });

namespace {
struct DemodulationRoute {
    const char* screen;
    bool byChannel;
    bool registers; // the whole registration is run; else its start is checked
};

std::string routeName(const DemodulationRoute& route)
{
    return std::string(route.screen) + (route.byChannel ? "ByChannel" : "ByFrequency");
}

void PrintTo(const DemodulationRoute& route, std::ostream* out) { *out << routeName(route); }

class DemodulationRouteToTheOfdmBlock : public ::testing::TestWithParam<DemodulationRoute> {};
} // namespace

// The OFDM block chosen on the modem's scan (RF or optical) or on an upstream spectrum, by
// frequency or by channel, and analysed: the registration entered afterwards lets the modem
// find its downstream by itself, and fills its tables.
TEST_P(DemodulationRouteToTheOfdmBlock, LeavesARegistrationThatFillsItsTables)
{
    const DemodulationRoute& r = GetParam();
    Network n;
    ASSERT_TRUE(n.modem.dir.seedFromData("channelPlans"));
    Channelslist* plan = Channelslist::getInstance();
    ASSERT_TRUE(plan->carregaChannelPlan("EUROPE"));
    const unsigned ofdm = platform::sim::sceneModemNetwork(n.modem.scene).ofdm()[0].centreHz;
    ScreensVariables::getInstance()->setValue("frecuencia_habilitada", !r.byChannel);
    // Tuned before to an SC-QAM channel; an upstream spectrum offers the block only once the
    // unit is tuned to it.
    const bool scan = QString(r.screen).startsWith("SCAN");
    plan->carregaClosestChannel(scan ? 610000000u : ofdm);
    n.open(r.screen, 610000000u);
    if (scan)
        n.eval("lamp.poll(); select(scanChannels.findIndex(function (c) { return c.system === 'D3.1' }))");
    ASSERT_TRUE(n.frame->click("DEMOD"));
    ASSERT_EQ(n.frame->currentScreen(), "DOWN_SCAN_DEMOD_31");
    EXPECT_EQ(MesuraCM::getInstance()->frequency(), ofdm);
    if (r.byChannel) {
        EXPECT_EQ(plan->currentChannel().value("name"), "OFDM");
    }

    ASSERT_TRUE(n.frame->click("home"));
    ASSERT_TRUE(n.frame->click("REGISTERING_31"));
    EXPECT_EQ(MesuraCM::getInstance()->measureCode(), 74);
    if (r.registers) {
        ASSERT_TRUE(n.connected());
        n.runUntil([&] { return n.eval("ipTable.model.get(0).ip") != "---.---.---.---"; }, 200000);
        EXPECT_EQ(n.eval("dwOfdm.model.get(0).frequency"), "930.00");
        EXPECT_EQ(n.eval("dwScqam.model.get(0).frequency + ' ' + dwScqam.model.get(3).frequency"), "602.00 626.00");
        const std::string modemIp = n.modem.scene->docsisPlan().services.modemIp;
        EXPECT_EQ(n.eval("ipTable.model.get(0).ip"), QString::fromStdString(modemIp));
    }
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

INSTANTIATE_TEST_SUITE_P(ScreensEndToEnd, DemodulationRouteToTheOfdmBlock,
                         ::testing::Values(DemodulationRoute{"SCAN_CM", false, true},
                                           DemodulationRoute{"SCAN_CM", true, true},
                                           DemodulationRoute{"SCAN_CM_OPTICAL", false, false},
                                           DemodulationRoute{"SCAN_CM_OPTICAL", true, false},
                                           DemodulationRoute{"UPSTREAM_RF", true, false}),
                         [](const ::testing::TestParamInfo<DemodulationRoute>& info) { return routeName(info.param); });

namespace {
class RegistrationWithoutAChannel : public ::testing::TestWithParam<int> {};
} // namespace

// A registration tuned where the network has no SC-QAM channel (the frequency of an OFDM
// block, its system left as it was) says so once the modem's wait is out, and where the
// frequency is changed, in place of the step it started with; the next try keeps saying it.
TEST_P(RegistrationWithoutAChannel, SaysWhyAndWhereToTuneAnother)
{
    Network n(GetParam());
    ScreensVariables::getInstance()->setValue("freq_demod_digital_system", "DVB-C");
    const unsigned ofdm = platform::sim::sceneModemNetwork(n.modem.scene).ofdm()[0].centreHz;
    n.open("REGISTERING_31", ofdm);
    ASSERT_EQ(MesuraCM::getInstance()->measureCode(), GetParam() == kDocsis31 ? 71 : 61);
    ASSERT_TRUE(n.connected());
    const QString verdict = "No SC-QAM channel at 930.00 MHz\nChange the frequency on RANGING";
    QStringList sayings;
    uint64_t saidAt = 0;
    // Past the end of a try and well into the next.
    const bool over = passesUntil(
        n, [] { return true; },
        [&] {
            QQuickItem* message = n.frame->item("message");
            const QString text = message ? message->property("text").toString() : QString();
            if (sayings.isEmpty() || sayings.last() != text)
                sayings << text;
            if (text == verdict && saidAt == 0)
                saidAt = n.modem.now();
            return saidAt != 0 && n.modem.now() > saidAt + 30000;
        },
        400000);
    EXPECT_TRUE(over) << sayings.join(" | ").toStdString();
    EXPECT_EQ(sayings.indexOf(verdict), sayings.size() - 1) << sayings.join(" | ").toStdString();
    EXPECT_TRUE(sayings.contains("Start Registering CM")) << sayings.join(" | ").toStdString();
    // Both lines whole, in a box of their own size.
    QQuickItem* message = n.frame->item("message");
    ASSERT_NE(message, nullptr);
    EXPECT_FALSE(message->property("truncated").toBool());
    EXPECT_GE(message->parentItem()->height(), message->height() + 8);
    EXPECT_LE(message->parentItem()->width(), message->property("contentWidth").toDouble() + 41);
    EXPECT_TRUE(n.frame->warnings.isEmpty()) << n.frame->warnings.join("\n").toStdString();
}

INSTANTIATE_TEST_SUITE_P(ScreensEndToEnd, RegistrationWithoutAChannel, ::testing::Values(kDocsis31, kDocsis30),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::string(info.param == kDocsis31 ? "Docsis31" : "Docsis30");
                         });

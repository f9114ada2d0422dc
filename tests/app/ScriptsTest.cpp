// The shared scripts of the screens: codes and texts the engines and screens must agree
// on, the level units, and the helpers that work on a screen's copy of the settings.
#include "SimBoardFixture.h"

#include "services/hardware.h"
#include "cablemodem/cableModen.h"
#include "engines/mesuraCM.h"
#include "common/sharedValues.h"
#include "engines/measures.h"
#include "store/screensvariables.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQmlExpression>
#include <gtest/gtest.h>

#include <memory>

using testsupport::ScopedBoard;

namespace {
// A screen-like item that imports both scripts, its settings copy in a given unit.
struct ScriptProbe {
    QQmlEngine engine;
    std::unique_ptr<QObject> item;
    QStringList errors;

    explicit ScriptProbe(const QString& units)
    {
        engine.rootContext()->setContextProperty("appVariables", ScreensVariables::getInstance());
        QQmlComponent c(&engine);
        c.setData(QStringLiteral("import QtQuick 2.15\n"
                                 "import \"qrc:///js/code/definitions.js\" as Definitions\n"
                                 "import \"qrc:///js/code/miscelanea.js\" as Miscelanea\n"
                                 "Item { width: 800; height: 480\n"
                                 "  property var variablesPantalla: ({ \"current_units\": \"%1\" }) }\n")
                      .arg(units)
                      .toUtf8(),
                  QUrl("qrc:///qml/code/ScriptProbe.qml"));
        item.reset(c.create());
        for (const QQmlError& e : c.errors())
            errors << e.toString();
    }
    QVariant eval(const QString& expression)
    {
        QQmlExpression e(qmlContext(item.get()), item.get(), expression);
        QVariant v = e.evaluate();
        if (e.hasError())
            errors << e.error().toString();
        return v;
    }
};

// The screens' tables beside the native enums they mirror, name by name.
#define NATIVE(name) {#name, name}
#define NATIVE_IN(scope, name) {#name, scope::name}
struct NativeCode {
    const char* name;
    int value;
};

// Each expression's value as text, and no script error on the way.
void expectValues(ScriptProbe& p, std::initializer_list<std::pair<QString, QString>> rows)
{
    for (const auto& [expression, value] : rows)
        EXPECT_EQ(p.eval(expression).toString(), value) << expression.toStdString();
    EXPECT_TRUE(p.errors.isEmpty()) << p.errors.join("\n").toStdString();
}

void expectMirrors(ScriptProbe& p, const char* table, std::initializer_list<NativeCode> native,
                   const QStringList& scriptOnly = {})
{
    const QVariantMap codes = p.eval(QStringLiteral("Definitions.") + table).toMap();
    QStringList unmatched = codes.keys();
    QSet<int> distinct;
    for (const NativeCode& c : native) {
        EXPECT_EQ(codes.value(c.name, -1).toInt(), c.value) << table << "." << c.name;
        unmatched.removeOne(c.name);
    }
    for (const QVariant& v : codes)
        distinct.insert(v.toInt());
    EXPECT_EQ(distinct.size(), codes.size()) << table;
    unmatched.sort();
    EXPECT_EQ(unmatched, scriptOnly) << table;
}
} // namespace

TEST(Definitions, CodesAndTextsAsTheEnginesUseThem)
{
    ScopedBoard board;
    ScriptProbe p("dB\u03BCV");
    ASSERT_TRUE(p.item) << p.errors.join("\n").toStdString();
    // Codes of retired screens stay reserved in the table; no engine runs them.
    expectMirrors(p, "CONST_TIPUS_MESURA",
                  {NATIVE(SPECTRUM), NATIVE(SPECTRUM_CONST_IQ), NATIVE(INPUT_VOLTAGE), NATIVE(TILT), NATIVE(LOGGER),
                   NATIVE(SOUND_FM), NATIVE(DEMOD_ANALOG), NATIVE(OPTICAL_POWER_METER), NATIVE(CHANNEL_PLAN),
                   NATIVE(SPECTRUM_HUM), NATIVE(QML_CM_IQ), NATIVE(QML_CM_REGISTER_ON_CHANNEL), NATIVE(QML_CM_RANGING),
                   NATIVE(QML_CM_MAC_INFORMATION), NATIVE(QML_CM_VO_IP), NATIVE(QML_CM_IP_TV),
                   NATIVE(QML_CM_UP_STREAM_GENERATOR), NATIVE(QML_CM_NO_MEASURE), NATIVE(QML_CM_RANGING_31),
                   NATIVE(QML_CM_REGISTER_ON_CHANNEL_31), NATIVE(QML_CM_IQ_31), NATIVE(QML_CM_UP_STREAM_GENERATOR_31),
                   NATIVE(QML_CM_REGISTER_ON_CHANNEL_31_SIGNAL_31), NATIVE(QML_CM_RANGING_31_SIGNAL_31),
                   NATIVE(QML_CM_IQ_31_SIGNAL_31), NATIVE(NO_MESURE)},
                  {"DBG_CONST_CABLEMODEM", "DBG_RANGING", "INFORMATION_CABLEMODEM", "IPTV", "REGISTERING_CABLEMODEM",
                   "SPECTRUM_RANGING_CABLEMODEM", "SPECTRUM_SCAN_ANALOG", "UP_STREAM_GENERATOR_CABLEMODEM", "VOIP"});
    expectMirrors(p, "CONST_HW_MODEL",
                  {NATIVE_IN(HardwareModel, HW_MODEL_MINI_COMPLETE), NATIVE_IN(HardwareModel, HW_MODEL_MINI_CABLE),
                   NATIVE_IN(HardwareModel, HW_MODEL_CABLE_CM30), NATIVE_IN(HardwareModel, HW_MODEL_CABLE_CM31)});
    expectMirrors(p, "cableModem_status",
                  {NATIVE(MODEM_STATUS_POWER_OFF), NATIVE(MODEM_STATUS_STARTING), NATIVE(MODEM_STATUS_POWER_ON),
                   NATIVE(MODEM_STATUS_PENDING), NATIVE(MODEM_STATUS_OPERATIONAL), NATIVE(MODEM_STATUS_PHY_SYNCHRONIZED),
                   NATIVE(MODEM_STATUS_CONFIG_FILE_DOWNLOAD_COMPLETE), NATIVE(MODEM_STATUS_NOT_SYNCHRONIZED),
                   NATIVE(MODEM_STATUS_DHCPV4_IN_PROGRESS), NATIVE(MODEM_STATUS_RANGING_IN_PROGRESS),
                   NATIVE(MODEM_STATUS_RANGING_COMPLETE), NATIVE(MODEM_STATUS_ERROR), NATIVE(MODEM_STATUS_UNDEFINED),
                   NATIVE(MODEM_STATUS_DHCPV4_COMPLETE), NATIVE(MODEM_STATUS_TUNING), NATIVE(MODEM_STATUS_REGISTERED),
                   NATIVE(MODEM_STATUS_RANGED), NATIVE(MODEM_STATUS_RES)});
    EXPECT_EQ(p.eval("Definitions.UNMEASURED").toInt(), UNMEASURED);
    // Codes the engine uses without a name, and unknown annex codes, show nothing.
    expectValues(p, {{"Definitions.cableModem_status_to_string(1703)", "CONFIG FILE DOWNLOAD COMPLETE"},
                     {"Definitions.cableModem_status_to_string(1711)", ""},
                     {QString("Definitions.cableModem_status_to_string(%1)").arg(MODEM_STATUS_REGISTERED_NO_INTERNET), ""},
                     {"Definitions.annex(2)", "ITU J83-C"},
                     {"Definitions.annex(3)", "---"},
                     {"Definitions.modulation_to_string(7)", "QAM8"}});
}

TEST(Miscelanea, LevelsInEveryUnitAndBack)
{
    ScopedBoard board;
    const struct {
        const char* units;
        double shown; // 100 dBµV in that unit
    } cases[] = {{"dB\u03BCV", 100}, {"dBmV", 40}, {"dBm", -8.75}, {"dB\u03BCV*", 120}, {"dBmV*", 60}, {"dBm*", 11.25}};
    for (const auto& c : cases) {
        ScriptProbe p(QString::fromUtf8(c.units));
        EXPECT_DOUBLE_EQ(p.eval("Miscelanea.conversion_dBuV_To_current_units(100)").toDouble(), c.shown) << c.units;
        EXPECT_DOUBLE_EQ(p.eval("Miscelanea.conversion_current_units_To_dBuV(" + QString::number(c.shown) + ")")
                             .toDouble(),
                         100.0)
            << c.units;
        EXPECT_TRUE(p.errors.isEmpty()) << p.errors.join("\n").toStdString();
    }
    ScriptProbe p("dBmV");
    EXPECT_DOUBLE_EQ(p.eval("Miscelanea.conversion_dBmV_To_dBuV(3.5)").toDouble(), 63.5);
}

// Out-of-range and missing values of a screen's copy of the settings.
TEST(Miscelanea, HelpersOnTheScreensSettings)
{
    ScopedBoard board;
    ScriptProbe p("dBmV");
    // In order: each expression may change the screen's copy of the settings.
    expectValues(p, {{"variablesPantalla.cable_modem_ofdm_ds = 1; Miscelanea.chekcOfdmDs()", "2"},
                     {"variablesPantalla.cable_modem_ofdm_ds = 7; Miscelanea.chekcOfdmDs()", "1"},
                     {"variablesPantalla.cable_modem_ofdm_ds", "0"},
                     {"Miscelanea.getSystemFrequency()", ""},
                     {"Miscelanea.comprovaString(undefined)", "---"},
                     {QString("Miscelanea.comprovaString(%1)").arg(UNMEASURED), "---"},
                     {"Miscelanea.comprovaString(0)", "0"},
                     {"Miscelanea.crearDialeg('NoSuchDialog', this) === null", "true"}});
    ScreensVariables::getInstance()->setValue("current_units", "dBm");
    p.eval("Miscelanea.updateQMLVariables()");
    EXPECT_EQ(p.eval("variablesPantalla.current_units").toString(), "dBm");
}

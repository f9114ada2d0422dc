// The modem's constellations: point decoding and scaling for both generations on literal
// texts, and the DOCSIS 3.0 constellation test (code 60) on the simulated modem.
#include "ModemTestSupport.h"

#include "cablemodem/engine/mesuraCM.h"
#include "cablemodem/modemConstellation.h"

#include "store/screensvariables.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace modemtest;

namespace {
std::vector<std::pair<int, int>> pairs(const ConstellationPoints& p)
{
    std::vector<std::pair<int, int>> out;
    for (int n = 0; n < p.i.size(); ++n)
        out.emplace_back(p.i[n].toInt(), p.q[n].toInt());
    return out;
}

QString dumpOf(const QString& first, int groups)
{
    QString text = "iqdump 0 1\n" + first;
    for (int n = 1; n < groups; ++n)
        text += " (0,0)";
    return text + "\nmainMenu>";
}
} // namespace

TEST(Points30, DumpScalingGroupsThatDoNotReadAndAShortDump)
{
    const IqDump30 full = iqDump30(dumpOf("(-256,255) (-1,0)", 63));
    EXPECT_TRUE(full.found);
    EXPECT_EQ(full.fields, 128);
    ASSERT_EQ(full.i.size(), 64);
    EXPECT_EQ(pairs(full)[0], std::make_pair(0, 255));
    EXPECT_EQ(pairs(full)[1], std::make_pair(127, 128));
    EXPECT_EQ(pairs(full)[2], std::make_pair(128, 128));

    // A group read in part is left out (its number still counts); one off the grid too.
    const IqDump30 odd = iqDump30(dumpOf("(12) (x,3) (-300,0)", 62));
    EXPECT_EQ(odd.fields, 1 + 0 + 2 + 61 * 2);
    EXPECT_EQ(odd.i.size(), 61);

    const IqDump30 shortDump = iqDump30(dumpOf("(1,1)", 63 - 1));
    EXPECT_TRUE(shortDump.found);
    EXPECT_EQ(shortDump.fields, -1);
    EXPECT_TRUE(shortDump.i.isEmpty());
    const IqDump30 none = iqDump30("No lock on receiver\nmainMenu>");
    EXPECT_FALSE(none.found);
    EXPECT_EQ(none.fields, -1);
}

TEST(Points31, TunerAndOfdmScaling)
{
    EXPECT_EQ(pairs(tunerConstellation31("(-256,255,0) (300,-20,x) (10,20) (a,5,0) (-1,0,7)\nmainMenu>")),
              (std::vector<std::pair<int, int>>{{0, 255}, {127, 128}}));
    // A group without its closing parenthesis ends the list.
    EXPECT_EQ(pairs(tunerConstellation31("(1,1,0) (2,2,0")).size(), 1u);
    EXPECT_TRUE(tunerConstellation31("").i.isEmpty());

    const QString ofdm = "constDisplay 0 200 0\nOFDM channel 0 is locked!\nModulation Type : 4096 QAM\n"
                         "-10000 , 10000\n0,0\n5000,-5000\r\n10100,0\n7,x\n1,2,3\nmainMenu>";
    EXPECT_EQ(pairs(ofdmConstellation31(ofdm)),
              (std::vector<std::pair<int, int>>{{0, 0}, {127, 127}, {191, 191}}));
    EXPECT_EQ(ofdmPointI(10000), 255);
    EXPECT_EQ(ofdmPointQ(-10000), 255);
}

TEST(Constellation30, TunesReportsTheChannelThenItsDump)
{
    LinkedModem m;
    EngineSignals s;
    ScreensVariables::getInstance()->setValue("frequency", 610000000u);
    MesuraCM* e = MesuraCM::getInstance();
    e->init(610000000, QML_CM_IQ);
    e->runPass();
    EXPECT_EQ(m.commands(), (Commands{"", "rangemode 0", "dhcpmode 0", "register 0", "go 610.00"}));
    EXPECT_EQ(s.status, (QStringList{"Start CM IQ", "Stop CM IQ"}));
    for (int i = 0; i < 1000 && s.dadesIq.size() < 2; ++i)
        e->runPass();
    ASSERT_GE(s.dadesIq.size(), 2);
    EXPECT_EQ(s.dadesIq[0], (QVariantMap{{"locked", true},
                                         {"modulation", "QAM 256"},
                                         {"annex", "EURO DOCSIS"},
                                         {"mer", "-41"},
                                         {"pre_ber", "<6.0E-09"},
                                         {"post_ber", "<6.0E-09"},
                                         {"f_offset", "1200"},
                                         {"interleaver", "I=12, J=17"},
                                         {"quadres_const", 16}}));
    const QVariantMap points = s.dadesIq[1];
    EXPECT_EQ(points["locked"], true);
    EXPECT_EQ(points["llista_i"].toList().size(), 64);
    EXPECT_EQ(points["llista_q"].toList().size(), 64);
    const Commands c = m.commands();
    EXPECT_NE(std::find(c.begin(), c.end(), "iqdump 0 1"), c.end());
    // Tuned by the set-up, and by the readiness machine, which had not tuned there yet.
    EXPECT_EQ(std::count(c.begin(), c.end(), "go 610.00"), 2);
    // Passes that do not tune advance the machine; the next round reads again, untuned.
    for (int i = 0; i < 1000 && s.dadesIq.size() < 4; ++i)
        e->runPass();
    EXPECT_EQ(s.dadesIq.size(), 4);
    const Commands all = m.commands();
    EXPECT_EQ(std::count(all.begin(), all.end(), "go 610.00"), 2);
}

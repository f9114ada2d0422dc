// The shell's device services: the hardware model from the straps, the equipment file,
// the process launcher and its time-out, the DHCP start, text files for the screens,
// screenshot names and the language.
#include "BadXml.h"
#include "SimBoardFixture.h"

#include "hardware.h"
#include "launcher.h"
#include "networkinterface.h"
#include "screenshot.h"
#include "software.h"
#include "translation.h"
#include "wrfile.h"

#include "common/BoardWiring.h"

#include <QCoreApplication>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <utility>

using testsupport::LogCapture;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;

namespace {
std::vector<std::string> mountBracket()
{
    return {"mount -o remount,rw /", "sync", "mount -o remount,ro /"};
}

void writeFile(const QString& path, const QByteArray& content)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}
} // namespace

class HardwareModelStraps : public ::testing::TestWithParam<int> {};

TEST_P(HardwareModelStraps, ModelComesFromTheStraps)
{
    ScopedBoard board(testsupport::unitBoard(GetParam()));
    HardwareModel* hw = HardwareModel::getInstance();
    EXPECT_EQ(hw->getModelHardware(), GetParam());
    EXPECT_EQ(hw->getDocsis31VersionHardware(), GetParam() == HardwareModel::HW_MODEL_CABLE_CM31);
    EXPECT_EQ(hw->isCompactModel(), GetParam() < 2);
    // Read once: a later change of the straps is not seen.
    board->gpio().setExternalLevel(wiring::gpio::STRAP0, 1 - (GetParam() & 1));
    EXPECT_EQ(HardwareModel::getInstance()->getModelHardware(), GetParam());
    EXPECT_EQ(board->gpio().isOutput(wiring::gpio::STRAP0), false);
}

INSTANTIATE_TEST_SUITE_P(AllModels, HardwareModelStraps, ::testing::Values(0, 1, 2, 3));

TEST(HardwareModelFaults, UnreadableStrapsGiveTheSmallestModel)
{
    ScopedBoard board;
    board->gpio().setExternalLevel(wiring::gpio::STRAP0, 1);
    board->gpio().setExternalLevel(wiring::gpio::STRAP1, 1);
    board->faults().fail(platform::sim::Device::gpio(wiring::gpio::STRAP1), platform::sim::kOpen);
    LogCapture log;
    EXPECT_EQ(HardwareModel::getInstance()->getModelHardware(), HardwareModel::HW_MODEL_MINI_COMPLETE);
    EXPECT_TRUE(log.contains(" OPERATION FAILED: Unable to export GPIO"));
}

TEST(HardwareModelFaults, LinesStillExportedFromBeforeARestartAreRead)
{
    ScopedBoard board;
    board->gpio().exportLine(wiring::gpio::STRAP0);
    board->gpio().exportLine(wiring::gpio::STRAP1);
    board->gpio().setExternalLevel(wiring::gpio::STRAP1, 1);
    EXPECT_EQ(HardwareModel::getInstance()->getModelHardware(), HardwareModel::HW_MODEL_CABLE_CM30);
}

TEST(SoftwareFile, OclaroFlagAndTypedValues)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    writeFile(Software::filePath(), "<?xml version=\"1.0\"?>\n<SOFTWARE date=\"2025-10-31\" equipment=\"X\">"
                                    "<equipment_name type=\"QString\">CABLE VARNOK &amp; CO</equipment_name>"
                                    "<OCLARO type=\"bool\">true</OCLARO><SATELLITE type=\"bool\">0</SATELLITE>"
                                    "<serial_number type=\"QString\">\n  0042 \n</serial_number></SOFTWARE>");
    EXPECT_TRUE(Software::getInstance()->getOclaro());
    EXPECT_FALSE(Software::getInstance()->getOption("SATELLITE"));
    EXPECT_FALSE(Software::getInstance()->getOption("TERRESTRIAL"));
    EXPECT_EQ(Software::getInstance()->getEquipmentName(), "CABLE VARNOK & CO");
    // The layout's blanks are no part of a value.
    EXPECT_EQ(Software::readFile(Software::filePath()).value("serial_number"), "0042");
}

// One damaged kind per case, the last one a missing file: the object reads its file once
// per process.
struct DamagedSoftwareFile : ::testing::TestWithParam<size_t> {};

TEST_P(DamagedSoftwareFile, GivesNoOptionsIsLoggedAndStaysWhereItIs)
{
    const auto damaged = testsupport::damagedFiles("SOFTWARE");
    ScopedBoard board;
    ScopedWorkDir dir;
    if (GetParam() < damaged.size())
        writeFile(Software::filePath(), damaged[GetParam()].content);
    LogCapture log;
    EXPECT_FALSE(Software::getInstance()->getOclaro());
    const bool missing = GetParam() == damaged.size();
    EXPECT_TRUE(log.contains(missing ? "does not exist" : "- it is not used")) << log.lines().join("\n").toStdString();
    EXPECT_EQ(QFile::exists(Software::filePath()), !missing);
}

INSTANTIATE_TEST_SUITE_P(SoftwareFile, DamagedSoftwareFile,
                         ::testing::Range<size_t>(0, testsupport::damagedFiles("SOFTWARE").size() + 1));

TEST(LauncherProcess, OutputUpToTheFirstNulThroughTheProcessSeamAndAHungCommandKilled)
{
    ScopedBoard board;
    board->shell().setReply("cat /etc/os-release", std::string("NAME=\"SimLinux\"\n\0garbage", 24));
    Launcher launcher;
    EXPECT_EQ(launcher.launch("cat /etc/os-release"), "NAME=\"SimLinux\"\n");
    EXPECT_EQ(launcher.launch("true"), "");
    auto commands = board->shell().commands();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_FALSE(commands[0].viaShell);

    // A hung command is killed after the time-out.
    board->shell().setReply("pwd", "/root\n");
    board->shell().setRunTime("pwd", 10ULL * 60 * 1000);
    const uint64_t before = board.clock().monotonicMs();
    EXPECT_EQ(launcher.launch("pwd"), "");
    EXPECT_EQ(board.clock().monotonicMs() - before, static_cast<uint64_t>(Launcher::kTimeoutMs));
    auto launches = board->log().entries("launch");
    ASSERT_EQ(launches.size(), 3u);
    EXPECT_TRUE(launches[2].failed);

    // A slow command inside the limit still answers.
    board->shell().setRunTime("pwd", Launcher::kTimeoutMs - 1);
    EXPECT_EQ(launcher.launch("pwd"), "/root\n");
}

TEST(Network, DhcpClientsOnBothInterfacesUnlessEth0IsStatic)
{
    ScopedBoard board;
    const struct {
        const char* interfaces; // null: the board's own file
        bool eth0;
    } rows[] = {{nullptr, true},
                {"auto eth0\n#iface eth0 inet static\niface eth0 inet dhcp\n", true},
                {"auto eth0\niface eth0 inet static\n  address 192.168.1.50\n", false}};
    for (const auto& r : rows) {
        if (r.interfaces)
            board->setFile("/etc/network/interfaces", r.interfaces);
        board->shell().clear();
        NetworkInterface::getInstance()->get_IP_DHCPs();
        std::vector<std::string> expected{"mount -o remount,rw /", "udhcpc -i eth1 &"};
        if (r.eth0)
            expected.push_back("udhcpc -i eth0 &");
        EXPECT_EQ(board->shell().commandLines(), expected) << (r.interfaces ? r.interfaces : "");
    }
}

TEST(TextFiles, WorkingDirectoryFilesInsideTheMountBracketDeviceFilesThroughTheBoard)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    WrFile wr;
    EXPECT_TRUE(wr.writeFile("notes/a.txt", "line 1\nµ→\n"));
    EXPECT_EQ(board->shell().commandLines(), mountBracket());
    EXPECT_EQ(wr.readFile("notes/a.txt"), QString::fromUtf8("line 1\nµ→\n"));
    EXPECT_TRUE(wr.fileExists("notes/a.txt") && !wr.fileExists("notes/b.txt"));
    EXPECT_EQ(wr.readFile("notes/b.txt"), "");
    // A folder where the file should be: the write fails and says so.
    QDir().mkpath("busy.txt");
    EXPECT_FALSE(wr.writeFile("busy.txt", "x"));

    // Device files go through the board, outside the bracket.
    board->shell().clear();
    const QString backlight = "/sys/class/backlight/backlight_ldb/brightness";
    EXPECT_EQ(wr.readFile(backlight), "7\n");
    EXPECT_TRUE(wr.writeFile(backlight, "3"));
    EXPECT_EQ(board->file(backlight.toStdString()), "3");
    EXPECT_TRUE(board->shell().commandLines().empty());
    EXPECT_FALSE(wr.writeFile("/sys/class/nothing/here", "1"));
    EXPECT_FALSE(QFileInfo::exists("sys"));
}

TEST(Screenshots, NamedAfterScreenAndTheBoardsLocalTimeInTheScreensFolder)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    ScreenShot shot;
    QImage image(800, 480, QImage::Format_RGB32);
    image.fill(Qt::darkBlue);
    const QDateTime when(QDate(2026, 3, 9), QTime(7, 5, 3));
    EXPECT_EQ(shot.saveImage(image, "MAIN_MENU", when), "screenshots/MAIN_MENU/MAIN_MENU_2026-03-09_07-05-03.png");
    EXPECT_EQ(board->shell().commandLines(), mountBracket());
    // A second capture in the same second does not overwrite the first.
    EXPECT_EQ(shot.saveImage(image, "MAIN_MENU", when), "screenshots/MAIN_MENU/MAIN_MENU_2026-03-09_07-05-03_1.png");
    EXPECT_EQ(QImage("screenshots/MAIN_MENU/MAIN_MENU_2026-03-09_07-05-03.png").size(), QSize(800, 480));
    // A screen name cannot lead out of the folder.
    EXPECT_EQ(shot.saveImage(image, "../../etc", when), "screenshots/______etc/______etc_2026-03-09_07-05-03.png");
    // Nothing captured, nothing written.
    board->shell().clear();
    EXPECT_EQ(shot.saveImage(QImage(), "EXIT", when), "");
    EXPECT_FALSE(QFileInfo::exists("screenshots/EXIT"));
    EXPECT_TRUE(board->shell().commandLines().empty());
    EXPECT_EQ(shot.shootScreen("EXIT"), "");

    // The date is the board's local time.
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    board.clock().setWallTimeUs(1767225600LL * 1000000 + (13 * 3600 + 14 * 60 + 15) * 1000000LL);
    EXPECT_EQ(ScreenShot::fileName("EXIT", ScreenShot::now()), "EXIT_2026-01-01_13-14-15.png");
}

TEST(Languages, EveryTranslationLoadsAndUnknownOnesKeepTheCurrent)
{
    Translation translation;
    for (const char* code : {"en", "es", "fr", "de"})
        EXPECT_TRUE(translation.selectLanguage(code) && translation.language() == code) << code;
    EXPECT_TRUE(translation.selectLanguage("t1_es"));
    EXPECT_EQ(QCoreApplication::translate("exit", "YES"), QString::fromUtf8("SÍ"));
    EXPECT_TRUE(translation.selectLanguage("Deutsch"));
    EXPECT_EQ(QCoreApplication::translate("screens", "POWER OFF"), "AUSSCHALTEN");
    EXPECT_TRUE(translation.selectLanguage("2"));
    EXPECT_EQ(translation.language(), "fr");
    EXPECT_FALSE(translation.selectLanguage("Klingon"));
    EXPECT_FALSE(translation.selectLanguage("4"));
    EXPECT_EQ(translation.language(), "fr");
    EXPECT_EQ(QCoreApplication::translate("exit", "NO"), "NON");
}

// A text a language leaves as its English source is made of the names every language keeps,
// or of words that language spells the same: anything else was left untranslated.
TEST(Languages, NoTextIsLeftInEnglishButTheNamesEveryLanguageKeeps)
{
    const QStringList names = {"CM", "DOCSIS", "OFDM", "SC-QAM", "DS", "MER", "ICFR", "NCP", "C-CWE", "U-CWE",
                               "IP", "TV", "RANGING", "Ranging", "F.", "MHz", "dB"};
    const std::pair<const char*, QStringList> spelledTheSame[] = {
        {"es", {"NO", "Jitter"}},
        {"fr", {"OK", "Version", "CONSTELLATION", "Codec", "Modulation", "ATT"}},
        {"de", {"OK", "S/N", "Version", "Codec", "Modulation", "System", "GENERATOR", "Jitter"}}};
    for (const auto& [language, words] : spelledTheSame) {
        QFile file(QString(VARNOK_SOURCE_DIR "/languages/languages/t1_%1.ts").arg(language));
        QDomDocument ts;
        ASSERT_TRUE(file.open(QIODevice::ReadOnly) && ts.setContent(&file)) << language;
        QStringList left;
        const QDomNodeList messages = ts.elementsByTagName("message");
        for (int i = 0; i < messages.size(); ++i) {
            const QString source = messages.at(i).firstChildElement("source").text();
            const QString translation = messages.at(i).firstChildElement("translation").text();
            if (!translation.isEmpty() && translation != source)
                continue;
            for (QString word : source.split(' ', Qt::SkipEmptyParts)) {
                if (word.endsWith(':'))
                    word.chop(1);
                if (!names.contains(word) && !words.contains(word)) {
                    left << source;
                    break;
                }
            }
        }
        EXPECT_TRUE(left.isEmpty()) << language << ": " << left.join(" | ").toStdString();
    }
}

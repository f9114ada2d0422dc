// The logger store: file names with their two-digit index, the files' content, the
// runs' current logger, and the export to the USB stick through the shell.
#include "SimBoardFixture.h"
#include "StoreTestSupport.h"

#include "store/loggerlist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace storetest;
using testsupport::LogCapture;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;

namespace {
QStringList loggerNames(std::initializer_list<int> indexes)
{
    QStringList names;
    for (int i : indexes)
        names.append(QString("Logger%1.XML").arg(i, 2, 10, QChar('0')));
    return names;
}

QVariantList twoEntries()
{
    return {QVariantMap{{"name", "E21"}, {"frequency", 474000000u}, {"power", 652}, {"c_n", 0xE00000},
                        {"mer", 38.5}, {"type", "DIGITAL"}},
            QVariantMap{{"name", "E5"}, {"frequency", 177500000u}, {"power", 701}, {"v_a", 152}}};
}
} // namespace

TEST(LoggerNames, TheNextIndexFollowsTheHighestAndFillsGapsOnlyWhenFull)
{
    EXPECT_EQ(Loggerlist::nextLoggerName({}), "Logger00.XML");
    EXPECT_EQ(Loggerlist::nextLoggerName(loggerNames({0, 2})), "Logger03.XML");
    EXPECT_EQ(Loggerlist::nextLoggerName(loggerNames({0, 1})), "Logger02.XML");
    EXPECT_EQ(Loggerlist::nextLoggerName(loggerNames({98})), "Logger99.XML");
    EXPECT_EQ(Loggerlist::nextLoggerName(loggerNames({0, 99})), "Logger01.XML");
    EXPECT_EQ(Loggerlist::nextLoggerName(loggerNames({99})), "Logger00.XML");
    QStringList all;
    for (int i = 0; i < 100; ++i)
        all += loggerNames({i});
    EXPECT_EQ(Loggerlist::nextLoggerName(all), QString());
    // Files that are not loggers do not count.
    EXPECT_EQ(Loggerlist::nextLoggerName({"Logger5.XML", "logger07.XML", "Logger08.XML.bad", "Logger100.XML"}),
              "Logger00.XML");
}

TEST(LoggerFiles, AreWrittenListedAndReadBack)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    QCoreApplication::setApplicationName("CABLE VARNOK");
    Loggerlist* loggers = Loggerlist::getInstance();
    QStringList changed;
    QObject::connect(loggers, &Loggerlist::loggersChanged, [&](const QString& type) { changed.append(type); });

    EXPECT_EQ(loggers->guardaLogger("SCAN_RF", twoEntries()), "Logger00.XML");
    EXPECT_EQ(commands(board.board()), remountBrackets());
    EXPECT_EQ(loggers->guardaLogger("SCAN_RF", {}), "Logger01.XML");
    EXPECT_EQ(loggers->guardaLogger("REGISTERING", twoEntries()), "Logger00.XML");
    EXPECT_EQ(changed, QStringList({"SCAN_RF", "SCAN_RF", "REGISTERING"}));

    const QDomElement root = rootOf("loggers/SCAN_RF/Logger00.XML");
    EXPECT_EQ(root.tagName(), "DATALOGGER");
    EXPECT_EQ(root.attribute("equipment"), "CABLE VARNOK");
    EXPECT_FALSE(root.attribute("date").isEmpty());
    const QString text = readText("loggers/SCAN_RF/Logger00.XML");
    EXPECT_TRUE(text.contains("    <ENTRY>\n"
                              "        <c_n type=\"int\">14680064</c_n>\n"
                              "        <frequency type=\"uint\">474000000</frequency>\n"
                              "        <mer type=\"double\">38.5</mer>\n"))
        << text.toStdString();

    EXPECT_EQ(loggers->loggerTypes(), QStringList({"REGISTERING", "SCAN_RF"}));
    // A stray temporary or kept-aside file is not a logger.
    writeText("loggers/SCAN_RF/Logger02.XML.a1b2c3", "<DATA");
    EXPECT_EQ(loggers->llistaLoggers("SCAN_RF"), loggerNames({0, 1}));
    const QVariantList read = loggers->carregaLogger("SCAN_RF", "Logger00.XML");
    EXPECT_EQ(read, twoEntries());
    EXPECT_EQ(read.first().toMap().value("frequency").type(), QVariant::UInt);
    EXPECT_TRUE(loggers->carregaLogger("SCAN_RF", "Logger01.XML").isEmpty());
    EXPECT_TRUE(loggers->carregaLogger("SCAN_RF", "Logger07.XML").isEmpty());

    // With "Logger00" and "Logger02" present the next one is "Logger03".
    ASSERT_TRUE(QFile::remove("loggers/SCAN_RF/Logger01.XML"));
    writeText("loggers/SCAN_RF/Logger02.XML", "<DATALOGGER/>");
    EXPECT_EQ(loggers->guardaLogger("SCAN_RF", twoEntries()), "Logger03.XML");
}

TEST(LoggerFiles, BadTypesBadFilesAndFailedWritesGiveNothing)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    LogCapture log;
    Loggerlist* loggers = Loggerlist::getInstance();
    for (const QString& type : {QString(), QString("../channelPlans"), QString("A B"), QString("x;y")}) {
        EXPECT_EQ(loggers->guardaLogger(type, twoEntries()), QString()) << type.toStdString();
        EXPECT_TRUE(loggers->llistaLoggers(type).isEmpty());
    }
    EXPECT_TRUE(commands(board.board()).empty());
    EXPECT_TRUE(log.contains("Logger type not valid"));

    writeText("loggers", "a file where the folder should be");
    EXPECT_EQ(loggers->guardaLogger("SCAN_RF", twoEntries()), QString());
    EXPECT_EQ(commands(board.board()), remountBrackets());

    // A malformed logger reads as empty and is kept aside, not lost.
    ASSERT_TRUE(QFile::remove("loggers"));
    ASSERT_TRUE(QDir().mkpath("loggers/TILT_UP_RF"));
    writeText("loggers/TILT_UP_RF/Logger00.XML", "<DATALOGGER><ENTRY>");
    EXPECT_TRUE(loggers->carregaLogger("TILT_UP_RF", "Logger00.XML").isEmpty());
    EXPECT_EQ(readText("loggers/TILT_UP_RF/Logger00.XML.bad"), "<DATALOGGER><ENTRY>");
}

TEST(CurrentLogger, IsReplacedOnlyAndNothingIsSavedOrSignalled)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    Loggerlist* loggers = Loggerlist::getInstance();
    int emitted = 0;
    QObject::connect(loggers, &Loggerlist::loggersChanged, [&] { ++emitted; });

    const QVariantMap result = twoEntries().first().toMap();
    loggers->setCurrentLogger(result);
    EXPECT_EQ(loggers->currentLogger(), result);
    loggers->setCurrentLogger(QVariantMap(result));
    EXPECT_EQ(loggers->currentLogger(), result);
    loggers->setCurrentLogger({});
    EXPECT_TRUE(loggers->currentLogger().isEmpty());
    EXPECT_EQ(emitted, 0);
    EXPECT_TRUE(commands(board.board()).empty());
    EXPECT_TRUE(QDir(".").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST(LoggerExport, MountsTheStickCopiesAndUnmounts)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    Loggerlist* loggers = Loggerlist::getInstance();
    ASSERT_EQ(loggers->guardaLogger("SCAN_RF", twoEntries()), "Logger00.XML");
    const std::string source = QFileInfo("loggers/SCAN_RF/Logger00.XML").absoluteFilePath().toStdString();
    const std::string copy = "cp '" + source + "' '/mnt/SCAN_RF_Logger00.XML'";

    board->shell().clear();
    EXPECT_TRUE(loggers->exportaLogger("SCAN_RF", "Logger00.XML"));
    EXPECT_EQ(commands(board.board()),
              std::vector<std::string>({"mount /dev/sda1 /mnt", copy, "sync", "umount /mnt"}));

    // No stick on the first disk: the second one.
    board->shell().clear();
    board->shell().setReply("mount /dev/sda1 /mnt", "", 32);
    EXPECT_TRUE(loggers->exportaLogger("SCAN_RF", "Logger00.XML"));
    EXPECT_EQ(commands(board.board()), std::vector<std::string>({"mount /dev/sda1 /mnt", "mount /dev/sdb1 /mnt",
                                                                 copy, "sync", "umount /mnt"}));

    // A failing copy is reported, and the stick is still unmounted.
    board->shell().clear();
    board->shell().setPrefixReply("cp ", "", 1);
    EXPECT_FALSE(loggers->exportaLogger("SCAN_RF", "Logger00.XML"));
    EXPECT_EQ(commands(board.board()).back(), "umount /mnt");

    // No stick at all: nothing is copied or unmounted.
    board->shell().clear();
    board->shell().setReply("mount /dev/sdb1 /mnt", "", 32);
    LogCapture log;
    EXPECT_FALSE(loggers->exportaLogger("SCAN_RF", "Logger00.XML"));
    EXPECT_EQ(commands(board.board()), std::vector<std::string>({"mount /dev/sda1 /mnt", "mount /dev/sdb1 /mnt"}));
    EXPECT_TRUE(log.contains("No USB memory found"));
}

TEST(LoggerExport, RefusesWhatIsNotAStoredLogger)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    Loggerlist* loggers = Loggerlist::getInstance();
    ASSERT_EQ(loggers->guardaLogger("SCAN_RF", twoEntries()), "Logger00.XML");
    board->shell().clear();
    EXPECT_FALSE(loggers->exportaLogger("SCAN_RF", "Logger00.XML; halt"));
    EXPECT_FALSE(loggers->exportaLogger("SCAN_RF'; halt; '", "Logger00.XML"));
    EXPECT_FALSE(loggers->exportaLogger("../loggers/SCAN_RF", "Logger00.XML"));
    EXPECT_FALSE(loggers->exportaLogger("SCAN_RF", "Logger01.XML"));
    EXPECT_TRUE(commands(board.board()).empty());
}

// The registration keeps each table's rows as a list under the table's name; a file of
// the older form, one entry per row naming its table and place, reads as the same lists.
TEST(LoggerFiles, RegistrationTablesAreListsAndTheOlderFormReadsTheSame)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    QCoreApplication::setApplicationName("CABLE VARNOK");
    Loggerlist* loggers = Loggerlist::getInstance();
    const QVariantMap first{{"channel", "1"}, {"frequency", "602.00"}, {"power", "64.0"}, {"mer_att", "38.0"},
                            {"sr", "5361"}};
    const QVariantMap second{{"channel", "2"}, {"frequency", "-"}, {"power", "-"}, {"mer_att", "-"}, {"sr", "-"}};
    const QVariantMap tables{{"table_registering_scqam_down", QVariantList{first, second}},
                             {"table_registering_ofdm_up", QVariantList{}},
                             {"ip_cable_modem", QVariantList{QVariantMap{{"ip", "10.1.2.3"}}}}};
    ASSERT_EQ(loggers->guardaLogger("REGISTERING", {tables}), "Logger00.XML");
    QString text = readText("loggers/REGISTERING/Logger00.XML");
    text.replace(QRegularExpression(" date=\"[^\"]*\""), " date=\"D\"");
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<DATALOGGER date=\"D\" equipment=\"CABLE VARNOK\">\n"
                    "    <ENTRY>\n"
                    "        <ip_cable_modem type=\"QVariantList\">\n"
                    "            <ROW>\n"
                    "                <ip type=\"QString\">10.1.2.3</ip>\n"
                    "            </ROW>\n"
                    "        </ip_cable_modem>\n"
                    "        <table_registering_ofdm_up type=\"QVariantList\"/>\n"
                    "        <table_registering_scqam_down type=\"QVariantList\">\n"
                    "            <ROW>\n"
                    "                <channel type=\"QString\">1</channel>\n"
                    "                <frequency type=\"QString\">602.00</frequency>\n"
                    "                <mer_att type=\"QString\">38.0</mer_att>\n"
                    "                <power type=\"QString\">64.0</power>\n"
                    "                <sr type=\"QString\">5361</sr>\n"
                    "            </ROW>\n"
                    "            <ROW>\n"
                    "                <channel type=\"QString\">2</channel>\n"
                    "                <frequency type=\"QString\">-</frequency>\n"
                    "                <mer_att type=\"QString\">-</mer_att>\n"
                    "                <power type=\"QString\">-</power>\n"
                    "                <sr type=\"QString\">-</sr>\n"
                    "            </ROW>\n"
                    "        </table_registering_scqam_down>\n"
                    "    </ENTRY>\n"
                    "</DATALOGGER>\n");
    EXPECT_EQ(loggers->carregaLogger("REGISTERING", "Logger00.XML"), QVariantList{tables});

    // The older form, its rows out of order; the empty table had no rows to keep.
    const auto row = [](const char* table, int place, const QVariantMap& values) {
        QString xml = QString("<ENTRY><table type=\"QString\">%1</table><row type=\"int\">%2</row>").arg(table).arg(place);
        for (auto it = values.begin(); it != values.end(); ++it)
            xml += QString("<%1 type=\"QString\">%2</%1>").arg(it.key(), it.value().toString());
        return xml + "</ENTRY>";
    };
    writeText("loggers/REGISTERING/Logger01.XML",
              ("<DATALOGGER>" + row("table_registering_scqam_down", 1, second)
               + row("ip_cable_modem", 0, {{"ip", "10.1.2.3"}}) + row("table_registering_scqam_down", 0, first)
               + "</DATALOGGER>")
                  .toUtf8());
    QVariantMap older = tables;
    older.remove("table_registering_ofdm_up");
    EXPECT_EQ(loggers->carregaLogger("REGISTERING", "Logger01.XML"), QVariantList{older});
    // Only the registration's loggers were ever kept that way.
    ASSERT_TRUE(QDir().mkpath("loggers/SCAN_RF"));
    ASSERT_TRUE(QFile::copy("loggers/REGISTERING/Logger01.XML", "loggers/SCAN_RF/Logger00.XML"));
    EXPECT_EQ(loggers->carregaLogger("SCAN_RF", "Logger00.XML").size(), 3);
}

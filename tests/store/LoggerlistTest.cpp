// The logger store: file names with their two-digit index, the files' content, the
// runs' current logger, and the export to the USB stick through the shell.
#include "StoreTestSupport.h"

#include "store/loggerlist.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

using namespace storetest;

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
    QStringList all;
    for (int i = 0; i < 100; ++i)
        all += loggerNames({i});
    // Files that are not loggers do not count.
    const std::pair<QStringList, const char*> rows[] = {
        {{}, "Logger00.XML"},           {loggerNames({0, 2}), "Logger03.XML"}, {loggerNames({98}), "Logger99.XML"},
        {loggerNames({0, 99}), "Logger01.XML"}, {loggerNames({99}), "Logger00.XML"}, {all, ""},
        {{"Logger5.XML", "logger07.XML", "Logger08.XML.bad", "Logger100.XML"}, "Logger00.XML"},
    };
    for (const auto& [existing, next] : rows)
        EXPECT_EQ(Loggerlist::nextLoggerName(existing), next) << existing.join(",").toStdString();
}

TEST(LoggerFiles, AreWrittenListedAndReadBackAndBadTypesAndFailedWritesGiveNothing)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    LogCapture log;
    QCoreApplication::setApplicationName("CABLE VARNOK");
    Loggerlist* loggers = Loggerlist::getInstance();
    QStringList changed;
    QObject context;
    QObject::connect(loggers, &Loggerlist::loggersChanged, &context, [&](const QString& type) { changed.append(type); });
    for (const QString& type : {QString(), QString("../channelPlans"), QString("A B"), QString("x;y")}) {
        EXPECT_EQ(loggers->guardaLogger(type, twoEntries()), QString()) << type.toStdString();
        EXPECT_TRUE(loggers->llistaLoggers(type).isEmpty());
    }
    EXPECT_TRUE(commands(board.board()).empty());
    EXPECT_TRUE(log.contains("Logger type not valid"));

    EXPECT_EQ(loggers->guardaLogger("SCAN_RF", twoEntries()), "Logger00.XML");
    EXPECT_EQ(commands(board.board()), remountBrackets());
    EXPECT_EQ(loggers->guardaLogger("SCAN_RF", {}), "Logger01.XML");
    EXPECT_EQ(loggers->guardaLogger("REGISTERING", twoEntries()), "Logger00.XML");
    EXPECT_EQ(changed, QStringList({"SCAN_RF", "SCAN_RF", "REGISTERING"}));
    EXPECT_TRUE(readText("loggers/SCAN_RF/Logger00.XML")
                    .contains("    <ENTRY>\n"
                              "        <c_n type=\"int\">14680064</c_n>\n"
                              "        <frequency type=\"uint\">474000000</frequency>\n"
                              "        <mer type=\"double\">38.5</mer>\n"));

    EXPECT_EQ(loggers->loggerTypes(), QStringList({"REGISTERING", "SCAN_RF"}));
    // A stray temporary or kept-aside file is not a logger.
    writeText("loggers/SCAN_RF/Logger02.XML.a1b2c3", "<DATA");
    EXPECT_EQ(loggers->llistaLoggers("SCAN_RF"), loggerNames({0, 1}));
    const QVariantList read = loggers->carregaLogger("SCAN_RF", "Logger00.XML");
    EXPECT_EQ(read, twoEntries());
    EXPECT_EQ(read.first().toMap().value("frequency").type(), QVariant::UInt);
    EXPECT_TRUE(loggers->carregaLogger("SCAN_RF", "Logger01.XML").isEmpty());
    EXPECT_TRUE(loggers->carregaLogger("SCAN_RF", "Logger07.XML").isEmpty());

    // The runs' current logger is only held: nothing is saved or signalled.
    board->shell().clear();
    changed.clear();
    loggers->setCurrentLogger(twoEntries().first().toMap());
    EXPECT_EQ(loggers->currentLogger(), twoEntries().first().toMap());
    EXPECT_TRUE(changed.isEmpty());
    EXPECT_TRUE(commands(board.board()).empty());

    // A file where the folder should be: the write fails, inside its brackets.
    ASSERT_TRUE(QDir("loggers").removeRecursively());
    writeText("loggers", "a file where the folder should be");
    EXPECT_EQ(loggers->guardaLogger("SCAN_RF", twoEntries()), QString());
    EXPECT_EQ(commands(board.board()), remountBrackets());
}

TEST(LoggerExport, MountsTheStickCopiesAndUnmountsAndRefusesWhatIsNotAStoredLogger)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    LogCapture log;
    Loggerlist* loggers = Loggerlist::getInstance();
    ASSERT_EQ(loggers->guardaLogger("SCAN_RF", twoEntries()), "Logger00.XML");
    const std::string source = QFileInfo("loggers/SCAN_RF/Logger00.XML").absoluteFilePath().toStdString();
    const std::string copy = "cp '" + source + "' '/mnt/SCAN_RF_Logger00.XML'";
    const std::string sda = "mount /dev/sda1 /mnt", sdb = "mount /dev/sdb1 /mnt";
    // The shell's replies in force, what the export answers, and the commands it ran: the
    // first disk, else the second; a failing copy still unmounts; no stick copies nothing.
    const struct {
        const char* failing; // the command that fails from this row on
        bool exported;
        std::vector<std::string> commands;
    } rows[] = {
        {nullptr, true, {sda, copy, "sync", "umount /mnt"}},
        {"mount /dev/sda1 /mnt", true, {sda, sdb, copy, "sync", "umount /mnt"}},
        {"cp ", false, {sda, sdb, copy, "sync", "umount /mnt"}},
        {"mount /dev/sdb1 /mnt", false, {sda, sdb}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.commands.size());
        board->shell().clear();
        if (r.failing)
            board->shell().setPrefixReply(r.failing, "", 32);
        EXPECT_EQ(loggers->exportaLogger("SCAN_RF", "Logger00.XML"), r.exported);
        EXPECT_EQ(commands(board.board()), r.commands);
    }
    EXPECT_TRUE(log.contains("No USB memory found"));

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
    const QVariantMap first{{"channel", "1"}, {"power", "64.0"}};
    const QVariantMap second{{"channel", "2"}, {"power", "-"}};
    const QVariantMap tables{{"table_registering_scqam_down", QVariantList{first, second}},
                             {"table_registering_ofdm_up", QVariantList{}}};
    ASSERT_EQ(loggers->guardaLogger("REGISTERING", {tables}), "Logger00.XML");
    QString text = readText("loggers/REGISTERING/Logger00.XML");
    text.replace(QRegularExpression(" date=\"[^\"]*\""), " date=\"D\"");
    EXPECT_EQ(text, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                    "<DATALOGGER date=\"D\" equipment=\"CABLE VARNOK\">\n"
                    "    <ENTRY>\n"
                    "        <table_registering_ofdm_up type=\"QVariantList\"/>\n"
                    "        <table_registering_scqam_down type=\"QVariantList\">\n"
                    "            <ROW>\n"
                    "                <channel type=\"QString\">1</channel>\n"
                    "                <power type=\"QString\">64.0</power>\n"
                    "            </ROW>\n"
                    "            <ROW>\n"
                    "                <channel type=\"QString\">2</channel>\n"
                    "                <power type=\"QString\">-</power>\n"
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
               + row("table_registering_scqam_down", 0, first) + "</DATALOGGER>")
                  .toUtf8());
    QVariantMap older = tables;
    older.remove("table_registering_ofdm_up");
    EXPECT_EQ(loggers->carregaLogger("REGISTERING", "Logger01.XML"), QVariantList{older});
    // Only the registration's loggers were ever kept that way.
    ASSERT_TRUE(QDir().mkpath("loggers/SCAN_RF"));
    ASSERT_TRUE(QFile::copy("loggers/REGISTERING/Logger01.XML", "loggers/SCAN_RF/Logger00.XML"));
    EXPECT_EQ(loggers->carregaLogger("SCAN_RF", "Logger00.XML").size(), 2);
}

// The OFDM analysis keeps its levels as its screen shows them, with their unit; a file of
// the older form, the modem's bare dBmV, reads as the screen showed it then, in dBµV.
TEST(LoggerFiles, OfdmLevelsOfTheOlderFormReadAsTheScreenShowedThem)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    Loggerlist* loggers = Loggerlist::getInstance();
    const QVariantMap shown{{"pwr_avg", "13.3 dBmV"}, {"plc_pwr", "---"}, {"mer_avg", "40.1"}};
    ASSERT_EQ(loggers->guardaLogger("OFDM_DOWNSTREAM", {shown}), "Logger00.XML");
    EXPECT_EQ(loggers->carregaLogger("OFDM_DOWNSTREAM", "Logger00.XML"), QVariantList{shown});
    writeText("loggers/OFDM_DOWNSTREAM/Logger01.XML",
              "<DATALOGGER><ENTRY><pwr_avg type=\"QString\">10.3</pwr_avg><plc_pwr type=\"QString\"> -1.7 </plc_pwr>"
              "<mer_avg type=\"QString\">40.1</mer_avg></ENTRY></DATALOGGER>");
    const QVariantMap older{{"pwr_avg", "73.3 dB\u03BCV"}, {"plc_pwr", "61.3 dB\u03BCV"}, {"mer_avg", "40.1"}};
    EXPECT_EQ(loggers->carregaLogger("OFDM_DOWNSTREAM", "Logger01.XML"), QVariantList{older});
}

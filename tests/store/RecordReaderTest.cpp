// The record reader that loads channel plans as a stream reads every record as the
// document reader does (typed values, renamed keys, nested text, blanks), and refuses,
// keeps aside and reports what the document reader refuses.
#include "SimBoardFixture.h"
#include "StoreTestSupport.h"

#include "store/storefile.h"

using namespace storetest;
using testsupport::LogCapture;
using testsupport::ScopedBoard;
using testsupport::ScopedWorkDir;

TEST(RecordReader, ReadsEachRecordAsTheDocumentReaderDoes)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    writeText("plan.XML", "<?xml version=\"1.0\"?>\n<PLAN date=\"x\">\n"
                          " <ROW><f type=\"uint\"> 4294967295 </f><n type=\"int\">-7</n><d type=\"double\">1.5</d>"
                          "<b type=\"bool\">1</b><s type=\"QString\"> a &amp; b </s><blank type=\"QString\">   </blank>"
                          "<VALUE name=\"bad key\" type=\"QString\">kept</VALUE><VALUE type=\"int\">3</VALUE>"
                          "<nested type=\"QString\">x<i>y</i>z</nested><untyped>9</untyped></ROW>\n"
                          " <OTHER><f type=\"int\">1</f></OTHER>\n <ROW/>\n</PLAN>\n");
    QList<QVariantMap> records;
    ASSERT_EQ(storefile::loadRecords("plan.XML", "PLAN", "ROW", &records), storefile::LoadResult::Loaded);
    ASSERT_EQ(records.size(), 2);
    const QDomElement first = rootOf("plan.XML").firstChildElement("ROW");
    EXPECT_EQ(records[0], storefile::readValues(first));
    EXPECT_EQ(records[0].value("f"), QVariant(4294967295u));
    EXPECT_EQ(records[0].value("s"), QVariant(" a & b "));
    EXPECT_EQ(records[0].value("blank"), QVariant(QString()));
    EXPECT_EQ(records[0].value("bad key"), QVariant("kept"));
    EXPECT_EQ(records[0].value("VALUE"), QVariant(3));
    EXPECT_EQ(records[0].value("nested"), QVariant("xyz"));
    EXPECT_TRUE(records[1].isEmpty());
}

TEST(RecordReader, RefusesWhatTheDocumentReaderRefuses)
{
    ScopedBoard board;
    ScopedWorkDir dir;
    LogCapture log;
    QList<QVariantMap> records;
    EXPECT_EQ(storefile::loadRecords("none.XML", "PLAN", "ROW", &records), storefile::LoadResult::Missing);

    const std::pair<const char*, QByteArray> bad[] = {
        {"torn.XML", "<PLAN><ROW><f type=\"int\">1</f></ROW><ROW><f"},
        {"trailing.XML", "<PLAN><ROW/></PLAN><PLAN/>"},
        {"empty.XML", ""},
    };
    for (const auto& [name, content] : bad) {
        writeText(name, content);
        EXPECT_EQ(storefile::loadRecords(name, "PLAN", "ROW", &records), storefile::LoadResult::Unreadable) << name;
        EXPECT_TRUE(records.isEmpty()) << name;
        EXPECT_TRUE(log.contains(QString(name) + " is not valid XML")) << name;
        EXPECT_EQ(readBytes(QString(name) + ".bad"), content) << name;
    }
    writeText("root.XML", "<OTHER><ROW/></OTHER>");
    EXPECT_EQ(storefile::loadRecords("root.XML", "PLAN", "ROW", &records), storefile::LoadResult::Unreadable);
    EXPECT_TRUE(log.contains("root.XML has no PLAN root element"));
}

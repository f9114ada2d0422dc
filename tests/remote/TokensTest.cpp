// Parameter tokens: where a key counts as a parameter, what value text each form of
// parameter gives, and what a key without a usable value gets.
#include "remote/tokens.h"

#include <gtest/gtest.h>

using namespace tokens;

namespace {

struct Read {
    bool ok;
    bool absent;
    bool valid;
    std::string value;
};

template <typename Token>
Read readToken(const std::string& key, const std::string& line)
{
    Token t(key, 3);
    t.valid = true; // so a failed read shows that it cleared it
    const bool ok = t.read(line);
    return {ok, t.absent, t.valid, t.value};
}

Read single(const std::string& key, const std::string& line) { return readToken<SingleToken>(key, line); }
Read multi(const std::string& key, const std::string& line) { return readToken<MultiToken>(key, line); }

std::vector<std::string> pieces(const std::string& line, bool* ok = nullptr)
{
    std::vector<std::string> v;
    const bool r = split(line, &v);
    if (ok)
        *ok = r;
    return v;
}

} // namespace

TEST(Tokens, SingleValuesEndAtSeparatorsAndLineEnds)
{
    Read r = single("CIRCUIT=", "*CIRCUIT CIRCUIT=CABLE_RF\r\n");
    EXPECT_TRUE(r.ok);
    EXPECT_FALSE(r.absent);
    EXPECT_EQ(r.value, "CABLE_RF");
    // Spaces after "=" are skipped, a comma ends the value.
    EXPECT_EQ(single("KEY=", "*X KEY=  12,OTHER=3").value, "12");
    EXPECT_EQ(single("OTHER=", "*X KEY= 12,OTHER=3").value, "3");
    EXPECT_EQ(single("KEY=", "*X KEY=1\r\nKEY2=5").value, "1");
    // Braces keep separators; the braces themselves are dropped.
    EXPECT_EQ(single("KEY=", "*X KEY={a b,c} N=1").value, "a b,c");
}

TEST(Tokens, KeyWithoutUsableValueFailsAndAbsentKeyDoesNot)
{
    for (const char* line : {"*X KEY=", "*X KEY= ", "*X KEY=,5", "*X KEY=\r\n", "*X KEY={a b", "*X KEY={}"}) {
        const Read r = single("KEY=", line);
        EXPECT_FALSE(r.ok) << line;
        EXPECT_FALSE(r.valid) << line;
        EXPECT_FALSE(r.absent) << line;
    }
    // Only the first occurrence decides: inside another word it hides a later real one.
    Read r = single("KEY=", "*X AKEY=1 KEY=2");
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.absent);
    EXPECT_TRUE(single("KEY=", "*XKEY=1").absent);
    EXPECT_TRUE(single("XKEY=", "*XKEY=1").absent);
    EXPECT_TRUE(single("KEY=", "KEY=1").absent);
    EXPECT_TRUE(single("key=", "*X KEY=1").absent);
    EXPECT_EQ(single("KEY=", "*X,KEY=4").value, "4");
}

TEST(Tokens, GetConvertsOnlyWhatWasFound)
{
    SingleToken freq("FREQ=", 17);
    ASSERT_TRUE(freq.read("*TUNE FREQ=474.25M\r"));
    unsigned hz = 0;
    EXPECT_TRUE(freq.get_(&hz));
    EXPECT_TRUE(freq.valid);
    EXPECT_EQ(hz, 474250000u);

    SingleToken absent("ATTEN=", 17);
    ASSERT_TRUE(absent.read("*ATTEN\r"));
    int out = 77;
    EXPECT_FALSE(absent.get_(&out));
    EXPECT_EQ(out, 77);
    EXPECT_FALSE(absent.valid);

    SingleToken bad("ATTEN=", 17);
    ASSERT_TRUE(bad.read("*ATTEN ATTEN=1.5x\r"));
    EXPECT_FALSE(bad.get_(&out));
    EXPECT_FALSE(bad.valid);

    SingleToken text("PLAN=", 3);
    ASSERT_TRUE(text.read("*TUNE PLAN={CCIR EU}\r"));
    std::string plan;
    EXPECT_TRUE(text.get_(&plan));
    EXPECT_EQ(plan, "CCIR EU");

    SingleToken reused("A=", 3);
    reused.read("*X A=1");
    reused.set_("B=", 17);
    EXPECT_TRUE(reused.absent);
    EXPECT_FALSE(reused.valid);
    EXPECT_EQ(reused.value, "");
    EXPECT_EQ(reused.format, 17u);
}

TEST(Tokens, ListValuesCollapseSeparators)
{
    EXPECT_EQ(multi("LIST=", "*X LIST={ 1, 2 ,3 , }").value, "1,2,3");
    EXPECT_EQ(multi("LIST=", "*X LIST=1 2 3\r\nZ").value, "1,2,3");
    EXPECT_EQ(multi("LIST=", "*X LIST=1,2 NEXT=4").value, "1,2,NEXT=4");
    EXPECT_FALSE(multi("LIST=", "*X LIST={ 1, 2").ok);
    EXPECT_FALSE(multi("LIST=", "*X LIST={ }").ok);
    EXPECT_FALSE(multi("LIST=", "*X LIST= ").ok);
    const Read none = multi("LIST=", "*X OTHER=1");
    EXPECT_TRUE(none.ok);
    EXPECT_TRUE(none.absent);

    // Through a container each token reads only up to the next key of another.
    MultiToken list("LIST=", 3);
    SingleToken next("NEXT=", 3);
    SingleToken missing("GONE=", 3);
    TokenContainer all;
    all.push_back(list);
    all.push_back(next);
    all.push_back(missing);
    EXPECT_TRUE(all.read("*X LIST=1,2 NEXT=4\r"));
    EXPECT_EQ(list.value, "1,2");
    EXPECT_EQ(next.value, "4");
    EXPECT_TRUE(missing.absent);
    // One failing token fails the whole read; the others still read.
    SingleToken empty("E=", 3);
    all.push_back(empty);
    EXPECT_FALSE(all.read("*X E= LIST=7"));
    EXPECT_EQ(list.value, "7");
    EXPECT_TRUE(TokenContainer().read("*X A=1"));
}

TEST(Tokens, SplitsParametersIntoPieces)
{
    bool ok = false;
    EXPECT_TRUE(pieces("*CMD", &ok).empty());
    EXPECT_TRUE(ok);
    EXPECT_TRUE(pieces("*CMD ", &ok).empty());
    EXPECT_FALSE(ok);
    EXPECT_EQ(pieces("*CMD A=1, B={2,3} C"), (std::vector<std::string>{"A=1", "B={2,3}", "C"}));
    EXPECT_EQ(pieces("*CMD  A,,B\r\n"), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(pieces("*CMD B={2,3"), (std::vector<std::string>{"B={2,3"}));
    std::vector<std::string> kept{"old"};
    split("*CMD X", &kept);
    EXPECT_EQ(kept, (std::vector<std::string>{"old", "X"}));

    EXPECT_EQ(find_start_token("FREQ=", "*TUNE XFREQ=1 FREQ=2", 0), npos);
    EXPECT_EQ(find_start_token("FREQ=", "*TUNE FREQ=2", 0), 6u);
    EXPECT_EQ(find_end_token("A={1 2} B", 0), 7u);
    EXPECT_EQ(find_end_token("A={1 2", 0), npos);
    EXPECT_EQ(find_end_token("AB\rC D", 0), 2u);
    EXPECT_EQ(find_end_token("AB", 0), npos);
    EXPECT_EQ(get_separator_char(), ' ');
    EXPECT_STREQ(get_separator_string(), " ,");
}

TEST(Tokens, FindsBareKeywordsOnlyAsWholePieces)
{
    const std::string word = "RESET_FILE_CALIBRATION";
    EXPECT_TRUE(find(word, "*CALIBRATION RESET_FILE_CALIBRATION\r\n"));
    EXPECT_TRUE(find(word, "*CALIBRATION A=1,RESET_FILE_CALIBRATION"));
    EXPECT_FALSE(find(word, "*CALIBRATION reset_file_calibration\r\n"));
    EXPECT_FALSE(find(word, "*CALIBRATION RESET_FILE_CALIBRATION=1\r\n"));
    EXPECT_FALSE(find(word, "*CALIBRATION {RESET_FILE_CALIBRATION}\r\n"));
    EXPECT_FALSE(find(word, "RESET_FILE_CALIBRATION"));
    EXPECT_FALSE(find("ATTEN_AUTO_ADJUSTMENT", "*ATTEN ATTEN_AUTO=ATTEN_AUTO_ADJUSTMENT\r"));
}

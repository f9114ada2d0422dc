// Parameter tokens: where a key counts as a parameter, what value text each form of
// parameter gives, and what a key without a usable value gets.
#include "remote/tokens.h"

#include <gtest/gtest.h>

using namespace tokens;

namespace {

// What a token made of the key reads from the line: "=<value>", "absent", or "failed" (a
// failed read also clears `valid`).
template <typename Token>
std::string readToken(const std::string& key, const std::string& line)
{
    Token t(key, 3);
    t.valid = true;
    if (!t.read(line))
        return t.valid ? "failed, still valid" : "failed";
    return t.absent ? "absent" : "=" + t.value;
}

} // namespace

TEST(Tokens, ValuesEndAtSeparatorsAndAKeyWithoutAUsableValueFails)
{
    const struct {
        const char* key;
        const char* line;
        const char* single;
        const char* multi;
    } rows[] = {
        {"CIRCUIT=", "*CIRCUIT CIRCUIT=CABLE_RF\r\n", "=CABLE_RF", "=CABLE_RF"},
        // Spaces after "=" are skipped, a comma ends a single value; a list goes on to the
        // line's end, its separators collapsed into commas.
        {"KEY=", "*X KEY=  12,OTHER=3", "=12", "=12,OTHER=3"},
        {"OTHER=", "*X KEY= 12,OTHER=3", "=3", "=3"},
        {"KEY=", "*X KEY=1\r\nKEY2=5", "=1", "=1"},
        {"KEY=", "*X,KEY=4", "=4", "=4"},
        {"KEY=", "*X KEY=1 2 3\r\nZ", "=1", "=1,2,3"},
        // Braces keep separators (collapsed in a list) and are dropped.
        {"KEY=", "*X KEY={a b,c} N=1", "=a b,c", "=a,b,c"},
        {"KEY=", "*X KEY={ 1, 2 ,3 , }", "= 1, 2 ,3 , ", "=1,2,3"},
        {"KEY=", "*X KEY=", "failed", "failed"},
        {"KEY=", "*X KEY= ", "failed", "failed"},
        {"KEY=", "*X KEY=,5", "failed", "=,5"}, // the list conversion refuses it
        {"KEY=", "*X KEY=\r\n", "failed", "failed"},
        {"KEY=", "*X KEY={a b", "failed", "failed"},
        {"KEY=", "*X KEY={}", "failed", "failed"},
        {"KEY=", "*X KEY={ }", "= ", "failed"},
        // Only the first occurrence decides: inside another word it hides a later real one.
        {"KEY=", "*X AKEY=1 KEY=2", "absent", "absent"},
        {"KEY=", "*XKEY=1", "absent", "absent"},
        {"XKEY=", "*XKEY=1", "absent", "absent"},
        {"KEY=", "KEY=1", "absent", "absent"},
        {"key=", "*X KEY=1", "absent", "absent"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(readToken<SingleToken>(r.key, r.line), r.single) << r.line;
        EXPECT_EQ(readToken<MultiToken>(r.key, r.line), r.multi) << r.line;
    }

    // Through a container each token reads only up to the next key of another; one failing
    // token fails the whole read, the others still read.
    MultiToken list("LIST=", 3);
    SingleToken next("NEXT=", 3);
    SingleToken missing("GONE=", 3);
    TokenContainer all;
    all.push_back(list);
    all.push_back(next);
    all.push_back(missing);
    EXPECT_TRUE(all.read("*X LIST=1,2 NEXT=4\r"));
    EXPECT_EQ(list.value + "|" + next.value, "1,2|4");
    EXPECT_TRUE(missing.absent);
    SingleToken empty("E=", 3);
    all.push_back(empty);
    EXPECT_FALSE(all.read("*X E= LIST=7"));
    EXPECT_EQ(list.value, "7");
    EXPECT_TRUE(TokenContainer().read("*X A=1"));
}

TEST(Tokens, SplitsParametersAndFindsBareKeywordsOnlyAsWholePieces)
{
    const auto pieces = [](const std::string& line, bool ok) {
        std::vector<std::string> v;
        EXPECT_EQ(split(line, &v), ok) << line;
        return v;
    };
    EXPECT_TRUE(pieces("*CMD", true).empty());
    EXPECT_TRUE(pieces("*CMD ", false).empty());
    EXPECT_EQ(pieces("*CMD A=1, B={2,3} C", true), (std::vector<std::string>{"A=1", "B={2,3}", "C"}));
    EXPECT_EQ(pieces("*CMD  A,,B\r\n", true), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(pieces("*CMD B={2,3", true), (std::vector<std::string>{"B={2,3"}));
    std::vector<std::string> kept{"old"};
    split("*CMD X", &kept);
    EXPECT_EQ(kept, (std::vector<std::string>{"old", "X"}));

    EXPECT_EQ(find_start_token("FREQ=", "*TUNE XFREQ=1 FREQ=2", 0), npos);
    EXPECT_EQ(find_start_token("FREQ=", "*TUNE FREQ=2", 0), 6u);
    EXPECT_EQ(find_end_token("A={1 2} B", 0), 7u);
    EXPECT_EQ(find_end_token("A={1 2", 0), npos);
    EXPECT_EQ(find_end_token("AB\rC D", 0), 2u);
    EXPECT_EQ(find_end_token("AB", 0), npos);

    const std::string word = "RESET_FILE_CALIBRATION";
    for (const auto& [line, found] :
         {std::pair("*CALIBRATION RESET_FILE_CALIBRATION\r\n", true), {"*CALIBRATION A=1,RESET_FILE_CALIBRATION", true},
          {"*CALIBRATION reset_file_calibration\r\n", false}, {"*CALIBRATION RESET_FILE_CALIBRATION=1\r\n", false},
          {"*CALIBRATION {RESET_FILE_CALIBRATION}\r\n", false}, {"RESET_FILE_CALIBRATION", false}})
        EXPECT_EQ(find(word, line), found) << line;
    EXPECT_FALSE(find("ATTEN_AUTO_ADJUSTMENT", "*ATTEN ATTEN_AUTO=ATTEN_AUTO_ADJUSTMENT\r"));
}

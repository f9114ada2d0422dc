// Parameter tokens of the remote protocol: after a command header come KEY=value,
// KEY={...} and bare keywords, separated by spaces or commas. A command builds one token per
// key it understands, lets it read the line and takes the value with get_; keywords are
// tested with find. Nothing is kept from one line to the next.
#pragma once

#include "exceptionlog.h"
#include "tokensconvert.h"

#include <map>
#include <string>
#include <vector>

namespace tokens {

constexpr char SEPARATORS_STR[] = " ,";
constexpr char ENDS_STR[] = "\r\n";

// What the position functions return when there is no position.
constexpr unsigned npos = static_cast<unsigned>(-1);

class BaseToken {
public:
    BaseToken() = default;
    BaseToken(const std::string& key, unsigned format) { set_(key, format); }
    virtual ~BaseToken() = default;

    virtual bool read(const std::string& line) = 0;
    void set_(const std::string& key, unsigned format);

    unsigned format = 0;
    std::string key; // with its "=", compared byte for byte
    std::string value;
    bool valid = false;
    bool absent = true;

protected:
    // The stretch of the line from the key to the line end, and where its value starts.
    // Sets absent; false (with valid cleared) when the key is there but no value follows.
    enum class Found { Absent, NoValue, Value };
    Found locate(const std::string& line, std::string* segment, size_t* valueStart);
    // A read: locate the key, then take(segment, valueStart) stores the value and tells
    // whether it is usable. Clears valid on failure.
    template <typename Take>
    bool readWith(const std::string& line, Take take);
};

// One value: KEY=value, or KEY={text} with the braces dropped.
class SingleToken : public BaseToken {
public:
    using BaseToken::BaseToken;
    bool read(const std::string& line) override;

    template <typename T>
    bool get_(T* out)
    {
        return remotelog::guarded("get_", false, [&] {
            valid = false;
            if (absent)
                return false;
            valid = convert_string_to(value, format, out);
            return valid;
        });
    }
    // The text form takes a word table and a default that it does not use.
    bool get_(std::string* out, const std::map<const std::string, std::string>* words = nullptr,
              const std::string* fallback = nullptr);
};

// A list: KEY={a, b, c}, or KEY=a b c to the end of the line; stored as "a,b,c".
class MultiToken : public BaseToken {
public:
    using BaseToken::BaseToken;
    bool read(const std::string& line) override;
};

// Lets several tokens read one line, each only its own stretch up to the next key of another,
// so a list without braces does not swallow the parameters after it. Owns no token.
class TokenContainer {
public:
    TokenContainer();
    void push_back(BaseToken& token);
    void reserve(unsigned n);
    bool read(const std::string& line);

private:
    std::vector<BaseToken*> tokens_;
};

unsigned find_start_token(const std::string& key, const std::string& line, unsigned from);
unsigned find_end_token(const std::string& line, unsigned from);
bool split(std::string line, std::vector<std::string>* pieces);
bool find(const std::string& word, const std::string& line);
char get_separator_char();
const char* get_separator_string();

} // namespace tokens

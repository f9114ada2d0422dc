#include "tokens.h"

#include <algorithm>

namespace tokens {

namespace {

bool isSeparator(char c) { return c == ' ' || c == ','; }

unsigned toUnsigned(size_t pos) { return pos == std::string::npos ? npos : static_cast<unsigned>(pos); }
size_t toSize(unsigned pos) { return pos == npos ? std::string::npos : pos; }

} // namespace

void BaseToken::set_(const std::string& newKey, unsigned newFormat)
{
    remotelog::guarded("set_", 0, [&] {
        format = newFormat;
        value.clear();
        valid = false;
        absent = true;
        key = newKey;
        return 0;
    });
}

BaseToken::Found BaseToken::locate(const std::string& line, std::string* segment, size_t* valueStart)
{
    const size_t p = toSize(find_start_token(key, line, 0));
    if (p == std::string::npos) {
        absent = true;
        return Found::Absent;
    }
    absent = false;
    const size_t end = line.find_first_of(ENDS_STR, p);
    *segment = line.substr(p, end == std::string::npos ? std::string::npos : end - p);
    *valueStart = segment->find_first_not_of(' ', key.size());
    if (*valueStart == std::string::npos) {
        valid = false;
        return Found::NoValue;
    }
    return Found::Value;
}

template <typename Take>
bool BaseToken::readWith(const std::string& line, Take take)
{
    const bool ok = remotelog::guarded("read", false, [&] {
        value.clear();
        std::string seg;
        size_t i = 0;
        const Found found = locate(line, &seg, &i);
        if (found != Found::Value)
            return found == Found::Absent;
        return take(seg, i);
    });
    if (!ok)
        valid = false;
    return ok;
}

bool SingleToken::read(const std::string& line)
{
    return readWith(line, [this](const std::string& seg, size_t i) {
        if (seg[i] == '{') {
            const size_t j = seg.find('}', i + 1);
            if (j == std::string::npos)
                return false;
            value = seg.substr(i + 1, j - i - 1);
        } else {
            const size_t j = seg.find_first_of(SEPARATORS_STR, i);
            value = seg.substr(i, j == std::string::npos ? std::string::npos : j - i);
        }
        return !value.empty();
    });
}

bool SingleToken::get_(std::string* out, const std::map<const std::string, std::string>* words,
                       const std::string* fallback)
{
    (void)words;
    (void)fallback;
    return get_<std::string>(out);
}

bool MultiToken::read(const std::string& line)
{
    return readWith(line, [this](const std::string& seg, size_t i) {
        if (seg[i] == '{') {
            const size_t s = seg.find_first_not_of(' ', i + 1);
            const size_t j = s == std::string::npos ? std::string::npos : seg.find('}', s);
            if (j == std::string::npos)
                return false;
            value = seg.substr(s, j - s);
        } else {
            value = seg.substr(i);
        }
        const size_t last = value.find_last_not_of(SEPARATORS_STR);
        value.erase(last == std::string::npos ? 0 : last + 1);
        std::string items;
        items.reserve(value.size());
        for (size_t k = 0; k < value.size(); ++k) {
            if (!isSeparator(value[k]))
                items.push_back(value[k]);
            else if (!isSeparator(value[k + 1])) // a run of separators becomes one comma
                items.push_back(',');
        }
        value.swap(items);
        return !value.empty();
    });
}

TokenContainer::TokenContainer() { reserve(8); }

void TokenContainer::push_back(BaseToken& token)
{
    remotelog::guarded("push_back", 0, [&] {
        tokens_.push_back(&token);
        return 0;
    });
}

void TokenContainer::reserve(unsigned n)
{
    remotelog::guarded("reserve", 0, [&] {
        tokens_.reserve(n);
        return 0;
    });
}

bool TokenContainer::read(const std::string& line)
{
    return remotelog::guarded("read", false, [&] {
        bool all = true;
        const size_t end0 = line.find_first_of(ENDS_STR);
        for (BaseToken* token : tokens_) {
            const size_t p = line.find(token->key);
            if (p == std::string::npos) {
                all = token->read(std::string()) && all;
                continue;
            }
            const size_t start = p == 0 ? 0 : p - 1;
            size_t end = end0;
            for (BaseToken* other : tokens_) {
                if (other == token)
                    continue;
                const size_t q = line.find(other->key, start);
                if (q != std::string::npos && q != 0 && q < end && isSeparator(line[q - 1]))
                    end = q;
            }
            const size_t len = end == std::string::npos ? std::string::npos : end - start;
            all = token->read(line.substr(start, len)) && all;
        }
        return all;
    });
}

unsigned find_start_token(const std::string& key, const std::string& line, unsigned from)
{
    const size_t p = line.find(key, toSize(from));
    if (p == std::string::npos || p == 0)
        return npos;
    return isSeparator(line[p - 1]) ? toUnsigned(p) : npos;
}

unsigned find_end_token(const std::string& line, unsigned from)
{
    const size_t f = toSize(from);
    const size_t e = std::min(line.find_first_of(ENDS_STR, f), line.find_first_of(SEPARATORS_STR, f));
    const size_t b = line.find('{', f);
    if (b < e) {
        const size_t close = line.find('}', b);
        return close == std::string::npos ? npos : toUnsigned(close + 1);
    }
    return toUnsigned(e);
}

bool split(std::string line, std::vector<std::string>* pieces)
{
    return remotelog::guarded("split", false, [&] {
        size_t p = line.find_first_of(SEPARATORS_STR);
        if (p == std::string::npos)
            return true;
        size_t s = line.find_first_not_of(SEPARATORS_STR, p);
        if (s == std::string::npos)
            return false;
        for (;;) {
            const size_t e = toSize(find_end_token(line, toUnsigned(s)));
            pieces->push_back(line.substr(s, e == std::string::npos ? std::string::npos : e - s));
            if (e == std::string::npos)
                break;
            p = line.find_first_of(SEPARATORS_STR, e);
            if (p == std::string::npos)
                break;
            s = line.find_first_not_of(SEPARATORS_STR, p);
            if (s == std::string::npos)
                break;
        }
        return true;
    });
}

bool find(const std::string& word, const std::string& line)
{
    return remotelog::guarded("find", false, [&] {
        std::vector<std::string> pieces;
        pieces.reserve(8);
        split(line, &pieces);
        return std::find(pieces.begin(), pieces.end(), word) != pieces.end();
    });
}

char get_separator_char() { return ' '; }

const char* get_separator_string() { return SEPARATORS_STR; }

} // namespace tokens

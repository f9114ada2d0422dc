#include "textParameter.h"

#include "tokens.h"

namespace remote {

namespace {
// Text values are taken as they stand; the flags only say how a number would be read.
constexpr unsigned kTextFormat = tokens::FORMAT_DEC | tokens::FORMAT_HEX;
} // namespace

ParameterRead readTextParameter(const std::string& line, const char* key, std::string* text)
{
    tokens::SingleToken token(key, kTextFormat);
    const bool read = token.read(line);
    if (read && token.absent)
        return ParameterRead::Absent;
    std::string value;
    if (!read || !token.get_(&value))
        return ParameterRead::Bad;
    *text = value;
    return ParameterRead::Value;
}

ParameterRead readWordParameter(const std::string& line, const char* key, const QMap<QString, int>& words, int* value,
                                std::string* text)
{
    std::string word;
    const ParameterRead read = readTextParameter(line, key, &word);
    if (read != ParameterRead::Value)
        return read;
    const auto it = words.constFind(QString::fromLocal8Bit(word.data(), static_cast<int>(word.size())));
    if (it == words.constEnd())
        return ParameterRead::Bad;
    *value = it.value();
    if (text)
        *text = word;
    return ParameterRead::Value;
}

} // namespace remote

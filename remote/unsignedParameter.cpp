#include "unsignedParameter.h"

#include "tokens.h"

namespace remote {

ParameterRead readUnsignedParameter(const std::string& line, const char* key, unsigned format, unsigned* value)
{
    tokens::SingleToken token(key, format);
    const bool read = token.read(line);
    if (read && token.absent)
        return ParameterRead::Absent;
    unsigned number = 0;
    if (!read || !token.get_(&number))
        return ParameterRead::Bad;
    *value = number;
    return ParameterRead::Value;
}

} // namespace remote

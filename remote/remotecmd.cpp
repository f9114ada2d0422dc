#include "remotecmd.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int RemoteCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)reply;
    (void)level;
    return -1;
}

int RemoteCmd::run(const std::string& line, bool level)
{
    (void)line;
    (void)level;
    return -1;
}

unsigned char* RemoteCmd::get_transmit_data(unsigned* count)
{
    if (count)
        *count = 0;
    return nullptr;
}

int RemoteCmd::update_recived_data(unsigned char* data, unsigned* count)
{
    (void)data;
    (void)count;
    return -1;
}

int RemoteCmd::save_recived_data() { return -1; }

int RemoteCmd::get_block_size() { return 0; }

bool RemoteCmd::wants_old_style(std::string line)
{
    (void)line;
    return false;
}

void RemoteCmd::set_last_error(const char* format, ...)
{
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    last_error_ = text;
}

int RemoteCmd::StrToByte(unsigned char* out, const unsigned char* text, int length, int base)
{
    const char* digits = nullptr;
    switch (base) {
    case 10: digits = "0123456789"; break;
    case 16: digits = "0123456789abcdefABCDEF"; break;
    case 2: digits = "01"; break;
    default: return 0;
    }
    if (!out || !text || length < 2)
        return 0;
    if (!std::strchr(digits, text[0]) || !std::strchr(digits, text[1]) || !text[0] || !text[1])
        return 0;
    const int count = length / 2;
    for (int i = 0; i < count; ++i) {
        const char group[3] = {static_cast<char>(std::toupper(text[2 * i])),
                               static_cast<char>(std::toupper(text[2 * i + 1])), '\0'};
        out[i] = static_cast<unsigned char>(std::strtol(group, nullptr, base));
    }
    return count;
}

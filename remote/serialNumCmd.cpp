#include "serialNumCmd.h"

#include "exceptionlog.h"
#include "textParameter.h"

#include "store/screensvariables.h"

namespace remote {

bool SerialNumCmd::isSerialNumber(const std::string& text)
{
    if (text.empty() || text.size() > SERIAL_MAX)
        return false;
    for (unsigned char c : text)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}

int SerialNumCmd::run(const std::string& line, std::string* reply, bool level)
{
    (void)line;
    (void)level;
    return remotelog::guarded("SerialNumCmd", -1, [&] {
        *reply = ScreensVariables::getInstance()->getScreensVariablesSerialNumber().toUtf8().toStdString();
        return 0;
    });
}

int SerialNumCmd::run(const std::string& line, bool level)
{
    (void)level;
    return remotelog::guarded("SerialNumCmd", -1, [&] {
        std::string serial;
        switch (readTextParameter(line, SERIAL_, &serial)) {
        case ParameterRead::Absent: return 0;
        case ParameterRead::Bad: return -1;
        case ParameterRead::Value: break;
        }
        if (!isSerialNumber(serial))
            return -1;
        ScreensVariables* settings = ScreensVariables::getInstance();
        settings->setScreensVariablesSerialNumber(QString::fromLatin1(serial.data(), static_cast<int>(serial.size())));
        settings->guardaVariables();
        return 0;
    });
}

} // namespace remote

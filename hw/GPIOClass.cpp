#include "GPIOClass.h"

#include "platform/Platform.h"

#include <QDebug>

namespace {
const std::string kGpioRoot = "/sys/class/gpio/";
}

GPIOClass::GPIOClass() : gpionum("4") {}

GPIOClass::GPIOClass(std::string number) : gpionum(std::move(number)) {}

int GPIOClass::export_gpio()
{
    if (platform::board().writeFile(kGpioRoot + "export", gpionum) != 0) {
        qDebug() << " OPERATION FAILED: Unable to export GPIO" << gpionum.c_str();
        return -1;
    }
    return 0;
}

int GPIOClass::unexport_gpio()
{
    if (platform::board().writeFile(kGpioRoot + "unexport", gpionum) != 0) {
        qDebug() << " OPERATION FAILED: Unable to unexport GPIO" << gpionum.c_str();
        return -1;
    }
    return 0;
}

int GPIOClass::setdir_gpio(const std::string& dir)
{
    if (platform::board().writeFile(kGpioRoot + "gpio" + gpionum + "/direction", dir) != 0) {
        qDebug() << " OPERATION FAILED: Unable to set direction of GPIO" << gpionum.c_str();
        return -1;
    }
    return 0;
}

int GPIOClass::setval_gpio(const std::string& value)
{
    if (platform::board().writeFile(kGpioRoot + "gpio" + gpionum + "/value", value) != 0) {
        qDebug() << " OPERATION FAILED: Unable to set the value of GPIO" << gpionum.c_str();
        return -1;
    }
    return 0;
}

int GPIOClass::getval_gpio(std::string& value)
{
    std::string text;
    if (platform::board().readFile(kGpioRoot + "gpio" + gpionum + "/value", &text) != 0) {
        qDebug() << " OPERATION FAILED: Unable to get value of GPIO" << gpionum.c_str();
        return -1;
    }
    value = (!text.empty() && text[0] != '0') ? "1" : "0";
    return 0;
}

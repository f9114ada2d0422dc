#include "hardware.h"

#include "common/BoardWiring.h"
#include "hw/GPIOClass.h"

#include <QDebug>

namespace {
// -1 when the strap cannot be read. An export that fails because the line is still
// exported from before a restart is harmless: the value file is there to read.
int readStrap(int line)
{
    GPIOClass strap(std::to_string(line));
    strap.export_gpio();
    strap.setdir_gpio("in");
    std::string value;
    if (strap.getval_gpio(value) != 0)
        return -1;
    return value == "1" ? 1 : 0;
}
} // namespace

HardwareModel* HardwareModel::getInstance()
{
    static HardwareModel instance;
    return &instance;
}

HardwareModel::HardwareModel()
{
    const int bit0 = readStrap(wiring::gpio::STRAP0);
    const int bit1 = readStrap(wiring::gpio::STRAP1);
    if (bit0 < 0 || bit1 < 0) {
        // Without straps the smallest model is assumed: it drives no hardware it may lack.
        qDebug() << "HardwareModel: strap pins unreadable, model" << HW_MODEL_MINI_COMPLETE;
        model_ = HW_MODEL_MINI_COMPLETE;
        return;
    }
    model_ = bit1 * 2 + bit0;
    qDebug() << "HardwareModel:" << model_;
}

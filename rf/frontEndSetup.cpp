#include "frontEndSetup.h"

#include "frontEndLines.h"

#include "common/BoardWiring.h"

#include <string>

namespace rfchain {

FrontEnd& frontEnd()
{
    static FrontEnd f;
    return f;
}

void writeLine(Line line, bool high)
{
    if (GPIOClass* gpio = frontEnd().lines[line].get())
        gpio->setval_gpio(high ? "1" : "0");
}

} // namespace rfchain

using namespace rfchain;

void setInitMesuraRF(ADF4350* lo, MAX11337* adc)
{
    FrontEnd& fe = frontEnd();
    fe.localOscillator = lo;
    fe.converter = adc;
    for (int i = 0; i < kLineCount; ++i) {
        fe.lines[i] = std::make_unique<GPIOClass>(std::to_string(kLines[i].gpio));
        fe.lines[i]->export_gpio();
        fe.lines[i]->setdir_gpio(kLines[i].direction);
    }
    fe.attA = std::make_unique<PE4312>(wiring::kAttenuatorANode);
    fe.attB = std::make_unique<PE4312>(wiring::kAttenuatorBNode);
}

void setGpio_ATT0(bool on) { writeLine(ATT0, on); }
void setGpio_RF_OPTIC(bool on) { writeLine(RF_OPTIC, on); }
void setGpio_DW(bool on) { writeLine(DW, on); }
void setGpio_UP(bool on) { writeLine(UP, on); }
void setGpio_AttCM(bool on) { writeLine(ATT_CM, on); }
void setGpio_SUB(bool on) { writeLine(SUB, on); }
void setGpio_SUPER(bool on) { writeLine(SUPER, on); }
void setGpio_TRACK(bool on) { writeLine(TRACK, on); }
void setGpio_F2(bool on) { writeLine(F2, on); }
void setGpio_F3(bool on) { writeLine(F3, on); }

#include "chainStateRecord.h"

namespace rfchain {

ChainState& state()
{
    static ChainState s;
    return s;
}

} // namespace rfchain

using rfchain::state;

int getMesuraNivell() { return state().level; }
void setMesuraNivell(int level) { state().level = level; }
int getMesuraSumPower() { return state().totalPower; }
void setMesuraSumPower(int power) { state().totalPower = power; }
int getMesuraOpticalSumPower() { return state().opticalTotalPower; }
void setMesuraOpticalSumPower(int power) { state().opticalTotalPower = power; }
int getFrequenciaAudio() { return state().audioFrequency; }
void setFrequenciaAudio(int hz) { state().audioFrequency = hz; }
int getVideoAudio() { return state().videoAudio; }
void setVideoAudio(int ratio) { state().videoAudio = ratio; }
int getCarrierNoise() { return state().carrierNoise; }
void setCarrierNoise(int cn) { state().carrierNoise = cn; }
int getDetector() { return state().detector; }
void setDetector(int selector) { state().detector = selector; }
unsigned int getSpan() { return state().span; }
void setSpan(unsigned int hz) { state().span = hz; }
int getNivellConversor() { return state().converterLevel; }
void setNivellConversor(int raw) { state().converterLevel = raw; }
unsigned int getFrequencyHz() { return state().workingFrequency.load(std::memory_order_relaxed); }
void setFrequencyHz(unsigned int hz) { state().workingFrequency.store(hz, std::memory_order_relaxed); }
float getTemperaturaC() { return state().temperature; }
void setTemperaturaC(float celsius) { state().temperature = celsius; }
bool getCalibracioCable() { return state().calibrationCable; }
void setCalibracioCable(bool cable) { state().calibrationCable = cable; }
int getAtenuador() { return state().attenuation; }
int getBandaProgramada() { return state().bandProgrammed; }

int getMesuraMer() { return 0; }
int getMesuraPower() { return 0; }
int getHumMode() { return 0; }
int getModeCanalFrequencia() { return 254; }
int getModeFrequencia() { return 1; }
int getAudioFrequency() { return 550; }

KxlDrvLibError get_tuner_if_frequency_hz(int* hz)
{
    KxlDrvLibError err;
    KxlDrvLib_error_ok(&err);
    if (hz)
        *hz = 3600000;
    return err;
}

KxlDrvLibError set_tuner(uint32_t, uint32_t, uint32_t, int)
{
    KxlDrvLibError err;
    KxlDrvLib_error_ok(&err);
    return err;
}

KxlDrvLibError CXD28XX_poweron(unsigned char* on)
{
    KxlDrvLibError err;
    KxlDrvLib_error_ok(&err);
    if (on)
        *on = 1;
    return err;
}

// The one description of how the board is wired: every GPIO line by the board's name,
// the spidev nodes with their clocks and modes, the I2C bus and addresses, the modem's
// serial device, and what the board feeds its chips (reference frequencies, the register
// words the drivers send). The drivers, the measuring chain, the modem, the application
// shell and the simulated board all read it here; no line number is written elsewhere.
#pragma once

#include <cstdint>

namespace wiring {

// ---- GPIO lines (sysfs numbers) -----------------------------------------------------------
namespace gpio {
// The RF front end: band switches, routing, peak track-and-hold, pad, IF filter.
constexpr int XSAT = 165;
constexpr int RF_OPTIC = 169;
constexpr int DOCSIS = 7;
constexpr int DW = 17;
constexpr int UP = 198;
constexpr int SUB = 16;
constexpr int SUPER = 199;
constexpr int SUPER2 = 14;
constexpr int HI = 6;
constexpr int TRACK = 19;
constexpr int ATT0 = 15;
constexpr int F2 = 23;
constexpr int F3 = 22;
constexpr int ALARM = 201;
constexpr int MUTE = 167;
constexpr int EXT_CM = 160;
constexpr int ATT_CM = 3;

// The embedded cable modem: reset (1 = held in reset), soft reset, supply (1 = on).
constexpr int CM_RESET = 170;
constexpr int CM_SOFT_RESET = 171;
constexpr int ON_MDM = 2;

// The application shell. Straps read once at start-up: model = STRAP1 * 2 + STRAP0.
constexpr int STRAP0 = 96;
constexpr int STRAP1 = 97;
// Front-panel keys, pulled up: a pressed key reads 0.
constexpr int KEY_MENU = 98;
constexpr int KEY_POWER = 99;
constexpr int KEY_PRESSED_LEVEL = 0;
// Power board sense lines: 1 while the battery charges, 1 while an external supply is connected.
constexpr int CHARGER = 100;
constexpr int MAINS = 101;
// The fan, an output (1 = running); the remote equipment command drives it too.
constexpr int FAN = 11;
} // namespace gpio

// ---- Serial line ------------------------------------------------------------------------------
// A macro as well, for the modem module's writable copy of the text.
#define WIRING_MODEM_SERIAL_DEVICE "/dev/ttymxc2"
constexpr const char* kModemSerialDevice = WIRING_MODEM_SERIAL_DEVICE;

// ---- SPI -------------------------------------------------------------------------------
struct SpiSettings {
    uint32_t speedHz;
    uint8_t mode;        // SPI mode 0: clock idle low, data sampled on the rising edge
    uint8_t bitsPerWord; // words are sent as bytes, most significant byte first
};

constexpr const char* kAttenuatorANode = "/dev/spidev4.1";
constexpr const char* kAttenuatorBNode = "/dev/spidev0.1";
// Both synthesizers hang on this node; each latches only words of its own length
// (32 bits for the ADF4350 local oscillator, 24 bits for the ADF4360).
constexpr const char* kSynthesizerNode = "/dev/spidev4.0";
constexpr const char* kConverterNode = "/dev/spidev0.0";

constexpr SpiSettings kAttenuatorSpi{1000000, 0, 8};
constexpr SpiSettings kSynthesizerSpi{10000000, 0, 8};
constexpr SpiSettings kConverterSpi{8000000, 0, 8};

// ---- I2C (7-bit addresses on the one bus) -------------------------------------------------------
constexpr const char* kI2cBus = "/dev/i2c-2";
// The tuner's address pins are strapped away from 0x60 (the demodulator's tuner) and
// 0x61 (the LNB supply).
constexpr uint8_t kTunerAddress = 0x63;       // MAX3543
constexpr uint8_t kTemperatureAddress = 0x48; // TMP100, both address pins low
constexpr uint8_t kClockAddress = 0x51;       // PCF85263
constexpr uint8_t kLnbSupplyAddress = 0x61;   // TPS65233
// The CXD2856 demodulator answers at two ports: SLVT (8-bit 0xD8) and SLVX four above it
// in 8-bit form. Its CXD2858 tuner (0x60) is reached only through the demodulator's repeater.
constexpr uint8_t kDemodulatorSlvtAddress = 0x6C;
constexpr uint8_t kDemodulatorSlvxAddress = 0x6E;
constexpr uint8_t kDemodulatorTunerAddress = 0x60;

// ---- PE4312 step attenuators ----------------------------------------------------------------
namespace pe4312 {
constexpr unsigned kMaxDb = 31; // whole dB the instrument uses; the chip counts 0.5 dB steps
constexpr uint8_t kWordMask = 0x3F;
} // namespace pe4312

// ---- ADF4350 local oscillator ---------------------------------------------------------------
namespace adf4350 {
constexpr uint32_t kReferenceHz = 10000000; // no doubler, R = 1: 10 MHz at the phase detector
constexpr uint32_t kOutputEnableBit = 1u << 5; // R4
constexpr int kRegisterCount = 6;
constexpr int kPilotSetCount = 5;
// R0..R5 of each pilot set: integer-N (FRAC 0, MOD 2), prescaler 8/9, fundamental
// feedback, band-select clock 10 MHz / 80, +5 dBm, digital lock detect on MUXOUT. The RF
// output is off in every set: the tuning code enables it once the loop has settled.
constexpr uint32_t kPilotSets[kPilotSetCount][kRegisterCount] = {
    {0x009C0000, 0x08008011, 0x18004FC2, 0x000004B3, 0x00C5001C, 0x00580005}, // 195 MHz: VCO 3120 MHz / 16
    {0x00A00000, 0x08008011, 0x18004FC2, 0x000004B3, 0x0095001C, 0x00580005}, // 1600 MHz: VCO 3200 MHz / 2
    {0x00CD0000, 0x08008011, 0x18004FC2, 0x000004B3, 0x0095001C, 0x00580005}, // 2050 MHz: VCO 4100 MHz / 2
    {0x007D0000, 0x08008011, 0x18004FC2, 0x000004B3, 0x0085001C, 0x00580005}, // 2500 MHz: VCO 2500 MHz / 1
    {0x00938000, 0x08008011, 0x18004FC2, 0x000004B3, 0x0085001C, 0x00580005}, // 2950 MHz: VCO 2950 MHz / 1
};
// Row of kPilotSets for a pilot index: 3..6 have their own sets, anything else the default.
constexpr int pilotSetRow(int index) { return index >= 3 && index <= 6 ? index - 2 : 0; }
} // namespace adf4350

// ---- ADF4360 -------------------------------------------------------------------------------
namespace adf4360 {
constexpr uint32_t kReferenceHz = 10000000;
// Programmed once at start-up in this order, with a pause after the control latch for the
// VCO to power up: 10 MHz / R 10 = 1 MHz; prescaler 16/17, B 100, A 0: 1600 MHz.
constexpr uint32_t kRCounterLatch = 0x040029; // R = 10, lock-detect precision 5 cycles
constexpr uint32_t kControlLatch = 0x4FF924;  // prescaler 16/17, CP 2.5 mA, power level 3, mute till lock
constexpr uint32_t kNCounterLatch = 0x006402; // B = 100, A = 0
constexpr int kPowerUpPauseMs = 10;
} // namespace adf4360

// ---- MAX11337 converter ----------------------------------------------------------------------
namespace max11337 {
constexpr int kChannelCount = 16;
// What the board feeds the converter's inputs.
constexpr int kBatteryChannel = 0;
constexpr int kPeakChannel = 2; // the RF detector, through the track-and-hold
constexpr int kPowerMeterChannel = 3;
constexpr int kLnbCurrentChannel = 4;
constexpr int kInputVoltageChannel = 5;
constexpr int kHumChannel = 6;
constexpr int kOpticalChannel = 7;
// The supply rails, each through its divider: +3V3, +5V0, +1V8, +1V0. Channels 1 and 12 to 14
// are not connected.
constexpr int kSupply3V3Channel = 8;
constexpr int kSupply5V0Channel = 9;
constexpr int kSupply1V8Channel = 10;
constexpr int kSupply1V0Channel = 11;
// ADC mode control word (bit 15 clear): manual scan (0001 in bits 14-11), channel in bits
// 10-7, channel id in the output (bit 2). A conversion started by one frame comes out in
// the next frame, so n conversions take n + 1 frames.
constexpr uint16_t kManualScan = 0x0800;
constexpr uint16_t kChannelIdOut = 0x0004;
constexpr uint16_t modeControlWord(int channel) { return static_cast<uint16_t>(kManualScan | (channel << 7) | kChannelIdOut); }
constexpr uint16_t kDataMask = 0x0FFF;
constexpr int kMaxBurst = 500;
} // namespace max11337

// ---- MAX3543 tuner -----------------------------------------------------------------------------
namespace max3543 {
constexpr uint32_t kCrystalHz = 16000000;
constexpr uint32_t kIfHz = 36000000; // the LO runs above the RF by the IF
constexpr uint32_t kStepHz = 500;
constexpr int kFracBits = 20;
// The VCO works an octave; the LO divider (a power of two, 1 to 128) brings it down to the LO.
constexpr uint64_t kVcoMinHz = 2000000000ull;
constexpr uint64_t kVcoMaxHz = 4000000000ull; // exclusive; N stays within 8 bits
constexpr int kMaxLoDivExponent = 7;

enum Register : uint8_t {
    kNdiv = 0x00,      // integer part of the VCO / crystal ratio
    kLoDivFrac2 = 0x01, // bits 6-4 LO divider exponent, bits 3-0 fraction bits 19-16
    kFrac1 = 0x02,     // fraction bits 15-8
    kFrac0 = 0x03,     // fraction bits 7-0; writing it latches the word and starts the VCO search
    kMode = 0x04,      // bits 1-0 RF band: 0 VHF-L, 1 VHF-H, 2 UHF
    kTfs = 0x05,
    kTfp = 0x06,
    kShdn = 0x07,
    kRef = 0x08,
    kVas = 0x09,
    kPdCfg1 = 0x0A,
    kPdCfg2 = 0x0B,    // bit 7 DWPD, bits 6-4 WPDA, bit 3 DNPD, bits 2-0 NPDA
    kFiltCf = 0x0C,    // bits 7-2 IF filter centre, bits 1-0 RFIFD
    kRomAddr = 0x0D,
    kIrhr = 0x0E,
    kTest1 = 0x0F,
    kTest2 = 0x10,
    kTest3 = 0x11,
    kGenStatus = 0x12, // read only: bits 2-0 lock status
};
constexpr int kRegisterCount = 0x13;
constexpr uint8_t kStatusSearching = 6; // the VCO search still runs
constexpr uint32_t kVhfHighFromHz = 110000000;
constexpr uint32_t kUhfFromHz = 300000000;
// Written by the initialisation from kTfs on; kPdCfg2 and the low bits of kFiltCf carry
// the instrument's option values instead of these.
constexpr uint8_t kInitFromTfs[kTest3 - kTfs + 1] = {
    0x00, // TFS
    0x00, // TFP
    0x00, // SHDN: every block on
    0x01, // REF: crystal divided by 1
    0x01, // VAS: VCO autoselect on
    0x00, // PD_CFG1
    0x00, // PD_CFG2 (options)
    0x90, // FILT_CF: IF filter centred on 36 MHz (code 36), RFIFD in bits 1-0
    0x00, // ROM_ADDR
    0x80, // IRHR: image rejection mid-scale
    0x00, 0x00, 0x00,
};
constexpr uint8_t kIfFilterCode = 0x90;
} // namespace max3543

// ---- TMP100 ------------------------------------------------------------------------------------
namespace tmp100 {
enum Register : uint8_t { kTemperature = 0x00, kConfiguration = 0x01, kTLow = 0x02, kTHigh = 0x03 };
constexpr uint8_t kConfig12Bit = 0x60; // R1 R0 = 11: 0.0625 degC per step
} // namespace tmp100

// ---- PCF85263 real-time clock -------------------------------------------------------------------
namespace pcf85263 {
enum Register : uint8_t {
    kHundredths = 0x00,
    kSeconds = 0x01, // bit 7: oscillator stopped
    kMinutes = 0x02,
    kHours = 0x03,
    kDays = 0x04,
    kWeekdays = 0x05,
    kMonths = 0x06,
    kYears = 0x07,
    kAlarmEnables = 0x10,
    kPinIo = 0x27,
    kIntAEnable = 0x29,
    kFlags = 0x2B,
};
constexpr int kRegisterCount = 0x30;
// The instrument counts the chip's years 00..99 from 1968, a leap year like the chip's
// year 00, so the chip's leap-year rule holds for every year it can show.
constexpr int kYearBase = 1968;
} // namespace pcf85263

// ---- TPS65233 LNB supply -------------------------------------------------------------------------
namespace tps65233 {
enum Register : uint8_t { kControl = 0x00, kCurrent = 0x01 };
constexpr uint8_t kVoltageMask = 0x07;
constexpr uint8_t kOutputEnable = 0x08;
constexpr uint8_t kToneEnable = 0x10;
constexpr uint8_t kWriteMark = 0x80; // set in every control write
constexpr uint8_t kCurrentShift = 1;
constexpr uint8_t kCurrentMask = 0x06;
constexpr uint8_t kInitControl = 0xA0;
constexpr uint8_t kInitCurrent = 0x0E;
// Output voltage of each voltage code, in tenths of a volt.
constexpr int kVoltageDecivolts[8] = {130, 134, 138, 142, 180, 186, 192, 198};
} // namespace tps65233

} // namespace wiring

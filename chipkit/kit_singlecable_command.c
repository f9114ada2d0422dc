#include "kit_singlecable_command.h"

#include <string.h>

enum {
    FRAMING = 0xE0,
    CMD_CHANNEL_CHANGE = 0x5A,
    CMD_CONFIG = 0x5B,
    CMD_CHANNEL_CHANGE_MDU = 0x5C,
    CMD_CONFIG_MDU = 0x5D,
    CMD2_CHANNEL_CHANGE = 0x70,
    CMD2_CHANNEL_CHANGE_PIN = 0x71,
    CMD2_UB_AVAIL = 0x7A,
    CMD2_UB_PIN = 0x7B,
    CMD2_UB_INUSE = 0x7C,
    CMD2_UB_FREQ = 0x7D,
    CMD2_UB_SWITCHES = 0x7E,
    USERBANDS = 8,
    USERBANDS2 = 32,
    T_WORD_LIMIT = 1024,   // ten bits in the message
    T2_WORD_LIMIT = 2048,  // eleven bits
};

static kit_result_t start(kit_diseqc_message_t* message)
{
    if (!message)
        return KIT_RESULT_ERROR_ARG;
    memset(message, 0, sizeof(*message));
    return KIT_RESULT_OK;
}

static void put(kit_diseqc_message_t* message, uint8_t byte)
{
    message->data[message->length++] = byte;
}

static kit_result_t appendPin(kit_diseqc_message_t* message, uint8_t pin)
{
    if (message->length > KIT_DISEQC_MESSAGE_LENGTH_MAX - 2)
        return KIT_RESULT_ERROR_ARG;
    put(message, pin);
    return KIT_RESULT_OK;
}

// ---- EN 50494 ----

static kit_result_t header(kit_diseqc_message_t* message, uint8_t address, uint8_t command, uint8_t userband,
                           int checkUserband)
{
    kit_result_t r = start(message);
    if (r != KIT_RESULT_OK)
        return r;
    if (checkUserband && (userband < 1 || userband > USERBANDS))
        return KIT_RESULT_ERROR_RANGE;
    put(message, FRAMING);
    put(message, address);
    put(message, command);
    return KIT_RESULT_OK;
}

static kit_result_t channelChange(kit_diseqc_message_t* message, uint8_t command, uint8_t address, uint8_t userband,
                                  uint32_t frequencyKHz, uint8_t bank, uint32_t ubFrequencyKHz)
{
    kit_result_t r = header(message, address, command, userband, 1);
    if (r != KIT_RESULT_OK)
        return r;
    const int64_t t = ((int64_t)frequencyKHz + 2000 + ubFrequencyKHz) / 4000 - 350;
    // The word has ten bits; a larger one would tune somewhere else entirely.
    if (t < 0 || t >= T_WORD_LIMIT)
        return KIT_RESULT_ERROR_RANGE;
    put(message, (uint8_t)(((userband - 1) << 5) + ((bank & 7) << 2) + ((t >> 8) & 3)));
    put(message, (uint8_t)(t & 0xFF));
    return KIT_RESULT_OK;
}

kit_result_t kit_singlecable_command_ODU_Channel_change(kit_diseqc_message_t* message, uint8_t address,
                                                        uint8_t userband, uint32_t frequencyKHz, uint8_t bank,
                                                        uint32_t ubFrequencyKHz)
{
    return channelChange(message, CMD_CHANNEL_CHANGE, address, userband, frequencyKHz, bank, ubFrequencyKHz);
}

kit_result_t kit_singlecable_command_ODU_Channel_change_MDU(kit_diseqc_message_t* message, uint8_t address,
                                                            uint8_t userband, uint32_t frequencyKHz, uint8_t bank,
                                                            uint32_t ubFrequencyKHz, uint8_t pin)
{
    kit_result_t r =
        channelChange(message, CMD_CHANNEL_CHANGE_MDU, address, userband, frequencyKHz, bank, ubFrequencyKHz);
    return r != KIT_RESULT_OK ? r : appendPin(message, pin);
}

static kit_result_t powerOff(kit_diseqc_message_t* message, uint8_t command, uint8_t address, uint8_t userband)
{
    kit_result_t r = header(message, address, command, userband, 1);
    if (r == KIT_RESULT_OK) {
        put(message, (uint8_t)((userband - 1) << 5));
        put(message, 0x00);
    }
    return r;
}

kit_result_t kit_singlecable_command_ODU_PowerOFF(kit_diseqc_message_t* message, uint8_t address, uint8_t userband)
{
    return powerOff(message, CMD_CHANNEL_CHANGE, address, userband);
}

kit_result_t kit_singlecable_command_ODU_PowerOFF_MDU(kit_diseqc_message_t* message, uint8_t address,
                                                      uint8_t userband, uint8_t pin)
{
    kit_result_t r = powerOff(message, CMD_CHANNEL_CHANGE_MDU, address, userband);
    return r != KIT_RESULT_OK ? r : appendPin(message, pin);
}

static kit_result_t ubxSignalOn(kit_diseqc_message_t* message, uint8_t command, uint8_t address)
{
    kit_result_t r = header(message, address, command, 0, 0);
    if (r == KIT_RESULT_OK) {
        put(message, 0x00);
        put(message, 0x00);
    }
    return r;
}

kit_result_t kit_singlecable_command_ODU_UbxSignal_ON(kit_diseqc_message_t* message, uint8_t address)
{
    return ubxSignalOn(message, CMD_CONFIG, address);
}

kit_result_t kit_singlecable_command_ODU_UbxSignal_ON_MDU(kit_diseqc_message_t* message, uint8_t address,
                                                          uint8_t pin)
{
    kit_result_t r = ubxSignalOn(message, CMD_CONFIG_MDU, address);
    return r != KIT_RESULT_OK ? r : appendPin(message, pin);
}

// The configuration byte of a, b, c (ODU_Config_table): 0x10 + a x 8 + b x 4 + c.
static kit_result_t configByte(uint8_t a, uint8_t b, uint8_t c, uint8_t* config)
{
    if (a > 1 || b > 1 || c > 3)
        return KIT_RESULT_ERROR_ARG;
    *config = (uint8_t)(0x10 + a * 8 + b * 4 + c);
    return KIT_RESULT_OK;
}

static kit_result_t configCommand(kit_diseqc_message_t* message, uint8_t command, uint8_t address, uint8_t userband,
                                  uint8_t subCommand, uint8_t value)
{
    kit_result_t r = header(message, address, command, userband, 1);
    if (r == KIT_RESULT_OK) {
        put(message, (uint8_t)(((userband - 1) << 5) + subCommand));
        put(message, value);
    }
    return r;
}

kit_result_t kit_singlecable_command_ODU_Config(kit_diseqc_message_t* message, uint8_t address, uint8_t userband,
                                                uint8_t a, uint8_t b, uint8_t c)
{
    uint8_t config = 0;
    kit_result_t r = configCommand(message, CMD_CONFIG, address, userband, 1, 0);
    if (r == KIT_RESULT_OK)
        r = configByte(a, b, c, &config);
    if (r == KIT_RESULT_OK)
        message->data[4] = config;
    return r;
}

kit_result_t kit_singlecable_command_ODU_Config_MDU(kit_diseqc_message_t* message, uint8_t address,
                                                    uint8_t userband, uint8_t a, uint8_t b, uint8_t c, uint8_t pin)
{
    uint8_t config = 0;
    kit_result_t r = configCommand(message, CMD_CONFIG_MDU, address, userband, 1, 0);
    if (r == KIT_RESULT_OK)
        r = configByte(a, b, c, &config);
    if (r == KIT_RESULT_OK)
        message->data[4] = config;
    return r != KIT_RESULT_OK ? r : appendPin(message, pin);
}

kit_result_t kit_singlecable_command_ODU_LoFreq(kit_diseqc_message_t* message, uint8_t address, uint8_t userband,
                                                uint8_t code)
{
    return configCommand(message, CMD_CONFIG, address, userband, 2, code);
}

kit_result_t kit_singlecable_command_ODU_LoFreq_MDU(kit_diseqc_message_t* message, uint8_t address,
                                                    uint8_t userband, uint8_t code, uint8_t pin)
{
    kit_result_t r = configCommand(message, CMD_CONFIG_MDU, address, userband, 2, code);
    return r != KIT_RESULT_OK ? r : appendPin(message, pin);
}

// ---- EN 50607 ----

static kit_result_t channelChange2(kit_diseqc_message_t* message, uint8_t command, uint8_t userband, uint32_t tMHz,
                                   uint8_t highNibble, uint8_t lowNibble)
{
    kit_result_t r = start(message);
    if (r != KIT_RESULT_OK)
        return r;
    if (userband < 1 || userband > USERBANDS2 || highNibble >= 16 || lowNibble >= 16)
        return KIT_RESULT_ERROR_RANGE;
    const uint32_t word = tMHz > 9 ? tMHz - 100 : tMHz;
    if (tMHz > 9 && (tMHz < 100 || word >= T2_WORD_LIMIT))
        return KIT_RESULT_ERROR_RANGE;
    put(message, command);
    put(message, (uint8_t)(((userband - 1) << 3) + (word >> 8)));
    put(message, (uint8_t)(word & 0xFF));
    put(message, (uint8_t)((highNibble << 4) + lowNibble));
    return KIT_RESULT_OK;
}

kit_result_t kit_singlecable2_command_ODU_Channel_change(kit_diseqc_message_t* message, uint8_t userband,
                                                         uint32_t tMHz, uint8_t highNibble, uint8_t lowNibble)
{
    return channelChange2(message, CMD2_CHANNEL_CHANGE, userband, tMHz, highNibble, lowNibble);
}

kit_result_t kit_singlecable2_command_ODU_Channel_change_PIN(kit_diseqc_message_t* message, uint8_t userband,
                                                             uint32_t tMHz, uint8_t highNibble, uint8_t lowNibble,
                                                             uint8_t pin)
{
    kit_result_t r = channelChange2(message, CMD2_CHANNEL_CHANGE_PIN, userband, tMHz, highNibble, lowNibble);
    return r != KIT_RESULT_OK ? r : appendPin(message, pin);
}

kit_result_t kit_singlecable2_command_ODU_PowerOFF(kit_diseqc_message_t* message, uint8_t userband)
{
    return kit_singlecable2_command_ODU_Channel_change(message, userband, 0, 0, 0);
}

kit_result_t kit_singlecable2_command_ODU_PowerOFF_PIN(kit_diseqc_message_t* message, uint8_t userband, uint8_t pin)
{
    return kit_singlecable2_command_ODU_Channel_change_PIN(message, userband, 0, 0, 0, pin);
}

static kit_result_t query(kit_diseqc_message_t* message, uint8_t command)
{
    const kit_result_t r = start(message);
    if (r == KIT_RESULT_OK)
        put(message, command);
    return r;
}

kit_result_t kit_singlecable2_command_ODU_UB_avail(kit_diseqc_message_t* message)
{
    return query(message, CMD2_UB_AVAIL);
}

kit_result_t kit_singlecable2_command_ODU_UB_PIN(kit_diseqc_message_t* message)
{
    return query(message, CMD2_UB_PIN);
}

kit_result_t kit_singlecable2_command_ODU_UB_inuse(kit_diseqc_message_t* message)
{
    return query(message, CMD2_UB_INUSE);
}

static kit_result_t userbandQuery(kit_diseqc_message_t* message, uint8_t command, uint8_t userband)
{
    kit_result_t r = start(message);
    if (r != KIT_RESULT_OK)
        return r;
    if (userband < 1 || userband > USERBANDS2)
        return KIT_RESULT_ERROR_RANGE;
    put(message, command);
    put(message, (uint8_t)((userband - 1) << 3));
    return KIT_RESULT_OK;
}

kit_result_t kit_singlecable2_command_ODU_UB_freq(kit_diseqc_message_t* message, uint8_t userband)
{
    return userbandQuery(message, CMD2_UB_FREQ, userband);
}

kit_result_t kit_singlecable2_command_ODU_UB_switches(kit_diseqc_message_t* message, uint8_t userband)
{
    return userbandQuery(message, CMD2_UB_SWITCHES, userband);
}

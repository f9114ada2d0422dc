#include "kit_diseqc_command.h"

#include <string.h>

static kit_result_t build(kit_diseqc_message_t* message, uint8_t framing, uint8_t address, uint8_t command)
{
    if (!message)
        return KIT_RESULT_ERROR_ARG;
    memset(message, 0, sizeof(*message));
    message->data[0] = framing;
    message->data[1] = address;
    message->data[2] = command;
    message->length = 3;
    return KIT_RESULT_OK;
}

#define COMMAND(name, code)                                                                                       \
    kit_result_t kit_diseqc_command_##name(kit_diseqc_message_t* message, uint8_t framing, uint8_t address)      \
    {                                                                                                             \
        return build(message, framing, address, (code));                                                          \
    }

COMMAND(Reset, 0x00)
COMMAND(Standby, 0x02)
COMMAND(PowerOn, 0x03)
COMMAND(SetLo, 0x20)
COMMAND(SetVR, 0x21)
COMMAND(SetPosA, 0x22)
COMMAND(SetSOA, 0x23)
COMMAND(SetHi, 0x24)
COMMAND(SetHL, 0x25)
COMMAND(SetPosB, 0x26)
COMMAND(SetSOB, 0x27)
COMMAND(SetS1A, 0x28)
COMMAND(SetS2A, 0x29)
COMMAND(SetS3A, 0x2A)
COMMAND(SetS4A, 0x2B)
COMMAND(SetS1B, 0x2C)
COMMAND(SetS2B, 0x2D)
COMMAND(SetS3B, 0x2E)
COMMAND(SetS4B, 0x2F)

static kit_result_t buildWithByte(kit_diseqc_message_t* message, uint8_t framing, uint8_t address,
                                  uint8_t command, uint8_t data)
{
    const kit_result_t r = build(message, framing, address, command);
    if (r == KIT_RESULT_OK) {
        message->data[3] = data;
        message->length = 4;
    }
    return r;
}

kit_result_t kit_diseqc_command_WriteN0(kit_diseqc_message_t* message, uint8_t framing, uint8_t address,
                                        uint8_t data)
{
    return buildWithByte(message, framing, address, 0x38, data);
}

kit_result_t kit_diseqc_command_WriteN1(kit_diseqc_message_t* message, uint8_t framing, uint8_t address,
                                        uint8_t data)
{
    return buildWithByte(message, framing, address, 0x39, data);
}

kit_result_t kit_diseqc_command_WriteFreq(kit_diseqc_message_t* message, uint8_t framing, uint8_t address,
                                          uint32_t frequencyKHz)
{
    kit_result_t r = build(message, framing, address, 0x58);
    if (r != KIT_RESULT_OK)
        return r;
    uint64_t units = ((uint64_t)frequencyKHz + 50u) / 100u;
    if (units > 999999u)
        return KIT_RESULT_ERROR_ARG;
    // Six BCD digits in three bytes, most significant pair first.
    for (int i = 5; i >= 3; --i) {
        const uint8_t low = (uint8_t)(units % 10u);
        units /= 10u;
        const uint8_t high = (uint8_t)(units % 10u);
        units /= 10u;
        message->data[i] = (uint8_t)((high << 4) | low);
    }
    message->length = message->data[5] == 0x00 ? 5 : 6;
    return KIT_RESULT_OK;
}

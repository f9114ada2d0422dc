// The driver library's own codes for the physical-layer parameters of every standard: what
// the standard definitions take and return, and what the driver hands to the screens.
// Bandwidth ids are the channel bandwidth in MHz, with 17 for 1.7 MHz.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

typedef enum eBANDWIDTH_ID {
    eBW_2MHZ = 2, // DVB-T only
    eBW_5MHZ = 5,
    eBW_6MHZ = 6,
    eBW_7MHZ = 7,
    eBW_8MHZ = 8,
    eBW_10MHZ = 10,
    eBW_1_7MHZ = 17,
} eBANDWIDTH_ID;

// DVB-T and ISDB-T use the first three (ISDB-T modes 1, 3 and 2).
typedef enum eFFT_MODE {
    eFFT_2K = 0,
    eFFT_8K = 1,
    eFFT_4K = 2,
    eFFT_1K = 3,
    eFFT_8K_EXT = 4,
    eFFT_16K = 5,
    eFFT_16K_EXT = 6,
    eFFT_32K = 7,
    eFFT_32K_EXT = 8,
} eFFT_MODE;

typedef enum eGUARD_INTERVAL {
    eGI_1_4 = 0,
    eGI_1_8 = 1,
    eGI_1_16 = 2,
    eGI_1_32 = 3,
    eGI_1_128 = 4,
    eGI_19_128 = 5,
    eGI_19_256 = 6,
    eGI_1_64 = 7,
} eGUARD_INTERVAL;

typedef enum eCONSTELLATION_TYPE {
    eCONST_BPSK = 0,
    eCONST_QPSK = 1,
    eCONST_DQPSK = 2,
    eCONST_8PSK = 3,
    eCONST_16APSK = 4,
    eCONST_32APSK = 5,
    eCONST_16QAM = 6,
    eCONST_32QAM = 7,
    eCONST_64QAM = 8,
    eCONST_128QAM = 9,
    eCONST_256QAM = 10,
    eCONST_1024QAM = 11,
    eCONST_4096QAM = 12,
    eCONST_8VSB = 13,
} eCONSTELLATION_TYPE;

typedef enum eCODE_RATE_TYPE {
    eCR_1_4 = 0,
    eCR_1_3 = 1,
    eCR_2_5 = 2,
    eCR_1_2 = 3,
    eCR_3_5 = 4,
    eCR_2_3 = 5,
    eCR_3_4 = 6,
    eCR_4_5 = 7,
    eCR_5_6 = 8,
    eCR_6_7 = 9,
    eCR_7_8 = 10,
    eCR_8_9 = 11,
    eCR_9_10 = 12,
} eCODE_RATE_TYPE;

#ifdef __cplusplus
}
#endif

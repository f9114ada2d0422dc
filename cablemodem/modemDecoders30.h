// The DOCSIS 3.0 modem's fixed-layout reports read out of the collected reply text into
// the result stores (downstream PHY status, BER, upstream, IP, MAC, firmware, software
// version, DOCSIS mode), and the small step machines that ask for a report and decode it.
#pragma once

// Buffer sizes the text decoders write at most (NUL included).
constexpr int MODEM_MAC_TEXT_SIZE = 18;
constexpr int MODEM_FIRMWARE_TEXT_SIZE = 25;
constexpr int MODEM_VERSION_TEXT_SIZE = 50;

// Each decoder takes the collected text out (which clears it).
// "Current PHY status" into downstream record i: 1 when the report was there, else 0.
int decodeDownStream(int i);
// The "Pre.BER" report into the BER fields of record i: 1 when read, else 0.
int decodeBer(int i);
// The upstream report into the four upstream records: 1, or 0 when a line is unreadable.
int decodeUpStream();
// The IP report into the IP stores; 1.
int decodeIP();
// The MAC address with ":" separators into out: 0, or -1 when it is not in the text.
int decodificaAddressCMACPx26(char* out);
// The firmware file name (without its extension) into out; 0.
int decodeCMFirmVersionPx37(char* out);
// The software version into out: 1, or 0 when it is not in the text.
int decodificaCableModemVersion(char* out);
// The DOCSIS mode and the logger's DOCSIS version: 1 when read, else 0.
int DecodeDocsisMode();

// Query machines (run 0 restarts; 100 busy, 0 done, -1 failed): the prompt within 30 s,
// then the report within 4 s, decoded into its store.
int decodificaUpstream(int run);
// Also gives the MAC to the settings (cable-modem MAC).
int decodifica_MAC(int run);
int decodifica_VesionFirmware(int run);
// Reads the DOCSIS mode: 0 once decoded, 100 busy, -1 after a time-out (which restarts).
int DecodificaDocsisMode(int run);

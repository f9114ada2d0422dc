// The remote protocol's fixed words: the control bytes that frame every answer, the access
// level and access codes of a connection, and where a command line came from.
#pragma once

#include <cstdint>

namespace RemoteProtocol {
constexpr unsigned char ASK = '?';
constexpr unsigned char CR = 0x0D;
constexpr unsigned char LF = 0x0A;
constexpr unsigned char ACK = 0x06;
constexpr unsigned char NAK = 0x15;
constexpr unsigned char XON = 0x11;
constexpr unsigned char XOFF = 0x13;
} // namespace RemoteProtocol

// 0 on a new connection, 1 once an access code was received; never back to 0.
using RemoteAccessLevel = unsigned char;
using RemoteAccessCode = const char*;

namespace RemoteCmdSources {
enum RemoteCmdSource : int32_t {
    Terminal = 1, // nothing is transmitted; a reply step ends with a newline
    Silent = 2,   // nothing is transmitted
    Network = 3,  // the connection: the only source whose bytes leave the instrument
};
} // namespace RemoteCmdSources

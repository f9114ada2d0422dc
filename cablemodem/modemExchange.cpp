#include "modemExchange.h"

#include "cableModen.h"
#include "serialPort.h"

#include "common/embedded_timers.h"
#include "hw/delay.h"

#include <QByteArray>

#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

// The collected reply text and the awaited markers. The GUI thread appends and sets
// the flags; the engine thread sets markers, reads the flags and takes the text out.
// One lock over all of it, so a runner never sees a flag without its text.
struct ModemReplyAccumulator {
    std::mutex mutex;
    QString stringBucle;
    char allBufferRecepcio[MODEM_REPLY_LIMIT + 1] = {};
    // Held whole: a marker may be longer than the 49 characters a fixed buffer would take.
    QByteArray CadenaAnalitzar1;
    QByteArray CadenaAnalitzar2;
    bool Condicio1 = false;
    bool Condicio2 = false;
};

ModemReplyAccumulator& accumulator()
{
    static ModemReplyAccumulator instance;
    return instance;
}

bool isBlankOrReturn(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// A dotted-quad part: decimal digits only, at most 255; -1 otherwise.
int ipPart(const char* begin, const char* end)
{
    while (begin < end && isBlankOrReturn(*begin))
        ++begin;
    while (end > begin && (isBlankOrReturn(end[-1]) || end[-1] == '\n'))
        --end;
    if (begin == end || end - begin > 3)
        return -1;
    int value = 0;
    for (const char* p = begin; p < end; ++p) {
        if (*p < '0' || *p > '9')
            return -1;
        value = value * 10 + (*p - '0');
    }
    return value > 255 ? -1 : value;
}

} // namespace

void SetCadenaAnalitzar1(const QString& marker)
{
    ModemReplyAccumulator& a = accumulator();
    std::lock_guard<std::mutex> lock(a.mutex);
    a.CadenaAnalitzar1 = marker.toLatin1();
    a.Condicio1 = false;
}

void SetCadenaAnalitzar2(const QString& marker)
{
    ModemReplyAccumulator& a = accumulator();
    std::lock_guard<std::mutex> lock(a.mutex);
    a.CadenaAnalitzar2 = marker.toLatin1();
    a.Condicio2 = false;
}

bool GetCondicio1()
{
    ModemReplyAccumulator& a = accumulator();
    std::lock_guard<std::mutex> lock(a.mutex);
    return a.Condicio1;
}

bool GetCondicio2()
{
    ModemReplyAccumulator& a = accumulator();
    std::lock_guard<std::mutex> lock(a.mutex);
    return a.Condicio2;
}

void takeInReplyPart(const QString& part)
{
    const QByteArray bytes = part.toLatin1();
    ModemReplyAccumulator& a = accumulator();
    std::lock_guard<std::mutex> lock(a.mutex);
    if (a.stringBucle.size() > MODEM_REPLY_LIMIT)
        a.stringBucle.remove(0, part.size());
    a.stringBucle += part;
    if (bytes.contains(a.CadenaAnalitzar1))
        a.Condicio1 = true;
    if (bytes.contains(a.CadenaAnalitzar2))
        a.Condicio2 = true;
}

int sendCommandCableModem(const QString& command)
{
    {
        ModemReplyAccumulator& a = accumulator();
        std::lock_guard<std::mutex> lock(a.mutex);
        a.stringBucle.clear();
    }
    SerialPort* port = getSerialPortCableModem();
    return port ? port->SendCommand(command, 0) : 0;
}

void initBufTramesCableModem()
{
    if (SerialPort* port = getSerialPortCableModem())
        port->InitBufTrames();
}

char* GetBufferTrames()
{
    ModemReplyAccumulator& a = accumulator();
    std::lock_guard<std::mutex> lock(a.mutex);
    const QByteArray bytes = a.stringBucle.left(MODEM_REPLY_LIMIT).toLatin1();
    std::memcpy(a.allBufferRecepcio, bytes.constData(), static_cast<size_t>(bytes.size()));
    a.allBufferRecepcio[bytes.size()] = '\0';
    a.stringBucle.clear();
    return a.allBufferRecepcio;
}

QString getStringBufferTrames()
{
    ModemReplyAccumulator& a = accumulator();
    std::lock_guard<std::mutex> lock(a.mutex);
    QString text;
    text.swap(a.stringBucle);
    return text;
}

int TramaCM(const QString& part)
{
    const char* text = GetBufferTrames();
    const QByteArray wanted = part.toLatin1();
    return std::strstr(text, wanted.constData()) ? 1 : 0;
}

void awaitAndSend(const QString& marker, const QString& command, uint64_t* startMs)
{
    SetCadenaAnalitzar1(marker);
    sendCommandCableModem(command);
    *startMs = modemTicksMs();
}

bool promptThenCommand(int& step, uint64_t& startMs, int timeoutMs, int failedStep, const QString& marker,
                       const QString& command)
{
    switch (step) {
    case 0:
        awaitAndSend("mainMenu>", "\r", &startMs);
        step = 1;
        return true;
    case 1:
        if (modemTimeOver(startMs, timeoutMs))
            step = failedStep;
        if (GetCondicio1()) {
            awaitAndSend(marker, command, &startMs);
            step = 2;
        }
        return true;
    default:
        return false;
    }
}

int sendModemCommand(const QString& command, int mode, int timeoutMs)
{
    static QString lastCommand;
    static int step = 0;
    static uint64_t startMs = 0;
    if (command != lastCommand) {
        lastCommand = command;
        step = 0;
    }
    switch (step) {
    case 0:
        SetCadenaAnalitzar1(mode == 0 ? QStringLiteral("mainMenu>") : command + ">");
        sendCommandCableModem(command + "\r");
        step = 1;
        startMs = EMBEDDEDTIMERS_GeticksInMs();
        return 100;
    case 1:
        if (EMBEDDEDTIMERS_GeticksInMs() - startMs > static_cast<uint64_t>(timeoutMs))
            step = 1001;
        // Seen before the time ran out: the marker wins.
        if (GetCondicio1())
            step = 2;
        return 100;
    case 2:
        return 0;
    default:
        step = 0;
        return -1;
    }
}

QString valueAfterLabel(const QString& label, const QString& text)
{
    const int at = text.indexOf(label);
    if (at < 0)
        return QString();
    const QString rest = text.mid(at + label.size());
    // A label followed at once by its line end has an empty value, not the lines after it.
    const int lineEnd = rest.indexOf('\n');
    if (lineEnd >= 0)
        return rest.left(lineEnd).simplified();
    return rest;
}

QVariantMap valuesAfterLabels(const QStringList& labels, const QString& text)
{
    QVariantMap values;
    for (const QString& label : labels) {
        const QString value = valueAfterLabel(label, text);
        if (!value.isEmpty())
            values.insert(label, value);
    }
    return values;
}

QString textBetween(const QString& text, const QString& from, const QString& to)
{
    const int at = text.indexOf(from);
    if (at < 0)
        return QString();
    const QString rest = text.mid(at + from.size());
    const int end = rest.indexOf(to);
    return end < 0 ? QString() : rest.left(end);
}

const char* ExtreuCadena(const char* text, const char* label)
{
    static char value[50];
    value[0] = '\0';
    if (!text || !label)
        return value;
    const char* found = std::strstr(text, label);
    if (!found)
        return value;
    const char* p = found + std::strlen(label);
    // The separator after the label is skipped, unless the text or the line ends right
    // there (an empty value, not the next line).
    if (*p != '\0' && *p != '\n')
        ++p;
    size_t n = 0;
    while (p[n] != '\0' && p[n] != '\n' && n < sizeof value - 1)
        ++n;
    std::memcpy(value, p, n);
    while (n > 0 && isBlankOrReturn(value[n - 1]))
        --n;
    value[n] = '\0';
    return value;
}

unsigned IP2int(const char* text)
{
    if (!text || std::strcmp(text, "---.---.---.---") == 0)
        return 0;
    const char* end = text + std::strlen(text);
    // The four rightmost parts: from the right, three dots delimit them.
    const char* bounds[4];
    const char* p = end;
    for (int dot = 0; dot < 3; ++dot) {
        while (p > text && p[-1] != '.')
            --p;
        if (p == text)
            return 0;
        bounds[dot] = p - 1;
        --p;
    }
    const char* firstBegin = p;
    while (firstBegin > text && firstBegin[-1] != '.')
        --firstBegin;
    bounds[3] = firstBegin;
    const int parts[4] = {ipPart(bounds[0] + 1, end), ipPart(bounds[1] + 1, bounds[0]),
                          ipPart(bounds[2] + 1, bounds[1]), ipPart(bounds[3], bounds[2])};
    unsigned value = 0;
    for (int i = 0; i < 4; ++i) {
        if (parts[i] < 0)
            return 0;
        value |= static_cast<unsigned>(parts[i]) << (8 * i);
    }
    return value;
}

const char* Int2IP(int value)
{
    static char text[16];
    const unsigned v = static_cast<unsigned>(value);
    std::snprintf(text, sizeof text, "%03u.%03u.%03u.%03u", (v >> 24) & 0xFF, (v >> 16) & 0xFF, (v >> 8) & 0xFF,
                  v & 0xFF);
    return text;
}

uint64_t modemTicksMs() { return EMBEDDEDTIMERS_GeticksInMs(); }

void modemPauseMs(int ms) { delay(ms); }

bool modemTimeOver(uint64_t sinceMs, int limitMs) { return modemTicksMs() - sinceMs > static_cast<uint64_t>(limitMs); }

int envia_cadena_modem_two_conditions(QString command, QString marker1, QString marker2,
                                      unsigned long long timeoutMs)
{
    SetCadenaAnalitzar1(marker1);
    SetCadenaAnalitzar2(marker2);
    sendCommandCableModem(command);
    const uint64_t start = modemTicksMs();
    int result = -1;
    waitModemReply(
        start, timeoutMs,
        [&] {
            result = GetCondicio1() ? 1 : GetCondicio2() ? 2 : -1;
            return result != -1;
        },
        [] { return false; });
    return result;
}

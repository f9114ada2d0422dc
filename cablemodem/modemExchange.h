// The exchange with the modem's command line: the reply accumulator that collects the
// received text and notes the awaited markers, the senders, the step-machine exchange,
// and the readers that take values out of a reply.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <cstdint>

constexpr int MODEM_REPLY_LIMIT = 12000;

// Markers. A runner always sets its marker before it sends: the flags stay set until a
// new marker is set.
void SetCadenaAnalitzar1(const QString& marker);
void SetCadenaAnalitzar2(const QString& marker);
bool GetCondicio1();
bool GetCondicio2();

// Takes in one closed part of the received text (the handler does, in the GUI thread):
// appends it to the collected text and then sets the flags of the markers it holds.
void takeInReplyPart(const QString& part);

int sendCommandCableModem(const QString& command);
void initBufTramesCableModem();
// Takes the collected text out (and clears it), as a C copy cut to 12000 characters.
char* GetBufferTrames();
QString getStringBufferTrames();
int TramaCM(const QString& part);

// The sending step of a step machine's exchange: the marker set, the command sent, the
// start of its time-out noted.
void awaitAndSend(const QString& marker, const QString& command, uint64_t* startMs);

// Steps 0 and 1 of a report machine: "\r" awaiting the prompt; once it came, the command
// awaiting its marker (step 2); a prompt later than timeoutMs makes the step failedStep
// (the prompt still wins when both happen). False for any other step.
bool promptThenCommand(int& step, uint64_t& startMs, int timeoutMs, int failedStep, const QString& marker,
                       const QString& command);

// The step-machine form of one exchange; 100 busy, 0 marker seen, -1 time-out.
int sendModemCommand(const QString& command, int mode, int timeoutMs);

// Label readers of the replies (labels match case-sensitively).
// The rest of label's line, simplified (empty when the line ends right after label); the
// whole rest unchanged when no line end follows; "" when label is not in text.
QString valueAfterLabel(const QString& label, const QString& text);
// label -> its value, for each label whose value is not empty.
QVariantMap valuesAfterLabels(const QStringList& labels, const QString& text);
// The text after the first from, up to (not including) the first to after it; "" when
// either is missing. Not trimmed.
QString textBetween(const QString& text, const QString& from, const QString& to);

// The value one separator after label, up to the line end, at most 49 characters.
const char* ExtreuCadena(const char* text, const char* label);
unsigned IP2int(const char* text);
const char* Int2IP(int value);

// Sends the command and waits for either marker: 1 (the first, tested first), 2, or -1
// after the time-out. A stop request does not end it.
int envia_cadena_modem_two_conditions(QString command, QString marker1, QString marker2,
                                      unsigned long long timeoutMs);

// Waits in slices of 100 ms (processing events) until done() is true, more than
// timeoutMs have passed since startMs, or stopped() is true.
template <typename Done, typename Stopped>
void waitModemReply(uint64_t startMs, unsigned long long timeoutMs, Done done, Stopped stopped);
uint64_t modemTicksMs();
void modemPauseMs(int ms);
// More than limitMs have passed since sinceMs (a step machine's time-out).
bool modemTimeOver(uint64_t sinceMs, int limitMs);

template <typename Done, typename Stopped>
void waitModemReply(uint64_t startMs, unsigned long long timeoutMs, Done done, Stopped stopped)
{
    for (;;) {
        modemPauseMs(100);
        if (done() || modemTicksMs() - startMs > timeoutMs || stopped())
            return;
    }
}

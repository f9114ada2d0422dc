#include "remote.h"

#include "commandgate.h"
#include "exceptionlog.h"
#include "peerWriter.h"
#include "remotecommands.h"
#include "tokens.h"

#include <QDebug>
#include <QEvent>
#include <QLoggingCategory>
#include <QTcpSocket>

#include <algorithm>
#include <cstring>

// Every command line is logged; QT_LOGGING_RULES="varnok.remote.debug=false" silences it.
Q_LOGGING_CATEGORY(remoteLog, "varnok.remote")

namespace {

// Bytes taken from the socket at a time, and what Qt may hold for us meanwhile: while a
// long command runs, a flooding peer is held back by TCP instead of filling memory.
constexpr qint64 kReadChunk = 16 * 1024;
constexpr qint64 kSocketReadBuffer = 64 * 1024;
// How long an answer may take to leave before the action that follows it runs anyway.
constexpr int kFlushMs = 1000;

} // namespace

Remote::Remote(QTcpSocket* socket)
    : ask_(RemoteProtocol::ASK), cr_(RemoteProtocol::CR), ack_(RemoteProtocol::ACK), nak_(RemoteProtocol::NAK),
      xon_(RemoteProtocol::XON), xoff_(RemoteProtocol::XOFF), socket_(socket)
{
    line_.reserve(256);
    header_.reserve(256);
    if (socket) {
        socket->setReadBufferSize(kSocketReadBuffer);
        socket->installEventFilter(this);
    }
    installRemoteCommands(*this);
}

Remote::~Remote()
{
    if (gate_)
        gate_->leave(this);
}

void Remote::setGate(CommandGate* gate) { gate_ = gate; }

void Remote::setWriter(PeerWriter* writer) { writer_ = writer; }

qint64 Remote::bytesToWrite() const
{
    if (writer_)
        return writer_->bytesToWrite();
    return socket_ && socket_->isOpen() ? socket_->bytesToWrite() : 0;
}

// --- input -------------------------------------------------------------------------------

// With nothing running, the lines run at once, inside the socket's signal: a command that
// waits there processes events, so the socket's deletion is held until the lines are done.
// A line that arrives while one runs waits for the event loop.
void Remote::onReadyRead()
{
    if (!socket_ || socket_->bytesAvailable() == 0)
        return;
    if (scheduled_ || running_)
        resumeInput();
    else
        processInput();
}

void Remote::endInput()
{
    // The socket goes soon after its peer: take what it still holds now.
    while (socket_ && socket_->bytesAvailable() > 0)
        framer_.feed(socket_->read(kReadChunk));
    inputEnded_ = true;
    resumeInput();
}

void Remote::processTextMessage(QString message)
{
    if (messages_.size() >= MAX_QUEUED_MESSAGES) {
        qCDebug(remoteLog) << " processTextMessage queue full, message dropped";
        return;
    }
    messages_.append(message.toLatin1());
    resumeInput();
}

void Remote::resumeInput()
{
    if (scheduled_ || running_)
        return;
    scheduled_ = true;
    QMetaObject::invokeMethod(this, &Remote::processInput, Qt::QueuedConnection);
}

void Remote::processInput()
{
    scheduled_ = false;
    if (running_)
        return;
    QPointer<Remote> self(this);
    bool allDone = false;
    while (!deletePending_) {
        if (heldKind_ == Framed::None) {
            heldKind_ = takeLine(&heldLine_);
            if (heldKind_ == Framed::None) {
                allDone = inputEnded_;
                break;
            }
        }
        if (gate_ && !gate_->enter(this))
            return; // resumed when the gate is free
        const Framed kind = heldKind_;
        const QByteArray line = heldLine_;
        heldKind_ = Framed::None;
        heldLine_.clear();

        running_ = true;
        if (kind == Framed::Overflow)
            answerOverflow();
        else
            execute(line.constData(), false, RemoteCmdSources::Network);
        if (!self)
            return;
        running_ = false;
        if (socketDeletePending_) {
            socketDeletePending_ = false;
            if (socket_)
                socket_->deleteLater();
        }
        if (gate_ && gate_->leave(this)) {
            resumeInput();
            break;
        }
    }
    if (deletePending_)
        deleteLater();
    else if (allDone)
        emit inputFinished();
}

Remote::Framed Remote::takeLine(QByteArray* line)
{
    if (!messages_.isEmpty()) {
        *line = messages_.takeFirst();
        return Framed::Line;
    }
    for (;;) {
        const Framed framed = framer_.next(line);
        if (framed != Framed::None)
            return framed;
        const qint64 available = socket_ ? socket_->bytesAvailable() : 0;
        if (available <= 0)
            return Framed::None;
        const QByteArray chunk = socket_->read(std::min(available, kReadChunk));
        if (chunk.isEmpty())
            return Framed::None;
        framer_.feed(chunk);
    }
}

void Remote::answerOverflow()
{
    qCDebug(remoteLog).noquote() << QStringLiteral(" execute command line longer than %1 bytes discarded")
                                        .arg(MAX_LINE);
    source_ = RemoteCmdSources::Network;
    send_xoff();
    send_nack();
    send_xon();
    transmitAnswer();
}

bool Remote::event(QEvent* e)
{
    if (e->type() == QEvent::DeferredDelete && running_) {
        deletePending_ = true;
        return true;
    }
    return QObject::event(e);
}

bool Remote::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == socket_ && e->type() == QEvent::DeferredDelete && running_) {
        socketDeletePending_ = true;
        return true;
    }
    return QObject::eventFilter(watched, e);
}

// --- execution ---------------------------------------------------------------------------

int Remote::execute(const char* text, bool forceLevel, RemoteCmdSources::RemoteCmdSource source)
{
    source_ = source;
    RemoteCmd* accepted = nullptr;
    const int result = answer(text, forceLevel, &accepted);
    transmitAnswer();
    if (accepted)
        runAfterAnswer(accepted);
    return result;
}

int Remote::answer(const char* text, bool forceLevel, RemoteCmd** accepted)
{
    bool acked = false;
    try {
        send_xoff();
        if (!text || text[0] == '\0') {
            send_nack();
            send_xon();
            return -1;
        }
        line_.assign(text);
        header_ = get_header(line_);
        qCDebug(remoteLog, " execute command header_ %s", header_.c_str());

        if (header_ == accessCode1_ || header_ == accessCode2_) {
            accessLevel_ = 1;
            send_ack();
            send_xon();
            return 0;
        }
        const RemoteAccessLevel level = forceLevel ? 1 : accessLevel_;
        bool oldStyle = false;
        RemoteCmd* cmd = find_header_command(&oldStyle);
        if (!cmd || cmd->requiredLevel() > level) {
            send_nack();
            send_xon();
            return -1;
        }
        cmd->clearLastError();
        cmd->takeAfterAnswer();
        std::string reply;
        const int result = is_ask_cmd(line_) ? cmd->run(line_, &reply, level != 0) : cmd->run(line_, level != 0);
        if (result != 0) {
            cmd->takeAfterAnswer();
            send_nack();
            send_xon();
            return result;
        }
        if (!reply.empty() && reply.back() == ' ')
            reply.pop_back();
        send_ack();
        acked = true;
        if (!cmd->hasReply()) {
            send_xon();
            *accepted = cmd;
            return 0;
        }
        if (!reply.empty()) {
            std::string replyLine;
            if (!oldStyle) {
                replyLine = erase_ask_char(header_);
                if (!cmd->wants_old_style(line_))
                    replyLine += ' ';
            }
            replyLine += reply;
            replyLine += static_cast<char>(cr_);
            send(replyLine);
        }
        if (source_ == RemoteCmdSources::Terminal) {
            qCDebug(remoteLog) << " n 11";
            send("\n", 1);
        }
        send_xon();
        *accepted = cmd;
        return 0;
    } catch (const std::exception& e) {
        remotelog::stdException("NameCmd", e);
    } catch (...) {
        remotelog::unknownException("NameCmd");
    }
    if (!acked) {
        send_nack();
        send_xon();
        return -1;
    }
    send_xon();
    return 0;
}

void Remote::runAfterAnswer(RemoteCmd* cmd)
{
    const std::function<void()> action = cmd->takeAfterAnswer();
    if (!action)
        return;
    if (writer_) {
        writer_->flushNow(kFlushMs);
    } else if (socket_ && socket_->isOpen()) {
        socket_->flush();
        if (socket_->bytesToWrite() > 0)
            socket_->waitForBytesWritten(kFlushMs);
    }
    action();
}

std::string Remote::get_header(const std::string& line) const
{
    // Every separator and line end stops the header, so a line end never becomes part of it.
    static const std::string stops = std::string(tokens::get_separator_string()) + tokens::ENDS_STR;
    return line.substr(0, line.find_first_of(stops));
}

std::string Remote::erase_ask_char(const std::string& header) const
{
    std::string h = header;
    const size_t q = h.find(static_cast<char>(ask_));
    if (q != std::string::npos)
        h.erase(q, 1);
    return h;
}

bool Remote::is_ask_cmd(const std::string& line) const { return line.find(static_cast<char>(ask_)) == 1; }

RemoteCmd* Remote::find_header_command(bool* oldStyle)
{
    const auto exact = table_.find(header_);
    if (exact != table_.end()) {
        *oldStyle = false;
        return exact->second;
    }
    *oldStyle = true;
    for (unsigned length : {3u, 4u}) {
        const auto it = find_old_cmd(line_, length);
        if (it != table_.end())
            return it->second;
    }
    if (line_.find(static_cast<char>(ask_)) != std::string::npos) {
        const auto it = find_old_cmd(line_, 5);
        if (it != table_.end())
            return it->second;
    }
    return nullptr;
}

Remote::CommandTable::const_iterator Remote::find_old_cmd(const std::string& line, unsigned length) const
{
    const size_t n = length + (is_ask_cmd(line) ? 1u : 0u);
    return table_.find(line.substr(0, n));
}

void Remote::insert_cmd(const std::string& key, RemoteCmd* command)
{
    if (!command)
        return;
    if (!command->parent())
        command->setParent(this);
    table_.emplace(key, command);
}

// --- transmission ------------------------------------------------------------------------

void Remote::send(const unsigned char* data, unsigned length)
{
    if (!data)
        return;
    if (length == 0xFFFFFFFFu)
        length = static_cast<unsigned>(std::strlen(reinterpret_cast<const char*>(data)));
    if (source_ != RemoteCmdSources::Network)
        return;
    // The bytes go out as they are: a factory tool reads the reply byte for byte.
    answer_.append(reinterpret_cast<const char*>(data), length);
}

void Remote::send(const char* data, unsigned length) { send(reinterpret_cast<const unsigned char*>(data), length); }

void Remote::send(const std::string& text) { send(text.data(), static_cast<unsigned>(text.size())); }

void Remote::send_ack() { send(&ack_, 1); }

void Remote::send_nack() { send(&nak_, 1); }

void Remote::send_xon()
{
    if (source_ == RemoteCmdSources::Silent || source_ == RemoteCmdSources::Network)
        send(&xon_, 1);
}

void Remote::send_xoff()
{
    if (source_ == RemoteCmdSources::Silent || source_ == RemoteCmdSources::Network)
        send(&xoff_, 1);
}

int Remote::wait_ack() { return 0; }

void Remote::sendData(QByteArray data) { transmit(data.constData(), data.size()); }

// The whole answer to a line leaves in one piece, before anything its command asked to
// follow it.
void Remote::transmitAnswer()
{
    if (answer_.empty())
        return;
    transmit(answer_.data(), static_cast<int>(answer_.size()));
    answer_.clear();
}

void Remote::transmit(const char* data, int size)
{
    if (writer_)
        writer_->write(data, size);
    else if (socket_ && socket_->isOpen())
        socket_->write(data, size);
}

// One remote connection's interpreter: frames the received bytes into command lines, finds
// each line's header in the command table, checks the access level, runs the command and
// answers XOFF, ACK or NAK, for a query the reply line, then XON.
#pragma once

#include "lineFramer.h"
#include "remotecmd.h"
#include "remoteprotocol.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QList>

#include <map>
#include <string>

class CommandGate;
class PeerWriter;
class QTcpSocket;

class Remote : public QObject {
    Q_OBJECT
public:
    using CommandTable = std::map<std::string, RemoteCmd*>;

    // The longest command line accepted, without its line end; past it the line is
    // discarded up to its end and answered NAK once.
    static constexpr int MAX_LINE = 4096;
    // WebSocket messages waiting while a line runs; later ones are dropped.
    static constexpr int MAX_QUEUED_MESSAGES = 64;

    explicit Remote(QTcpSocket* socket);
    ~Remote() override;

    int execute(const char* text, bool forceLevel, RemoteCmdSources::RemoteCmdSource source);

    std::string get_header(const std::string& line) const;
    std::string erase_ask_char(const std::string& header) const;
    bool is_ask_cmd(const std::string& line) const;
    RemoteCmd* find_header_command(bool* oldStyle);
    CommandTable::const_iterator find_old_cmd(const std::string& line, unsigned length) const;
    // The interpreter takes ownership of the command; an existing key keeps its command.
    void insert_cmd(const std::string& key, RemoteCmd* command);

    void send(const unsigned char* data, unsigned length);
    void send(const char* data, unsigned length);
    void send(const std::string& text);
    void send_ack();
    void send_nack();
    void send_xon();
    void send_xoff();
    virtual int wait_ack();

    RemoteAccessLevel accessLevel() const { return accessLevel_; }
    const CommandTable& commands() const { return table_; }
    // Shares one gate among the interpreters of a server (none: this connection alone).
    void setGate(CommandGate* gate);
    // Picks up received input again (the gate calls it when a waiting line may run).
    void resumeInput();
    // Sends through the writer instead of the socket (the server gives each connection one).
    void setWriter(PeerWriter* writer);
    // What of the answers has not left yet.
    qint64 bytesToWrite() const;

public slots:
    void onReadyRead();
    // The peer sends no more (it closed its side): the lines it sent still run and are
    // answered, then inputFinished is emitted.
    void endInput();
    void processTextMessage(QString message);
    void sendData(QByteArray data);

signals:
    void sendEthenet(QByteArray data);
    // After endInput, once every line received has run.
    void inputFinished();

protected:
    // A deletion asked for while a line runs (the peer went away during a command that
    // waits) is held until the line has finished.
    bool event(QEvent* e) override;
    // The same for the socket's deletion: a line may run inside the socket's own signal.
    bool eventFilter(QObject* watched, QEvent* e) override;

private slots:
    void processInput();

private:
    using Framed = LineFramer::Framed;
    Framed takeLine(QByteArray* line);
    // The answer to one line; *accepted is the command whose after-answer action is due.
    int answer(const char* text, bool forceLevel, RemoteCmd** accepted);
    // Hands bytes to the peer (through the writer, else the socket).
    void transmit(const char* data, int size);
    void transmitAnswer();
    void answerOverflow();
    // Sends what is buffered, then runs the command's after-answer action, if any.
    void runAfterAnswer(RemoteCmd* cmd);

    const unsigned char ask_;
    const unsigned char cr_;
    const unsigned char ack_;
    const unsigned char nak_;
    const unsigned char xon_;
    const unsigned char xoff_;
    RemoteCmdSources::RemoteCmdSource source_ = RemoteCmdSources::Silent;
    QPointer<QTcpSocket> socket_;
    QPointer<PeerWriter> writer_;
    std::string line_;
    std::string header_;
    std::string answer_; // the answer being built, sent whole
    CommandTable table_;
    RemoteAccessLevel accessLevel_ = 0;
    RemoteAccessCode accessCode1_ = "*5820&";
    RemoteAccessCode accessCode2_ = "*58207";

    LineFramer framer_{MAX_LINE};
    QList<QByteArray> messages_;
    Framed heldKind_ = Framed::None;
    QByteArray heldLine_;
    bool scheduled_ = false;
    bool running_ = false;
    bool deletePending_ = false;
    bool inputEnded_ = false;
    bool socketDeletePending_ = false;
    QPointer<CommandGate> gate_;
};

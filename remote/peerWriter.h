// What the server sends a peer, written through a descriptor of the connection's own. Qt
// closes a TCP socket whole as soon as its peer stops sending, but a peer that only
// half-closes (a script piping its commands into the connection) still waits for the
// answers to the lines it sent; this descriptor keeps the connection open for them.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

class QSocketNotifier;

class PeerWriter : public QObject {
    Q_OBJECT
public:
    // A peer that takes nothing for this long, or lets this much wait, is given up.
    static constexpr int kStallMs = 30000;
    static constexpr int kMaxPending = 1024 * 1024;

    // Null when the process has no descriptor left for it.
    static PeerWriter* create(qintptr socketDescriptor, QObject* parent);
    ~PeerWriter() override;

    // Queued and sent as the peer takes it, in order.
    void write(const QByteArray& data);
    // Sends what waits, for at most waitMs; true when all of it has left.
    bool flushNow(int waitMs);
    qint64 bytesToWrite() const { return pending_.size(); }
    // Nothing more will be written: the connection closes once everything has gone (or the
    // peer is gone or given up), and the writer deletes itself.
    void finish();

signals:
    // The peer stopped taking what it is sent; the server drops the connection.
    void peerGaveUp();

private:
    PeerWriter(int descriptor, QObject* parent);
    void flush();
    void giveUp(const char* why);
    void closeWhenDone();

    int fd_;
    QByteArray pending_;
    QSocketNotifier* notifier_;
    QTimer stall_;
    bool finishing_ = false;
    bool broken_ = false;
};

// What the server sends a peer, written through a descriptor of the connection's own. Qt
// closes a TCP socket whole as soon as its peer stops sending, but a peer that only
// half-closes (a script piping its commands into the connection) still waits for the
// answers to the lines it sent; this descriptor keeps the connection open for them.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <cstdint>

class QSocketNotifier;

class PeerWriter : public QObject {
    Q_OBJECT
public:
    // A peer that takes nothing for this long (on the instrument's clock), or lets this much
    // wait, is given up.
    static constexpr int kStallMs = 30000;
    static constexpr int kMaxPending = 1024 * 1024;
    // How often a peer that keeps its answers waiting is looked at.
    static constexpr int kStallCheckMs = 100;

    // Null when the process has no descriptor left for it.
    static PeerWriter* create(qintptr socketDescriptor, QObject* parent);
    ~PeerWriter() override;

    // Sends what the peer takes now, in order after what already waits; the rest waits and
    // leaves as the peer takes it.
    void write(const char* data, int size);
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
    // What the peer takes now of size bytes (0 when it takes nothing or has gone).
    int sendNow(const char* data, int size);
    // Sends what waits as far as the peer takes it.
    void flush();
    void checkStall();
    void giveUp(const char* why);
    void closeWhenDone();

    int fd_;
    QByteArray pending_;
    QSocketNotifier* notifier_;
    QTimer stallCheck_;
    uint64_t lastTakenMs_ = 0; // when the peer last took something while answers waited
    bool finishing_ = false;
    bool broken_ = false;
};

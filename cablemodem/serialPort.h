// The serial line to the embedded cable modem: opens and configures the tty, reads
// what the modem sends in bursts and hands each burst (a frame) to the reply
// accumulator, and writes command text to the modem. Runs its own reader thread.
#pragma once

#include <QMutex>
#include <QString>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <mutex>
#include <string>

class SerialPort : public QThread {
    Q_OBJECT
public:
    static constexpr int kBufferSize = 12000;

    SerialPort(QMutex* mutex, QWaitCondition* condition);
    ~SerialPort() override;

    // path is the unit's device name ("/dev/ttymxc2"); the board says what to open for it.
    int initPort(int speed, char* path);
    int set_interface_attribs(int speed, int parity);
    void closePort();
    bool isOpenFD() const { return open_.load(); }

    // Writes the text; 0 and nothing written while the line is closed.
    int SendPort(const char* text);
    int SendCommand(const QString& command, int waitMs);

    int serial_read();
    void writeCircularBuffer(const char* data, int length);
    char GetCharFromBufferR();
    void readTamaCircularBuffer(char* out);
    int LlegeixTrama(char* out);
    QString getTrama() const;
    void InitBufTrames();
    void readCircularBuffer(unsigned char* out);
    void resetCircularBuffer();

    // One reader pass without the hand-over: reads a burst into the frame buffer.
    // True when a frame was taken. The reader thread and single-threaded tests use it.
    bool takeFrame();

signals:
    void RS232Received();

protected:
    void run() override;

private:
    // Guards the descriptor and the open flag, so that a close from another thread
    // never leaves a reader or writer using a closed (or reused) descriptor number.
    mutable std::mutex fdMutex_;
    int fd_ = -1;
    std::atomic<bool> open_{false};
    std::string unitDevice_;

    // Filled and drained by the reader thread only (and cleared by InitBufTrames).
    mutable std::mutex bufferMutex_;
    char circular_[kBufferSize + 1];
    int writeIndex_ = 0;
    int readIndex_ = 0;
    int count_ = 0;
    int secondReadIndex_ = 0;
    int secondCount_ = 0;

    int selectTimeoutUs_ = 500;
    char frame_[kBufferSize + 1];
    std::atomic<bool> replyReceived_{false};

    QMutex* mutex_;
    QWaitCondition* condition_;
};

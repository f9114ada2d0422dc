// Takes each frame the serial reader hands over into the reply accumulator: the text is
// cut after its last line end or prompt character, the closed part is collected and the
// rest waits for the next frame; then the waiting reader is released.
#pragma once

#include <QMutex>
#include <QObject>
#include <QString>
#include <QWaitCondition>

class HandlerCableModem : public QObject {
    Q_OBJECT
public:
    HandlerCableModem(QMutex* mutex, QWaitCondition* condition, QObject* parent = nullptr);

    QString pendingText() const { return pending_; }
    QString lastPart() const { return lastPart_; }

public slots:
    void rellenar();
    // The same for a frame given directly (tests, and rellenar itself).
    void takeInFrame(const QString& frame);

signals:
    void copyRellenar(QString part);

private:
    QMutex* mutex_;
    QWaitCondition* condition_;
    QString pending_;
    QString lastPart_;
};

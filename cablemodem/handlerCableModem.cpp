#include "handlerCableModem.h"

#include "cableModen.h"
#include "modemExchange.h"
#include "serialPort.h"

#include <algorithm>

HandlerCableModem::HandlerCableModem(QMutex* mutex, QWaitCondition* condition, QObject* parent)
    : QObject(parent), mutex_(mutex), condition_(condition)
{
}

void HandlerCableModem::takeInFrame(const QString& frame)
{
    pending_ += frame;
    const int cut = std::max({pending_.lastIndexOf('\n'), pending_.lastIndexOf('#'), pending_.lastIndexOf('>')});
    if (cut != -1) {
        const QString part = pending_.left(cut + 1);
        takeInReplyPart(part);
        lastPart_ = part;
        emit copyRellenar(lastPart_);
        pending_.remove(0, cut + 1);
    }
    // Text that never closes is kept no longer than the line's buffer.
    if (pending_.size() > MODEM_REPLY_LIMIT)
        pending_.remove(0, pending_.size() - MODEM_REPLY_LIMIT);
}

void HandlerCableModem::rellenar()
{
    if (SerialPort* port = getSerialPortCableModem())
        takeInFrame(port->getTrama());
    if (mutex_ && condition_) {
        QMutexLocker lock(mutex_);
        condition_->wakeAll();
    }
}

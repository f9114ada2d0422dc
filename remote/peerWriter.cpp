#include "peerWriter.h"

#include "common/Clock.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

PeerWriter* PeerWriter::create(qintptr socketDescriptor, QObject* parent)
{
    const int fd = ::fcntl(static_cast<int>(socketDescriptor), F_DUPFD_CLOEXEC, 0);
    return fd < 0 ? nullptr : new PeerWriter(fd, parent);
}

PeerWriter::PeerWriter(int descriptor, QObject* parent)
    : QObject(parent), fd_(descriptor), notifier_(new QSocketNotifier(descriptor, QSocketNotifier::Write, this))
{
    // Watched only while the peer keeps something waiting: an answer normally leaves at once.
    notifier_->setEnabled(false);
    connect(notifier_, &QSocketNotifier::activated, this, &PeerWriter::flush);
    stallCheck_.setInterval(kStallCheckMs);
    connect(&stallCheck_, &QTimer::timeout, this, &PeerWriter::checkStall);
}

PeerWriter::~PeerWriter()
{
    notifier_->setEnabled(false);
    ::close(fd_);
}

void PeerWriter::write(const char* data, int size)
{
    if (broken_ || size <= 0)
        return;
    if (pending_.isEmpty()) {
        const int sent = sendNow(data, size);
        data += sent;
        size -= sent;
        if (size == 0 || broken_)
            return;
    }
    if (pending_.size() + qint64{size} > kMaxPending) {
        giveUp("does not take its answers");
        return;
    }
    pending_.append(data, size);
    flush();
}

int PeerWriter::sendNow(const char* data, int size)
{
    int sentTotal = 0;
    while (sentTotal < size) {
        const ssize_t sent = ::send(fd_, data + sentTotal, static_cast<size_t>(size - sentTotal), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            sentTotal += static_cast<int>(sent);
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            // The peer has gone: what is left cannot reach it.
            pending_.clear();
            broken_ = true;
            return 0;
        }
    }
    return sentTotal;
}

void PeerWriter::flush()
{
    const int sent = sendNow(pending_.constData(), pending_.size());
    pending_.remove(0, sent);
    const bool waiting = !pending_.isEmpty();
    notifier_->setEnabled(waiting);
    if (!waiting) {
        stallCheck_.stop();
    } else if (sent > 0 || !stallCheck_.isActive()) {
        lastTakenMs_ = common::clock().monotonicMs();
        if (!stallCheck_.isActive())
            stallCheck_.start();
    }
    closeWhenDone();
}

void PeerWriter::checkStall()
{
    if (!pending_.isEmpty() && common::clock().monotonicMs() - lastTakenMs_ >= static_cast<uint64_t>(kStallMs))
        giveUp("has taken nothing for a while");
}

bool PeerWriter::flushNow(int waitMs)
{
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        flush();
        const qint64 left = waitMs - waited.elapsed();
        if (pending_.isEmpty() || broken_ || left <= 0)
            return pending_.isEmpty();
        pollfd ready{fd_, POLLOUT, 0};
        ::poll(&ready, 1, static_cast<int>(left));
    }
}

void PeerWriter::giveUp(const char* why)
{
    if (broken_)
        return;
    qDebug() << "Remote: a peer" << why << "- its connection is dropped";
    broken_ = true;
    pending_.clear();
    notifier_->setEnabled(false);
    stallCheck_.stop();
    emit peerGaveUp();
    closeWhenDone();
}

void PeerWriter::finish()
{
    finishing_ = true;
    closeWhenDone();
}

void PeerWriter::closeWhenDone()
{
    if (finishing_ && pending_.isEmpty())
        deleteLater();
}

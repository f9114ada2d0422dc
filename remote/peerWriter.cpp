#include "peerWriter.h"

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
    notifier_->setEnabled(false);
    connect(notifier_, &QSocketNotifier::activated, this, &PeerWriter::flush);
    stall_.setSingleShot(true);
    stall_.setInterval(kStallMs);
    connect(&stall_, &QTimer::timeout, this, [this] { giveUp("has taken nothing for a while"); });
}

PeerWriter::~PeerWriter()
{
    notifier_->setEnabled(false);
    ::close(fd_);
}

void PeerWriter::write(const QByteArray& data)
{
    if (broken_ || data.isEmpty())
        return;
    if (pending_.size() + data.size() > kMaxPending) {
        giveUp("does not take its answers");
        return;
    }
    if (pending_.isEmpty())
        stall_.start();
    pending_ += data;
    // Sent from the event loop, so that the parts of one answer leave together.
    notifier_->setEnabled(true);
}

void PeerWriter::flush()
{
    while (!pending_.isEmpty()) {
        const ssize_t sent = ::send(fd_, pending_.constData(), static_cast<size_t>(pending_.size()),
                                    MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            pending_.remove(0, static_cast<int>(sent));
            stall_.start();
        } else if (sent < 0 && errno == EINTR) {
            continue;
        } else if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else {
            // The peer has gone: what is left cannot reach it.
            pending_.clear();
            broken_ = true;
        }
    }
    notifier_->setEnabled(!pending_.isEmpty());
    if (pending_.isEmpty())
        stall_.stop();
    closeWhenDone();
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
    stall_.stop();
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

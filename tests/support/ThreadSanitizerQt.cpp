// A ThreadSanitizer build sees nothing inside Qt when Qt is not built with it: to the
// sanitizer a QMutex the project locks, a wait on a QWaitCondition and the end of a QThread
// synchronise nothing, and every field they guard reads as a race. In such a build this file
// stands in front of those Qt calls of the project's code, tells the sanitizer what each
// does, and passes it on to Qt. (Qt's own calls inside its library stay unseen: data handed
// over by a queued signal still shows as raced.) Other builds compile nothing of it.
#include "SimBoardFixture.h"

#if defined(__SANITIZE_THREAD__)
#define VARNOK_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define VARNOK_THREAD_SANITIZER 1
#endif
#endif

#ifdef VARNOK_THREAD_SANITIZER

#include <QDeadlineTimer>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>
#include <sanitizer/tsan_interface.h>

#include <climits>
#include <cstdlib>
#include <dlfcn.h>

namespace {

// Qt's own definition of a function this file stands in front of.
template <class F>
F qtDefinition(const char* mangledName)
{
    static_assert(sizeof(F) == sizeof(void*));
    void* f = dlsym(RTLD_NEXT, mangledName);
    if (!f)
        abort();
    F out;
    __builtin_memcpy(&out, &f, sizeof(f));
    return out;
}

using MutexCall = void (*)(QMutex*);
using TryLock = bool (*)(QMutex*, int);
using ConditionWait = bool (*)(QWaitCondition*, QMutex*, QDeadlineTimer);
using ThreadWait = bool (*)(QThread*, QDeadlineTimer);
using ThreadStart = void (*)(QThread*, QThread::Priority);

// Qt's older waits take milliseconds, ULONG_MAX for ever.
QDeadlineTimer deadlineIn(unsigned long ms)
{
    return ms == ULONG_MAX ? QDeadlineTimer(QDeadlineTimer::Forever) : QDeadlineTimer(static_cast<qint64>(ms));
}

// A QThread's end, seen by whoever waits for it: its finished signal comes from the thread
// itself once its run is over.
void noteThreadEnd(QThread* thread)
{
    QObject::connect(thread, &QThread::finished, thread, [thread] { __tsan_release(thread); }, Qt::DirectConnection);
}

} // namespace

void QMutex::lock() QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto qt = qtDefinition<MutexCall>("_ZN6QMutex4lockEv");
    __tsan_mutex_pre_lock(this, 0);
    qt(this);
    __tsan_mutex_post_lock(this, 0, 0);
}

bool QMutex::tryLock(int timeout) QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto qt = qtDefinition<TryLock>("_ZN6QMutex7tryLockEi");
    __tsan_mutex_pre_lock(this, __tsan_mutex_try_lock);
    const bool locked = qt(this, timeout);
    __tsan_mutex_post_lock(this, __tsan_mutex_try_lock | (locked ? 0 : __tsan_mutex_try_lock_failed), 0);
    return locked;
}

void QMutex::unlock() noexcept
{
    static const auto qt = qtDefinition<MutexCall>("_ZN6QMutex6unlockEv");
    __tsan_mutex_pre_unlock(this, 0);
    qt(this);
    __tsan_mutex_post_unlock(this, 0);
}

bool QWaitCondition::wait(QMutex* lockedMutex, QDeadlineTimer deadline)
{
    static const auto qt = qtDefinition<ConditionWait>("_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer");
    // Qt unlocks the mutex while it waits and locks it again before it returns.
    __tsan_mutex_pre_unlock(lockedMutex, 0);
    __tsan_mutex_post_unlock(lockedMutex, 0);
    const bool woken = qt(this, lockedMutex, deadline);
    __tsan_mutex_pre_lock(lockedMutex, 0);
    __tsan_mutex_post_lock(lockedMutex, 0, 0);
    return woken;
}

bool QWaitCondition::wait(QMutex* lockedMutex, unsigned long time)
{
    return wait(lockedMutex, deadlineIn(time));
}

void QThread::start(Priority priority)
{
    static const auto qt = qtDefinition<ThreadStart>("_ZN7QThread5startENS_8PriorityE");
    noteThreadEnd(this);
    qt(this, priority);
}

bool QThread::wait(QDeadlineTimer deadline)
{
    static const auto qt = qtDefinition<ThreadWait>("_ZN7QThread4waitE14QDeadlineTimer");
    const bool ended = qt(this, deadline);
    if (ended)
        __tsan_acquire(this);
    return ended;
}

bool QThread::wait(unsigned long time)
{
    return wait(deadlineIn(time));
}

#endif

namespace testsupport {
// Referenced by the test main, so that the linker takes this file into every test program.
void watchQtSynchronisation() {}
} // namespace testsupport

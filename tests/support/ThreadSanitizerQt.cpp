// A ThreadSanitizer build sees nothing inside Qt when Qt is not built with it: to the
// sanitizer a QMutex the project locks, a wait on a QWaitCondition and the end of a QThread
// synchronise nothing, and every field they guard reads as a race. In such a build this file
// stands in front of those Qt calls, tells the sanitizer what each does when the project's
// code made it, and passes it on to Qt. Qt's own calls stay unseen, as a whole: data handed
// over by a queued signal still shows as raced. Other builds compile nothing of it.
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

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <dlfcn.h>
#include <link.h>

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

// Whether a call comes from the test program itself (the project's code is linked into it),
// not from one of Qt's libraries, whose other calls the sanitizer does not see.
struct ProgramText {
    uintptr_t low = UINTPTR_MAX;
    uintptr_t high = 0;
};

ProgramText programText()
{
    ProgramText text;
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* out) {
            if (info->dlpi_name && *info->dlpi_name)
                return 0; // a shared library; the program has no name here
            auto* t = static_cast<ProgramText*>(out);
            for (int i = 0; i < info->dlpi_phnum; ++i) {
                const ElfW(Phdr)& h = info->dlpi_phdr[i];
                if (h.p_type == PT_LOAD && (h.p_flags & PF_X)) {
                    t->low = std::min<uintptr_t>(t->low, info->dlpi_addr + h.p_vaddr);
                    t->high = std::max<uintptr_t>(t->high, info->dlpi_addr + h.p_vaddr + h.p_memsz);
                }
            }
            return 1;
        },
        &text);
    return text;
}

bool fromProgram(void* returnAddress)
{
    static const ProgramText text = programText();
    const auto a = reinterpret_cast<uintptr_t>(returnAddress);
    return a >= text.low && a < text.high;
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

// A mutex that Qt locks inside its library and the program unlocks (Qt's generated QML
// cache loader does), or the other way round, is half seen: not a misuse of it.
extern "C" const char* __tsan_default_options() { return "report_mutex_bugs=0"; }

namespace {
// Qt's lock or unlock of a mutex (lock gives whether it took it), told to the sanitizer
// around it when seen.
template <class Lock>
bool locking(QMutex* mutex, bool seen, unsigned flags, Lock lock)
{
    if (seen)
        __tsan_mutex_pre_lock(mutex, flags);
    const bool locked = lock();
    if (seen)
        __tsan_mutex_post_lock(mutex, flags | (locked ? 0 : __tsan_mutex_try_lock_failed), 0);
    return locked;
}

template <class Unlock>
void unlocking(QMutex* mutex, bool seen, Unlock unlock)
{
    if (seen)
        __tsan_mutex_pre_unlock(mutex, 0);
    unlock();
    if (seen)
        __tsan_mutex_post_unlock(mutex, 0);
}

bool waitOn(QWaitCondition* condition, QMutex* lockedMutex, QDeadlineTimer deadline, bool seen)
{
    static const auto qt = qtDefinition<ConditionWait>("_ZN14QWaitCondition4waitEP6QMutex14QDeadlineTimer");
    // Qt unlocks the mutex while it waits and locks it again before it returns.
    unlocking(lockedMutex, seen, [] {});
    bool woken = false;
    locking(lockedMutex, seen, 0, [&] {
        woken = qt(condition, lockedMutex, deadline);
        return true;
    });
    return woken;
}
} // namespace

void QMutex::lock() QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto qt = qtDefinition<MutexCall>("_ZN6QMutex4lockEv");
    locking(this, fromProgram(__builtin_return_address(0)), 0, [this] {
        qt(this);
        return true;
    });
}

bool QMutex::tryLock(int timeout) QT_MUTEX_LOCK_NOEXCEPT
{
    static const auto qt = qtDefinition<TryLock>("_ZN6QMutex7tryLockEi");
    return locking(this, fromProgram(__builtin_return_address(0)), __tsan_mutex_try_lock,
                   [this, timeout] { return qt(this, timeout); });
}

void QMutex::unlock() noexcept
{
    static const auto qt = qtDefinition<MutexCall>("_ZN6QMutex6unlockEv");
    unlocking(this, fromProgram(__builtin_return_address(0)), [this] { qt(this); });
}

bool QWaitCondition::wait(QMutex* lockedMutex, QDeadlineTimer deadline)
{
    return waitOn(this, lockedMutex, deadline, fromProgram(__builtin_return_address(0)));
}

bool QWaitCondition::wait(QMutex* lockedMutex, unsigned long time)
{
    return waitOn(this, lockedMutex, deadlineIn(time), fromProgram(__builtin_return_address(0)));
}

void QThread::start(Priority priority)
{
    static const auto qt = qtDefinition<ThreadStart>("_ZN7QThread5startENS_8PriorityE");
    noteThreadEnd(this);
    qt(this, priority);
}

namespace {
bool waitFor(QThread* thread, QDeadlineTimer deadline)
{
    static const auto qt = qtDefinition<ThreadWait>("_ZN7QThread4waitE14QDeadlineTimer");
    const bool ended = qt(thread, deadline);
    if (ended)
        __tsan_acquire(thread);
    return ended;
}
} // namespace

bool QThread::wait(QDeadlineTimer deadline) { return waitFor(this, deadline); }

bool QThread::wait(unsigned long time) { return waitFor(this, deadlineIn(time)); }

#endif

namespace testsupport {
// Referenced by the test main, so that the linker takes this file into every test program.
void watchQtSynchronisation() {}
} // namespace testsupport

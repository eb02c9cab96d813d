#include "platform/Threads.h"

#include <QThread>

#if defined(Q_OS_LINUX)
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace quarn::platform {

void MakeCurrentThreadBackground() {
#if defined(Q_OS_LINUX)
    // On Linux each thread has a nice value of its own.
    setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 10);
#else
    QThread::currentThread()->setPriority(QThread::LowestPriority);
#endif
}

} // namespace quarn::platform

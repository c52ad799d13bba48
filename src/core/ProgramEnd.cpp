#include "ProgramEnd.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

namespace {
// Touched by the signal handler: a lock-free atomic and a pipe only. The status asked for, or
// kNotRequested; one value, so that whoever sees the request sees its status too.
constexpr int kNotRequested = std::numeric_limits<int>::min();
std::atomic<int> gExitCode{kNotRequested};
int gWakePipe[2] = {-1, -1};
bool gEnding = false;
WindowEnding gWindows;

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler needs a lock-free atomic");

void wakeEventLoop() noexcept
{
    const int fd = gWakePipe[1];
    if (fd < 0)
        return;
    const char byte = 1;
    // A full pipe already holds a wake-up; nothing more is needed.
    while (::write(fd, &byte, 1) < 0 && errno == EINTR) {
    }
}

extern "C" void requestEndOnSignal(int signal)
{
    const int savedErrno = errno;
    RequestProgramEnd(128 + signal);
    errno = savedErrno;
}

// On the event loop: every main window closes as if the user closed it, so each runs its own
// closing handling (the preview removes its document); the program then ends.
void closeWindows()
{
    if (gWindows.closeAll)
        gWindows.closeAll();
    if (!ProgramEnding())
        EndProgram();
}
} // namespace

void InstallEndSignalHandlers()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;

    if (::pipe2(gWakePipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto *notifier = new QSocketNotifier(gWakePipe[0], QSocketNotifier::Read, QCoreApplication::instance());
        QObject::connect(notifier, &QSocketNotifier::activated, notifier, [notifier] {
            char buffer[64];
            while (::read(gWakePipe[0], buffer, sizeof(buffer)) > 0) {
            }
            // The first wake-up does the work; later ones find the windows closing already.
            static bool closing = false;
            if (closing)
                return;
            closing = true;
            notifier->setEnabled(false);
            try {
                closeWindows();
            } catch (...) {
                EndProgram();
            }
        });
    }

    struct sigaction action
    {
    };
    action.sa_handler = requestEndOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    // A request made before the handlers were in place is honoured now.
    if (ProgramEndRequested())
        wakeEventLoop();
}

void RequestProgramEnd(int exitCode) noexcept
{
    int expected = kNotRequested;
    if (exitCode == kNotRequested || !gExitCode.compare_exchange_strong(expected, exitCode))
        return;
    wakeEventLoop();
}

bool ProgramEndRequested() noexcept
{
    return gExitCode.load() != kNotRequested;
}

int ProgramExitCode(int normal) noexcept
{
    const int requested = gExitCode.load();
    return requested != kNotRequested ? requested : normal;
}

void EndProgram()
{
    gEnding = true;
    if (gWindows.hideAll)
        gWindows.hideAll();
    QCoreApplication::exit(0);
}

bool ProgramEnding()
{
    return gEnding;
}

void SetWindowEnding(WindowEnding windows)
{
    gWindows = windows;
}

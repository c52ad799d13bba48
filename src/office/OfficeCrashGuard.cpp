#include "OfficeCrashGuard.h"

#include <QFile>

#include <atomic>
#include <cstring>
#include <signal.h>
#include <unistd.h>

namespace {
constexpr int kSlots = 2;
constexpr int kMaxSockets = 8;

// What the signal handler reads: only atomics and plain arrays, filled before their count is set.
struct Remembered
{
    std::atomic<pid_t> group{0};
    char socketPaths[kMaxSockets][256];
    std::atomic<int> socketCount{0};
};
Remembered gOffices[kSlots];

struct sigaction gPreviousActions[NSIG];

extern "C" void killOfficesAndDie(int signal)
{
    // Only async-signal-safe calls here: the program is going down anyway.
    for (Remembered &office : gOffices) {
        const pid_t group = office.group.load();
        if (group <= 0)
            continue;
        ::kill(-group, SIGKILL);
        // A killed office leaves its pipes behind.
        for (int i = 0; i < office.socketCount.load(); ++i)
            ::unlink(office.socketPaths[i]);
    }
    // Whoever handled the signal before (or the default action) takes it from here, once this
    // handler returns.
    ::sigaction(signal, &gPreviousActions[signal], nullptr);
    ::raise(signal);
}
} // namespace

void RememberOffice(OfficeSlot slot, pid_t group, const QStringList &sockets)
{
    Remembered &office = gOffices[static_cast<int>(slot)];
    office.socketCount.store(0);
    int count = 0;
    for (const QString &socket : sockets) {
        const QByteArray path = QFile::encodeName(socket);
        if (count == kMaxSockets || path.size() >= static_cast<qsizetype>(sizeof(office.socketPaths[0])))
            continue;
        std::memcpy(office.socketPaths[count], path.constData(), static_cast<size_t>(path.size()) + 1);
        ++count;
    }
    office.socketCount.store(count);
    office.group.store(group);
}

void InstallOfficeCrashGuard()
{
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) {
        struct sigaction current
        {
        };
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN)
            continue;
        gPreviousActions[signal] = current;
        struct sigaction guard
        {
        };
        guard.sa_handler = killOfficesAndDie;
        sigemptyset(&guard.sa_mask);
        ::sigaction(signal, &guard, nullptr);
    }
}

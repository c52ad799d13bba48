#pragma once

#include <QStringList>

#include <sys/types.h>

/// The offices the program may run at once: the one that does the work, and the one that writes a
/// long run's Word file beside it.
enum class OfficeSlot { Main, Writer };

/// Makes sure that a program stopped by a signal, which runs no destructors, leaves no office of its
/// own running: the offices remembered are killed and their pipes removed. Signals the program ignores
/// are left alone; handlers installed before are chained. Installed once; later calls do nothing.
void InstallOfficeCrashGuard();
/// Remembers the process group and pipes of the office in \a slot; 0 and none while none runs there.
/// Safe from any thread.
void RememberOffice(OfficeSlot slot, pid_t group, const QStringList &sockets);

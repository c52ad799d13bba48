#pragma once

#include <QByteArrayList>

#include <spawn.h>
#include <sys/types.h>

/// Gives a process started with posix_spawn a group of its own (a Ctrl+C or a hang-up meant for the
/// program does not reach it behind the program's back), no blocked signals, and the default handling of
/// the signals the program handles itself.
void SetSpawnSignals(posix_spawnattr_t *attributes);

/// A shell process that cleans up after the program, however the program ends.
struct Watcher
{
    pid_t pid = 0;
    /// The program's end of the link; the watcher reads end of file once every copy of it is closed,
    /// which the ending of the program does.
    int link = -1;
};

/// Starts `/bin/sh -c script name arguments...` with the far end of a new socket pair as its standard
/// input and nothing for output. The near end is close-on-exec, so no other child of the program can
/// hold it. Returns 0, or the errno value that says why it could not start.
int StartWatcher(const QByteArray &script, const QByteArray &name, const QByteArrayList &arguments, Watcher *watcher);

/// Writes \a line and a line end to the socket \a socket, never raising SIGPIPE. Returns false when the
/// other end is gone (what it would have been told then no longer matters). Never throws.
bool SendLine(int socket, const QByteArray &line) noexcept;

#include "Watcher.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {
// Signals whose handling a started process should get back at its defaults.
const int kDefaultSignals[] = {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGCHLD, SIGUSR1, SIGUSR2, SIGXFSZ};
} // namespace

void SetSpawnSignals(posix_spawnattr_t *attributes)
{
    short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    posix_spawnattr_setflags(attributes, flags);
    posix_spawnattr_setpgroup(attributes, 0);
    sigset_t chosen;
    sigemptyset(&chosen);
    posix_spawnattr_setsigmask(attributes, &chosen);
    for (int signal : kDefaultSignals)
        sigaddset(&chosen, signal);
    posix_spawnattr_setsigdefault(attributes, &chosen);
}

int StartWatcher(const QByteArray &script, const QByteArray &name, const QByteArrayList &arguments, Watcher *watcher)
{
    int link[2] = {-1, -1};
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, link) != 0)
        return errno;

    QByteArrayList words{QByteArrayLiteral("/bin/sh"), QByteArrayLiteral("-c"), script, name};
    words += arguments;
    std::vector<char *> argv;
    for (QByteArray &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    char path[] = "PATH=/usr/bin:/bin";
    char *envp[] = {path, nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, link[1], STDIN_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    SetSpawnSignals(&attributes);
    pid_t pid = 0;
    const int result = posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), envp);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(link[1]);
    if (result != 0) {
        ::close(link[0]);
        return result;
    }
    watcher->pid = pid;
    watcher->link = link[0];
    return 0;
}

bool SendLine(int socket, const QByteArray &line) noexcept
{
    try {
        const QByteArray whole = line + '\n';
        qsizetype offset = 0;
        while (offset < whole.size()) {
            const ssize_t sent =
                ::send(socket, whole.constData() + offset, static_cast<size_t>(whole.size() - offset), MSG_NOSIGNAL);
            if (sent < 0 && errno == EINTR)
                continue;
            if (sent <= 0)
                return false;
            offset += sent;
        }
        return true;
    } catch (...) {
        return false;
    }
}

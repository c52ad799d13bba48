#pragma once

/// Ending the program from outside its windows: the signals SIGTERM, SIGINT and SIGHUP, or a call of
/// RequestProgramEnd(). The program then ends as closing its windows does: the preview deletes its
/// document, a run in progress gives up at its next step and leaves nothing behind, and the office
/// is shut down, its files removed, as main() returns with the status asked for.
///
/// Whatever waits for a long time (a call into the office, a start of the office) checks
/// ProgramEndRequested() and gives up early; it is true from the moment of the request, the signal
/// handler included, on any thread.
///
///     InstallEndSignalHandlers();      // in main(), once the application object exists
///     ...
///     return ProgramExitCode(app.exec());

/// Makes SIGTERM, SIGINT and SIGHUP request the end, with the status of a program that the signal
/// ended: 128 + the signal's number (143, 130, 129). The windows close on the event loop; further
/// signals while the end is under way change nothing. Replaces handlers installed before for them.
void InstallEndSignalHandlers();

/// Asks the program to end with \a exitCode, as if the user closed its windows. Safe from any thread
/// and from a signal handler; the first request wins.
void RequestProgramEnd(int exitCode) noexcept;

/// True once the end was requested. Safe from any thread and from a signal handler.
bool ProgramEndRequested() noexcept;

/// The status the program ends with: the one requested, else \a normal.
int ProgramExitCode(int normal) noexcept;

/// Ends the program at once: every window goes away without its closing handlers, and the event
/// loop (or, before it runs, start-up) ends. Resources such as the word processor are released as main() returns.
void EndProgram();
/// True once EndProgram was called; start-up checks it before showing the first window.
bool ProgramEnding();

/// What ending does to the program's windows, given by the windows themselves (InstallWindowEnding()):
/// the batch command has none. \a closeAll closes each main window as its user would, \a hideAll hides
/// every window at once.
struct WindowEnding
{
    void (*closeAll)() = nullptr;
    void (*hideAll)() = nullptr;
};
void SetWindowEnding(WindowEnding windows);

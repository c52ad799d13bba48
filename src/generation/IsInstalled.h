#pragma once

class QString;

/// The message shown when the word processor cannot be started.
QString WordMissingMessage();

/// Makes sure the word processor can be started. When it can, returns and leaves it warm for the
/// first generation; when it cannot, tells the user, writes what failed to standard error and ends
/// the program (EndProgram), so the caller's window never appears.
void CheckWordInstalled();

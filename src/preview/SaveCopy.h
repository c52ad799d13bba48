#pragma once

class QString;

/// \a path with ".doc" added when its file name has no extension; an empty path stays empty.
QString WithWordExtension(const QString &path);

/// Copies \a source to \a target byte for byte. The copy is written next to the target and takes the
/// target's place only when complete, so an existing target is either replaced whole or left exactly as
/// it was, and a failed copy leaves no partial file. Throws Failure with the reason.
void CopyFileReplacing(const QString &source, const QString &target);

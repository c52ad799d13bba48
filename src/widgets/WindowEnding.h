#pragma once

/// Lets the program's end (a signal, or EndProgram()) reach its windows: closing them as their user would,
/// or hiding them at once. Every window calls it; once is enough.
void InstallWindowEnding();

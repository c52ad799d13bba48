#pragma once

/// Stopping a long piece of work at the user's request (Cancel, or closing the window during it). The
/// program asks from any thread; the work checks at its next step and while it waits for the word
/// processor, gives up, and leaves nothing behind. Failures after the request are no news to anyone
/// and are not reported. The next piece of work clears it.
void RequestRunCancel() noexcept;
/// True once cancelling was asked for, or the program is being ended (a signal, or its main window closed).
bool RunCancelRequested() noexcept;
void ClearRunCancel() noexcept;

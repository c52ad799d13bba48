#include "Cancellation.h"

#include "ProgramEnd.h"

#include <atomic>

namespace {
std::atomic<bool> gCancelRequested{false};
} // namespace

void RequestRunCancel() noexcept
{
    gCancelRequested.store(true);
}

bool RunCancelRequested() noexcept
{
    // Closing the main window, or a signal, ends everything under way as well.
    return gCancelRequested.load() || ProgramEndRequested() || ProgramEnding();
}

void ClearRunCancel() noexcept
{
    gCancelRequested.store(false);
}

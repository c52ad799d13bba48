#pragma once

#include <sys/resource.h>

/// Lowers this process's file-size limit for its lifetime, so that a write past \a bytes really fails
/// (with EFBIG; the program ignores the signal that would otherwise come with it). Pipes and terminals
/// are not files, so the test's own output is not affected.
class FileSizeLimit final
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        mActive = ::getrlimit(RLIMIT_FSIZE, &mSaved) == 0;
        if (mActive) {
            rlimit lowered = mSaved;
            lowered.rlim_cur = bytes;
            mActive = ::setrlimit(RLIMIT_FSIZE, &lowered) == 0;
        }
    }
    ~FileSizeLimit()
    {
        if (mActive)
            ::setrlimit(RLIMIT_FSIZE, &mSaved);
    }
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

    /// False when the limit could not be set; the test should then skip.
    bool active() const { return mActive; }

private:
    rlimit mSaved{};
    bool mActive = false;
};

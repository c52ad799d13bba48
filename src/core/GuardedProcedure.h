#pragma once

#include <QString>

#include <exception>
#include <utility>

/// Runs a procedure as numbered steps. A failing step is reported with its number through the
/// error report and the procedure carries on with the next step; nothing ever escapes a step.
///
///     GuardedProcedure proc(Location::Form1_PushButton4_Click);
///     if (proc.test(100, [&] { return list.count() > 0; }))
///         proc.step(102, [&] { list.removeRow(selectedRow()); });
class GuardedProcedure
{
public:
    explicit GuardedProcedure(const char *location);

    /// Runs one step. Returns false when it failed (and was reported).
    template<typename Action>
    bool step(int line, Action &&action) noexcept
    {
        mLine = line;
        try {
            std::forward<Action>(action)();
            return true;
        } catch (...) {
            reportCurrentException();
            return false;
        }
    }

    /// Runs a test step. A test that fails counts as passed, so what it guards runs next, like any
    /// other step after a failure.
    template<typename Condition>
    bool test(int line, Condition &&condition) noexcept
    {
        mLine = line;
        try {
            return std::forward<Condition>(condition)();
        } catch (...) {
            reportCurrentException();
            return true;
        }
    }

    /// Runs a step that produces a value; a failed step leaves \a target as it was.
    template<typename T, typename Producer>
    bool assign(int line, T &target, Producer &&producer) noexcept
    {
        return step(line, [&] { target = std::forward<Producer>(producer)(); });
    }

    /// The number of the step that runs or ran last.
    int line() const { return mLine; }
    /// How many steps have been reported so far.
    int failures() const { return mFailures; }
    QString location() const { return mLocation; }
    /// The failure of the last step that failed, for callers that treat some failures differently.
    std::exception_ptr lastError() const { return mLastError; }

    /// Reports a failure that was noticed without an exception, with the current step's number.
    void report(const QString &description) noexcept;

private:
    void reportCurrentException() noexcept;

    QString mLocation;
    int mLine = 0;
    int mFailures = 0;
    std::exception_ptr mLastError;
};

/// The description of the exception being handled, for reports and logs.
QString DescribeException(std::exception_ptr error);

#include "GuardedProcedure.h"

#include "Cancellation.h"
#include "ErrorReport.h"
#include "Failure.h"

#include <QtGlobal>

#include <new>

GuardedProcedure::GuardedProcedure(const char *location)
    : mLocation(QString::fromLatin1(location))
{}

void GuardedProcedure::report(const QString &description) noexcept
{
    ++mFailures;
    // Work the user stopped fails as it unwinds; that is no news to report.
    if (RunCancelRequested())
        return;
    try {
        ApplicationErrorReport(description, mLocation, mLine);
    } catch (...) {
        // The report itself could not be shown; the procedure still goes on.
        qWarning("Error report could not be shown: %s at line %d", qUtf8Printable(description), mLine);
    }
}

void GuardedProcedure::reportCurrentException() noexcept
{
    mLastError = std::current_exception();
    QString description;
    try {
        description = DescribeException(std::current_exception());
    } catch (...) {
        description = QStringLiteral("Unknown error");
    }
    report(description);
}

QString DescribeException(std::exception_ptr error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Failure &failure) {
        return failure.description();
    } catch (const std::bad_alloc &) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

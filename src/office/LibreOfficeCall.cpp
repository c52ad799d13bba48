#include "LibreOfficeCall.h"

#include "LibreOfficeSession.h"

#include <QCoreApplication>
#include <QThread>

#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <cppu/unotype.hxx>
#include <cppuhelper/exc_hlp.hxx>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <exception>

OUString toOUString(const QString &text)
{
    return OUString(reinterpret_cast<const sal_Unicode *>(text.utf16()), static_cast<sal_Int32>(text.size()));
}

QString toQString(const OUString &text)
{
    return QString(reinterpret_cast<const QChar *>(text.getStr()), text.getLength());
}

css::uno::Sequence<css::beans::PropertyValue>
propertyList(std::initializer_list<std::pair<const char *, css::uno::Any>> properties)
{
    css::uno::Sequence<css::beans::PropertyValue> list(static_cast<sal_Int32>(properties.size()));
    css::beans::PropertyValue *out = list.getArray();
    for (const auto &[name, value] : properties) {
        out->Name = OUString::createFromAscii(name);
        out->Value = value;
        ++out;
    }
    return list;
}

namespace {
std::atomic<bool> gWaitProcessesEvents{true};
thread_local int tWaitsWithoutEvents = 0;
} // namespace

OfficeWaitWithoutEvents::OfficeWaitWithoutEvents()
{
    ++tWaitsWithoutEvents;
}

OfficeWaitWithoutEvents::~OfficeWaitWithoutEvents()
{
    --tWaitsWithoutEvents;
}

void SetOfficeWaitProcessesEvents(bool processEvents) noexcept
{
    gWaitProcessesEvents.store(processEvents);
}

bool OfficeWaitMayProcessEvents() noexcept
{
    QCoreApplication *application = QCoreApplication::instance();
    return gWaitProcessesEvents.load() && tWaitsWithoutEvents == 0 && application
           && QThread::currentThread() == application->thread() && !QCoreApplication::closingDown();
}

void runInOffice(LibreOfficeSession &session, const QString &what, std::chrono::milliseconds limit, Cancel cancel,
                 const std::function<void()> &work)
{
    session.run(what, limit, cancel, OfficeWaitMayProcessEvents(), work);
}

QString overdueSentence(std::chrono::milliseconds limit)
{
    // Tenths at most: a limit that grows with the document is no exact figure to the user.
    return QStringLiteral("The word processor did not answer within %1 seconds and was stopped.")
        .arg(std::ceil(double(limit.count()) / 100.0) / 10.0);
}

namespace {
// The user learns that the office went away in plain words; what exactly happened is for whoever
// reads the program's error output.
[[noreturn]] void throwLost(const QString &sentence, const QString &technical)
{
    std::fprintf(stderr, "parvoline: %s\n", qUtf8Printable(technical));
    std::fflush(stderr);
    throw WordProcessorLost(sentence);
}
} // namespace

void rethrowAsAutomationError(LibreOfficeSession &session, const QString &what)
{
    try {
        throw;
    } catch (const AutomationError &) {
        throw;
    } catch (const css::uno::RuntimeException &error) {
        // A dead office shows as a disposed bridge, or as any other failure of the connection.
        const QString type = toQString(cppu::getCaughtException().getValueTypeName());
        const QString technical = QStringLiteral("%1: %2: %3").arg(what, type, toQString(error.Message).trimmed());
        // An office stopped at a call's limit: whatever else was asked of it fails with the same sentence.
        if (session.timedOut())
            throwLost(overdueSentence(session.overdueLimit()), technical);
        if (!session.checkAlive())
            throwLost(QStringLiteral("The word processor stopped unexpectedly."), technical);
        // A closed document says "disposed" too, while the office lives on.
        if (type == QLatin1String("com.sun.star.lang.DisposedException"))
            throw AutomationError(
                QStringLiteral("%1: the object is no longer available (%2)").arg(what, toQString(error.Message)));
        throw AutomationError(technical);
    } catch (const css::uno::Exception &error) {
        const css::uno::Any caught = cppu::getCaughtException();
        const QString type = toQString(caught.getValueTypeName());
        const QString message = toQString(error.Message).trimmed();
        throw AutomationError(message.isEmpty() ? QStringLiteral("%1: %2").arg(what, type)
                                                : QStringLiteral("%1: %2: %3").arg(what, type, message));
    } catch (const Failure &failure) {
        throw AutomationError(QStringLiteral("%1: %2").arg(what, failure.description()));
    } catch (const std::bad_alloc &) {
        throw AutomationError(QStringLiteral("%1: out of memory").arg(what));
    } catch (const std::exception &error) {
        throw AutomationError(QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(error.what())));
    } catch (...) {
        throw AutomationError(QStringLiteral("%1: unknown error").arg(what));
    }
}

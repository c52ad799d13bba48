#include "LibreOfficeCall.h"

#include "Cancellation.h"
#include "LibreOfficeSession.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QThread>
#include <QTimer>

#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/RuntimeException.hpp>
#include <cppu/unotype.hxx>
#include <cppuhelper/exc_hlp.hxx>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <thread>

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
constexpr auto kWaitSlice = std::chrono::milliseconds(20);
} // namespace

void SetOfficeWaitProcessesEvents(bool processEvents) noexcept
{
    gWaitProcessesEvents.store(processEvents);
}

void runInOffice(LibreOfficeSession &session, const QString &what, std::chrono::milliseconds limit, Cancel cancel,
                 const std::function<void()> &work)
{
    if (session.isBusy())
        throw AutomationError(QStringLiteral("%1: the word processor is still busy with other work.").arg(what));
    const bool honourCancel = cancel == Cancel::Honoured;
    if (honourCancel && RunCancelRequested())
        throw AutomationCancelled(QStringLiteral("%1: cancelled.").arg(what));
    if (limit.count() <= 0)
        limit = session.callLimit();

    struct Shared
    {
        std::mutex mutex;
        std::condition_variable finished;
        bool done = false;
    };
    auto shared = std::make_shared<Shared>();
    QCoreApplication *application = QCoreApplication::instance();
    const bool processEvents = gWaitProcessesEvents.load() && application
                               && QThread::currentThread() == application->thread() && !QCoreApplication::closingDown();
    QEventLoop loop;
    session.beginCall(limit);
    std::thread worker([&work, &loop, shared, processEvents] {
        work();
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->done = true;
        shared->finished.notify_all();
        // The waiting loop ends as soon as the work is done, not at its next look.
        if (processEvents)
            QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });

    bool cancelled = false;
    bool timedOut = false;
    const auto started = std::chrono::steady_clock::now();
    // Cancelling or running out of time stops the office: the call then returns at once, failed.
    const auto watch = [&] {
        if (honourCancel && !cancelled && !timedOut && RunCancelRequested()) {
            cancelled = true;
            session.abort();
        }
        if (!cancelled && !timedOut && limit.count() > 0 && std::chrono::steady_clock::now() - started >= limit) {
            timedOut = true;
            session.abort();
        }
    };
    const auto isDone = [&] {
        std::lock_guard<std::mutex> lock(shared->mutex);
        return shared->done;
    };

    if (processEvents) {
        QTimer timer;
        timer.setInterval(kWaitSlice);
        QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
            watch();
            if (isDone())
                loop.quit();
        });
        timer.start();
        if (!isDone())
            loop.exec();
    }
    // Without events to process, or once the program's end made the event loop return early.
    {
        std::unique_lock<std::mutex> lock(shared->mutex);
        while (!shared->done) {
            shared->finished.wait_for(lock, kWaitSlice);
            if (shared->done)
                break;
            lock.unlock();
            watch();
            lock.lock();
        }
    }
    worker.join();
    session.endCall();

    if (cancelled)
        throw AutomationCancelled(QStringLiteral("%1: cancelled.").arg(what));
    if (timedOut)
        throw WordProcessorLost(QStringLiteral("%1: the word processor did not answer within %2 seconds and was "
                                               "stopped")
                                    .arg(what)
                                    .arg(limit.count() / 1000.0));
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
        if (session.timedOut())
            throwLost(QStringLiteral("The word processor did not answer within %1 seconds and was stopped.")
                          .arg(session.callLimit().count() / 1000.0),
                      technical);
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

#pragma once

// Helpers shared by the LibreOffice backend: text conversion between Qt and UNO, and the one
// place where the office's exceptions become AutomationError with a description.

#include "WordAutomation.h"

#include <QString>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <rtl/ustring.hxx>

#include <chrono>
#include <exception>
#include <functional>
#include <initializer_list>
#include <optional>
#include <type_traits>
#include <utility>

using rtl::OUString;

class LibreOfficeSession;

OUString toOUString(const QString &text);
QString toQString(const OUString &text);

/// The named arguments that the office's calls take, e.g. {{"FilterName", Any(name)}}.
css::uno::Sequence<css::beans::PropertyValue>
propertyList(std::initializer_list<std::pair<const char *, css::uno::Any>> properties);

/// What the user learns of a call that went past \a limit and had the office stopped.
QString overdueSentence(std::chrono::milliseconds limit);

/// Turns the exception being handled into AutomationError, the description starting with \a what.
/// When the office itself has gone away, throws WordProcessorLost and marks \a session dead, so
/// that the next instance starts a fresh office. Call only from a catch block.
[[noreturn]] void rethrowAsAutomationError(LibreOfficeSession &session, const QString &what);

/// Runs \a work, which talks to the office, on the session's own thread while this thread waits; calls
/// into one session run one after the other, in the order they came. Meanwhile the windows stay alive
/// (on the program's main thread, events are processed once the call takes more than moments), a
/// cancellation asked for (RequestRunCancel, or the program's end) stops the office and throws
/// AutomationCancelled, and a call that takes longer than \a limit (0: the session's limit) stops the
/// office and throws WordProcessorLost. Whatever \a work throws is left to it: it must not throw. With
/// Cancel::Ignored, a cancellation does not stop this call (for the short checks that shutting down
/// needs). Called from within \a work, it runs the inner work at once, under the outer call's limit.
enum class Cancel { Honoured, Ignored };
void runInOffice(LibreOfficeSession &session, const QString &what, std::chrono::milliseconds limit, Cancel cancel,
                 const std::function<void()> &work);

/// Whether waiting for the office processes the program's events; on by default. Off while the
/// program shuts down, when no window may run any more.
void SetOfficeWaitProcessesEvents(bool processEvents) noexcept;
/// Whether a wait for the office on this thread, now, lets the program's events run: on the main thread
/// only, and not while the program shuts down or an OfficeWaitWithoutEvents lives.
bool OfficeWaitMayProcessEvents() noexcept;

/// While one lives, this thread's calls into the office are waited for without processing events: for
/// short work the window does between its events, where no click may reach the office meanwhile.
class OfficeWaitWithoutEvents final
{
public:
    OfficeWaitWithoutEvents();
    ~OfficeWaitWithoutEvents();
    OfficeWaitWithoutEvents(const OfficeWaitWithoutEvents &) = delete;
    OfficeWaitWithoutEvents &operator=(const OfficeWaitWithoutEvents &) = delete;
};

/// Runs \a call, which talks to the office (see runInOffice); every failure leaves as AutomationError,
/// WordProcessorLost when the office went away or did not answer in time.
template<typename Call>
auto officeCall(LibreOfficeSession &session, const QString &what, Call &&call,
                std::chrono::milliseconds limit = std::chrono::milliseconds(0)) -> decltype(call())
{
    using Result = decltype(call());
    std::exception_ptr error;
    const auto rethrow = [&] {
        try {
            std::rethrow_exception(error);
        } catch (...) {
            rethrowAsAutomationError(session, what);
        }
    };
    if constexpr (std::is_void_v<Result>) {
        runInOffice(session, what, limit, Cancel::Honoured, [&] {
            try {
                call();
            } catch (...) {
                error = std::current_exception();
            }
        });
        if (error)
            rethrow();
    } else {
        std::optional<Result> result;
        runInOffice(session, what, limit, Cancel::Honoured, [&] {
            try {
                result.emplace(call());
            } catch (...) {
                error = std::current_exception();
            }
        });
        if (error)
            rethrow();
        return std::move(*result);
    }
}

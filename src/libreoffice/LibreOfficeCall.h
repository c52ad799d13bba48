#pragma once

// Helpers shared by the LibreOffice backend: text conversion between Qt and UNO, and the one
// place where the office's exceptions become AutomationError with a description.

#include "WordAutomation.h"

#include <QString>

#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/uno/Any.hxx>
#include <com/sun/star/uno/Sequence.hxx>
#include <rtl/ustring.hxx>

#include <initializer_list>
#include <utility>

using rtl::OUString;

class LibreOfficeSession;

OUString toOUString(const QString &text);
QString toQString(const OUString &text);

/// The named arguments that the office's calls take, e.g. {{"FilterName", Any(name)}}.
css::uno::Sequence<css::beans::PropertyValue>
propertyList(std::initializer_list<std::pair<const char *, css::uno::Any>> properties);

/// Turns the exception being handled into AutomationError, the description starting with \a what.
/// When the office itself has gone away, throws WordProcessorLost and marks \a session dead, so
/// that the next instance starts a fresh office. Call only from a catch block.
[[noreturn]] void rethrowAsAutomationError(LibreOfficeSession &session, const QString &what);

/// Brackets a call into the office for the session's call limit.
void beginOfficeCall(LibreOfficeSession &session) noexcept;
void endOfficeCall(LibreOfficeSession &session) noexcept;

/// Runs \a call, which talks to the office; every failure leaves as AutomationError. A call that
/// does not return within the session's call limit fails with WordProcessorLost.
template<typename Call>
auto officeCall(LibreOfficeSession &session, const QString &what, Call &&call) -> decltype(call())
{
    struct Bracket
    {
        LibreOfficeSession &session;
        explicit Bracket(LibreOfficeSession &s)
            : session(s)
        {
            beginOfficeCall(session);
        }
        ~Bracket() { endOfficeCall(session); }
    } bracket(session);
    try {
        return call();
    } catch (...) {
        rethrowAsAutomationError(session, what);
    }
}

#include "LibreOfficeCall.h"

#include "LibreOfficeSession.h"

#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/uno/Exception.hpp>
#include <cppu/unotype.hxx>
#include <cppuhelper/exc_hlp.hxx>

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

void beginOfficeCall(LibreOfficeSession &session) noexcept
{
    session.beginCall();
}

void endOfficeCall(LibreOfficeSession &session) noexcept
{
    session.endCall();
}

void rethrowAsAutomationError(LibreOfficeSession &session, const QString &what)
{
    try {
        throw;
    } catch (const AutomationError &) {
        throw;
    } catch (const css::lang::DisposedException &error) {
        // A closed document says "disposed" too; only a dead office is reported as one.
        if (session.timedOut())
            throw WordProcessorLost(QStringLiteral("%1: the word processor did not answer within %2 seconds and was "
                                                   "stopped")
                                        .arg(what)
                                        .arg(session.callLimit().count() / 1000.0));
        if (!session.checkAlive())
            throw WordProcessorLost(
                QStringLiteral("%1: the word processor has stopped running (%2)").arg(what, toQString(error.Message)));
        throw AutomationError(
            QStringLiteral("%1: the object is no longer available (%2)").arg(what, toQString(error.Message)));
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

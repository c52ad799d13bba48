#pragma once

#include <exception>

class QString;

/// The support address every error report asks the user to write to.
inline constexpr char kSupportAddress[] = "support@kestravel.example";

/// The text of an error report: description, CR LF, location and line, CR CR, the support sentence.
QString ComposeErrorReport(const QString &description, const QString &location, int line);

/// Shows the modal "Application Error" report of a failed step and returns when the user closed it.
void ApplicationErrorReport(const QString &description, const QString &location, int line);

/// Tells the user in a message box that \a what, something they asked for, failed, and why
/// ("<what> failed." and the description of \a error), and logs it. Never throws.
void TellFailure(const QString &what, std::exception_ptr error) noexcept;

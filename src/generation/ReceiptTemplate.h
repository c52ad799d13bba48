#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QLocale;

/// Where the Word 97-2003 receipt template lies among the program's compiled-in resources: on US
/// Letter paper, and the same on A4.
inline constexpr char kReceiptTemplateResource[] = ":/templates/template.dot";
inline constexpr char kReceiptTemplateA4Resource[] = ":/templates/template-a4.dot";

/// The paper the built-in template is laid out on.
enum class Paper {
    Letter,
    A4,
};

/// The bytes of the receipt template that the program carries (on Letter paper). Throws Failure when
/// the program was built without it.
QByteArray ReceiptTemplateBytes();
/// The built-in template on \a paper. Throws Failure.
QByteArray BuiltInTemplateBytes(Paper paper);

/// The paper of the country of \a locale: Letter where it is the custom (the United States, Canada
/// and the other countries of the Americas that use it, and wherever US measures are used), A4
/// everywhere else.
Paper LocalPaper(const QLocale &locale);
/// The paper of the user's own locale (QLocale()).
Paper LocalPaper();

/// "a4" or "letter", as the command line and the settings write it.
QString PaperName(Paper paper);
/// The paper called \a name ("a4", "letter", case ignored); none for anything else.
std::optional<Paper> PaperNamed(const QString &name);

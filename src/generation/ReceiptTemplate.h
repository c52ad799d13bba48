#pragma once

#include <QByteArray>

/// Where the Word 97-2003 receipt template lies among the program's compiled-in resources.
inline constexpr char kReceiptTemplateResource[] = ":/templates/template.dot";

/// The bytes of the receipt template that the program carries. Throws Failure when the program
/// was built without it.
QByteArray ReceiptTemplateBytes();

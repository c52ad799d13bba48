#pragma once

#include <QString>

/// The six-letter word every generated document's name starts with.
inline constexpr char kDocumentPrefix[] = "ticket";

/// One random digit from 1 to 9, from a source nobody can predict.
int RandomNameDigit();

/// True for a name of that form (with or without ".doc").
bool IsDocumentName(const QString &name);

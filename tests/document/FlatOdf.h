#pragma once

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

/// Small flat OpenDocument texts for the model's tests, and the text as an office reads it back.
namespace FlatOdf {

/// A whole flat OpenDocument text with \a body as its main text; \a head (styles and the like) goes
/// before the body.
QByteArray document(const QByteArray &body, const QByteArray &head = {});

/// The text of \a paragraph as an office reads it: blanks, tabs and line feeds in text collapse into one
/// blank, which is dropped at the start of the paragraph and after another one; text:s, text:tab and
/// text:line-break are characters of their own; notes, frames and annotations are no part of the text.
QString readerText(const pugi::xml_node &paragraph);

/// The markup inside \a node, as it would be written.
QString innerXml(const pugi::xml_node &node);

} // namespace FlatOdf

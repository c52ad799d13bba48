#pragma once

#include <QString>

#include <atomic>
#include <pugixml.hpp>
#include <unordered_set>
#include <vector>

/// The nodes that literal fills put into a document. Their text is never searched again, so a value
/// that reads like a placeholder stays as it was typed.
using OdfFilledNodes = std::unordered_set<pugi::xml_node_struct *>;

/// The text of the paragraphs of an OpenDocument text, read and edited as a reader sees it: a run of
/// n blanks (text:s) is n blanks, a tab and a line break one character each; spans and other inline
/// elements only carry formatting. Positions are in UTF-16 units of that text.
namespace OdfText {

/// How many nodes the walks over documents (paragraphs, tables) have stepped through in this program.
/// A run's work shows in it: a step that walks the whole document for every receipt makes it grow
/// with the square of the receipts, where it should grow with their number.
inline std::atomic<quint64> walkedNodes{0};

/// Stands for a character of a filled node: nothing searched for ever contains it.
inline constexpr char16_t kFilled = 0xFFFF;

/// A piece of a paragraph's text: a text node, a run of blanks, a tab or a line break.
struct Leaf
{
    pugi::xml_node node;
    qsizetype start = 0;
    qsizetype length = 0;
};

bool isParagraph(const pugi::xml_node &node);

/// The text of \a paragraph; characters of nodes in \a filled read as kFilled. With \a leaves, also
/// where each piece of it stands.
QString read(const pugi::xml_node &paragraph, const OdfFilledNodes *filled = nullptr,
             std::vector<Leaf> *leaves = nullptr);

/// Calls \a visit for every paragraph under \a scope in document order, tables' cells included.
/// Notes, frames and annotations hold text of their own and are left out.
template<typename Visit>
void forEachParagraph(const pugi::xml_node &scope, Visit &&visit);

/// Replaces \a length characters from \a start with \a value, which takes the formatting of the
/// first replaced character. Returns the nodes that hold the value (they are not marked filled).
std::vector<pugi::xml_node> replace(const pugi::xml_node &paragraph, qsizetype start, qsizetype length,
                                    const QString &value, OdfFilledNodes *filled = nullptr);

/// Splits \a paragraph at \a position: a new paragraph with the same style, right after it, takes
/// the text from there on. Returns the new paragraph.
pugi::xml_node split(const pugi::xml_node &paragraph, qsizetype position, OdfFilledNodes *filled = nullptr);

/// \a value without the characters that no document can hold: control characters other than tab
/// and line breaks, unpaired surrogates and the non-characters U+FFFE and U+FFFF.
QString storable(const QString &value);

/// Whether \a node holds text of its own that is not the paragraph's (a note, a frame, ...).
bool isOpaque(const pugi::xml_node &node);

/// How many characters of text the piece \a node is (0 for anything but a piece).
qsizetype length(const pugi::xml_node &node);

} // namespace OdfText

template<typename Visit>
void OdfText::forEachParagraph(const pugi::xml_node &scope, Visit &&visit)
{
    for (pugi::xml_node child = scope.first_child(); child; child = child.next_sibling()) {
        walkedNodes.fetch_add(1, std::memory_order_relaxed);
        if (child.type() != pugi::node_element || isOpaque(child))
            continue;
        if (isParagraph(child))
            visit(child);
        else
            forEachParagraph(child, visit);
    }
}

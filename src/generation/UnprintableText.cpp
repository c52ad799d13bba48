#include "UnprintableText.h"

#include "FontCoverage.h"

#include <QChar>
#include <QHash>

#include <array>

namespace {
// A message names this many receipts and counts the rest.
constexpr qsizetype kNamedOwners = 5;

constexpr char kCjkFonts[] = "fonts-noto-cjk";
constexpr char kEmojiFonts[] = "fonts-noto-color-emoji";
// Noto's fonts for the scripts of living languages, other than Chinese, Japanese and Korean.
constexpr char kCoreFonts[] = "fonts-noto-core";

struct ScriptName
{
    QChar::Script script;
    const char *name;
};

// Scripts by the name people know their text by; the package for them all is fonts-noto-core unless
// the kind says otherwise.
constexpr ScriptName kScriptNames[] = {
    {QChar::Script_Latin, "Latin"},
    {QChar::Script_Greek, "Greek"},
    {QChar::Script_Cyrillic, "Cyrillic"},
    {QChar::Script_Armenian, "Armenian"},
    {QChar::Script_Hebrew, "Hebrew"},
    {QChar::Script_Arabic, "Arabic"},
    {QChar::Script_Syriac, "Syriac"},
    {QChar::Script_Thaana, "Thaana"},
    {QChar::Script_Nko, "N'Ko"},
    {QChar::Script_Devanagari, "Devanagari"},
    {QChar::Script_Bengali, "Bengali"},
    {QChar::Script_Gurmukhi, "Gurmukhi"},
    {QChar::Script_Gujarati, "Gujarati"},
    {QChar::Script_Oriya, "Odia"},
    {QChar::Script_Tamil, "Tamil"},
    {QChar::Script_Telugu, "Telugu"},
    {QChar::Script_Kannada, "Kannada"},
    {QChar::Script_Malayalam, "Malayalam"},
    {QChar::Script_Sinhala, "Sinhala"},
    {QChar::Script_Thai, "Thai"},
    {QChar::Script_Lao, "Lao"},
    {QChar::Script_Tibetan, "Tibetan"},
    {QChar::Script_Myanmar, "Myanmar"},
    {QChar::Script_Georgian, "Georgian"},
    {QChar::Script_Ethiopic, "Ethiopic"},
    {QChar::Script_Cherokee, "Cherokee"},
    {QChar::Script_Khmer, "Khmer"},
    {QChar::Script_Mongolian, "Mongolian"},
    {QChar::Script_Han, "Chinese"},
    {QChar::Script_Bopomofo, "Chinese"},
    {QChar::Script_Hiragana, "Japanese"},
    {QChar::Script_Katakana, "Japanese"},
    {QChar::Script_Hangul, "Korean"},
    {QChar::Script_Javanese, "Javanese"},
    {QChar::Script_Balinese, "Balinese"},
    {QChar::Script_Tifinagh, "Tifinagh"},
    {QChar::Script_Vai, "Vai"},
    {QChar::Script_OlChiki, "Ol Chiki"},
    {QChar::Script_CanadianAboriginal, "Canadian Aboriginal syllabic"},
};

bool isCjk(QChar::Script script)
{
    return script == QChar::Script_Han || script == QChar::Script_Bopomofo || script == QChar::Script_Hiragana
           || script == QChar::Script_Katakana || script == QChar::Script_Hangul;
}

bool isEmoji(char32_t c)
{
    // Pictographs, emoticons, transport and map symbols, the supplemental symbols and the regional
    // indicators; the older miscellaneous symbols and dingbats that emoji fonts draw in colour.
    return (c >= 0x1F000 && c <= 0x1FAFF) || (c >= 0x2600 && c <= 0x27BF);
}

// Code points that are no visible text of their own: nothing for a font to draw.
bool isLookedAt(char32_t c)
{
    if ((c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF))
        return false; // variation selectors: they choose a form of the character before them
    switch (QChar::category(c)) {
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
        return false;
    default:
        return true;
    }
}

// The group a character that cannot be drawn belongs to.
UnprintableScript groupOf(char32_t c)
{
    if (isEmoji(c))
        return {QStringLiteral("emoji"), true, QLatin1String(kEmojiFonts), {}};
    const auto script = QChar::Script(QChar::script(c));
    if (script == QChar::Script_Common || script == QChar::Script_Inherited)
        return {QStringLiteral("symbols"), true, QLatin1String(kCoreFonts), {}};
    for (const ScriptName &known : kScriptNames) {
        if (known.script == script)
            return {QStringLiteral("%1 text").arg(QLatin1String(known.name)),
                    false,
                    QLatin1String(isCjk(script) ? kCjkFonts : kCoreFonts),
                    {}};
    }
    return {
        QStringLiteral("characters such as U+%1").arg(QString::number(uint(c), 16).toUpper().rightJustified(4, u'0')),
        true,
        QLatin1String(kCoreFonts),
        {}};
}

// What gathers characters into one group: the name of their text, or their script when it has none here.
QString groupKey(char32_t c)
{
    const UnprintableScript group = groupOf(c);
    if (group.what.startsWith(QLatin1String("characters")))
        return QStringLiteral("script %1").arg(QChar::script(c));
    return group.what;
}

QString listed(const QList<int> &owners)
{
    const qsizetype named = owners.size() > kNamedOwners + 1 ? kNamedOwners : owners.size();
    QStringList numbers;
    for (qsizetype i = 0; i < named; ++i)
        numbers.append(QString::number(owners.at(i)));
    if (named < owners.size())
        return QStringLiteral("%1 and %2 more").arg(numbers.join(QStringLiteral(", "))).arg(owners.size() - named);
    if (numbers.size() == 1)
        return numbers.constFirst();
    const QString last = numbers.takeLast();
    return QStringLiteral("%1 and %2").arg(numbers.join(QStringLiteral(", ")), last);
}
} // namespace

QList<UnprintableScript> FindUnprintableText(const QList<ReceiptRecord> &records, const FontCoverage &coverage,
                                             const QList<int> &numbers)
{
    QList<UnprintableScript> found;
    QHash<QString, qsizetype> groups; // group key -> index in found
    // Each character is judged once; the common ones, Latin letters and digits, from a table.
    QHash<char32_t, bool> drawable;
    std::array<signed char, 128> asciiDrawable;
    asciiDrawable.fill(-1);
    const auto canDraw = [&](char32_t c) {
        if (c < asciiDrawable.size()) {
            signed char &known = asciiDrawable[c];
            if (known < 0)
                known = !isLookedAt(c) || coverage.canDraw(c) ? 1 : 0;
            return known == 1;
        }
        auto known = drawable.find(c);
        if (known == drawable.end())
            known = drawable.insert(c, !isLookedAt(c) || coverage.canDraw(c));
        return *known;
    };
    for (qsizetype r = 0; r < records.size(); ++r) {
        const int owner = r < numbers.size() ? numbers.at(r) : int(r + 1);
        for (const QString &field : records.at(r).fields) {
            for (qsizetype i = 0; i < field.size(); ++i) {
                char32_t c = field.at(i).unicode();
                if (QChar::isHighSurrogate(c) && i + 1 < field.size() && field.at(i + 1).isLowSurrogate()) {
                    c = QChar::surrogateToUcs4(field.at(i).unicode(), field.at(i + 1).unicode());
                    ++i;
                }
                if (canDraw(c))
                    continue;
                const QString key = groupKey(c);
                auto group = groups.find(key);
                if (group == groups.end()) {
                    group = groups.insert(key, found.size());
                    found.append(groupOf(c));
                }
                QList<int> &owners = found[*group].owners;
                if (owners.isEmpty() || owners.constLast() != owner)
                    owners.append(owner);
            }
        }
    }
    return found;
}

QStringList UnprintableTextWarnings(const QList<UnprintableScript> &found, const QString &one, const QString &many)
{
    QStringList warnings;
    for (const UnprintableScript &script : found) {
        const bool several = script.owners.size() > 1;
        warnings.append(QStringLiteral("%1 %2 %3 %4, but no font for %5 is installed; %6 would print as empty "
                                       "boxes. Install the package %7.")
                            .arg(several ? many : one, listed(script.owners),
                                 several ? QStringLiteral("hold") : QStringLiteral("holds"), script.what,
                                 script.plural ? QStringLiteral("them") : QStringLiteral("it"),
                                 script.plural ? QStringLiteral("they") : QStringLiteral("it"), script.package));
    }
    return warnings;
}

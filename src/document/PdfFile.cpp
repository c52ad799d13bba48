#include "PdfFile.h"

#include "Inflate.h"

#include <QList>
#include <QMap>
#include <QSet>

#include <algorithm>

namespace {
// The end marker stands in the last bytes of the file, maybe followed by a line end or two.
constexpr qsizetype kTail = 1024;
// One cross-reference entry: ten digits of offset, five of generation, the kind and a two-byte line end.
constexpr qsizetype kXrefEntrySize = 20;

bool isSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

qsizetype skipSpace(QByteArrayView bytes, qsizetype at)
{
    while (at < bytes.size() && isSpace(bytes[at]))
        ++at;
    return at;
}

// Reads the unsigned number at \a at (after blanks); -1 when there is none. Moves \a at past it.
qint64 number(QByteArrayView bytes, qsizetype &at)
{
    at = skipSpace(bytes, at);
    qint64 value = -1;
    while (at < bytes.size() && bytes[at] >= '0' && bytes[at] <= '9' && value < (qint64(1) << 40))
        value = qMax<qint64>(value, 0) * 10 + (bytes[at++] - '0');
    return value;
}

bool keywordAt(QByteArrayView bytes, qsizetype &at, QByteArrayView keyword)
{
    at = skipSpace(bytes, at);
    if (!bytes.sliced(at).startsWith(keyword))
        return false;
    at += keyword.size();
    return true;
}

// Whether \a data is a whole zlib stream: it inflates to its end, and its checksum matches.
bool inflates(QByteArrayView data)
{
    return Inflate(data, false).whole;
}

// Where the name \a name stands in \a dictionary as a whole name ("/Length", not "/Length1"); -1 when nowhere.
qsizetype nameAt(QByteArrayView dictionary, QByteArrayView name)
{
    for (qsizetype at = dictionary.indexOf(name); at >= 0; at = dictionary.indexOf(name, at + 1)) {
        const qsizetype end = at + name.size();
        if (end == dictionary.size() || isSpace(dictionary[end]) || QByteArrayView("/<>[]()").contains(dictionary[end]))
            return at;
    }
    return -1;
}

// Where the keyword "stream" that ends \a object's dictionary stands, between \a from and \a to; -1 when
// the object has no stream. The word inside a name or a text of the dictionary does not count.
qsizetype streamKeyword(QByteArrayView object, qsizetype from, qsizetype to)
{
    for (qsizetype at = object.indexOf("stream", from); at >= 0 && at < to; at = object.indexOf("stream", at + 1)) {
        qsizetype before = at;
        while (before > from && isSpace(object[before - 1]))
            --before;
        const bool afterDictionary = before > from && object[before - 1] == '>';
        const bool lineFollows = at + 6 < object.size() && (object[at + 6] == '\r' || object[at + 6] == '\n');
        if (afterDictionary && lineFollows)
            return at;
    }
    return -1;
}

// Whether the stream of \a dictionary is compressed with zlib alone, so that it can be unpacked to test it.
bool flateOnly(QByteArrayView dictionary)
{
    const qsizetype key = nameAt(dictionary, "/Filter");
    if (key < 0)
        return false;
    const qsizetype at = skipSpace(dictionary, key + 7);
    return dictionary.sliced(at).startsWith("/FlateDecode");
}

class Reader
{
public:
    explicit Reader(QByteArrayView bytes)
        : mBytes(bytes)
    {}

    // Reads the cross-reference sections from \a at on, following each trailer's /Prev. The office
    // writes classic tables; a cross-reference stream is not read and counts as damage.
    QString readCrossReference(qsizetype at)
    {
        QSet<qsizetype> seen;
        while (at >= 0) {
            if (at >= mBytes.size() || seen.contains(at))
                return QStringLiteral("its cross-reference table is damaged");
            seen.insert(at);
            if (!keywordAt(mBytes, at, "xref"))
                return QStringLiteral("its cross-reference table is damaged");
            for (;;) {
                qsizetype after = at;
                if (keywordAt(mBytes, after, "trailer")) {
                    at = after;
                    break;
                }
                const qint64 first = number(mBytes, at);
                const qint64 count = number(mBytes, at);
                at = skipSpace(mBytes, at);
                if (first < 0 || count < 0 || count > (mBytes.size() - at) / kXrefEntrySize)
                    return QStringLiteral("its cross-reference table is damaged");
                for (qint64 i = 0; i < count; ++i, at += kXrefEntrySize) {
                    const QByteArrayView entry = mBytes.sliced(at, kXrefEntrySize);
                    const char kind = entry[17];
                    if ((kind != 'n' && kind != 'f') || entry[10] != ' ' || entry[16] != ' ')
                        return QStringLiteral("its cross-reference table is damaged");
                    // A later section (read first) wins over the earlier one it updates.
                    if (!mObjects.contains(first + i)) {
                        qsizetype digits = 0;
                        mObjects.insert(first + i, kind == 'n' ? qsizetype(number(entry, digits)) : -1);
                    }
                }
            }
            at = previousSection(at);
            if (at == -2)
                return QStringLiteral("its trailer is damaged");
        }
        return {};
    }

    // Checks every object the cross-reference table lists: it is where the table says, it ends before
    // the next, and its stream, if any, is whole.
    QString checkObjects(qsizetype end)
    {
        QList<qsizetype> starts;
        for (auto it = mObjects.cbegin(); it != mObjects.cend(); ++it) {
            if (it.value() >= 0)
                starts.append(it.value());
        }
        if (starts.isEmpty())
            return QStringLiteral("it holds no objects");
        starts.append(end);
        std::sort(starts.begin(), starts.end());
        for (auto it = mObjects.cbegin(); it != mObjects.cend(); ++it) {
            if (it.value() < 0)
                continue;
            const qsizetype start = it.value();
            if (start >= end)
                return QStringLiteral("the object %1 lies outside the file").arg(it.key());
            const qsizetype next = *std::upper_bound(starts.cbegin(), starts.cend(), start);
            if (!objectIntact(it.key(), mBytes.sliced(start, next - start)))
                return QStringLiteral("the object %1 is damaged").arg(it.key());
        }
        return {};
    }

private:
    // The offset of the section the trailer at \a at updates; -1 when none, -2 when the trailer is damaged.
    qsizetype previousSection(qsizetype at) const
    {
        const qsizetype open = mBytes.indexOf("<<", at);
        const qsizetype close = mBytes.indexOf("startxref", at);
        if (open < 0 || close < 0 || open > close)
            return -2;
        const QByteArrayView trailer = mBytes.sliced(open, close - open);
        const qsizetype prev = trailer.indexOf("/Prev");
        if (prev < 0)
            return -1;
        qsizetype from = prev + 5;
        const qint64 offset = number(trailer, from);
        return offset < 0 ? -2 : qsizetype(offset);
    }

    // The value of the object \a id when it is a plain number (as a stream's length often is); -1 otherwise.
    qint64 numberObject(qint64 id) const
    {
        const qsizetype start = mObjects.value(id, -1);
        if (start < 0)
            return -1;
        qsizetype at = start;
        if (number(mBytes, at) != id || number(mBytes, at) < 0 || !keywordAt(mBytes, at, "obj"))
            return -1;
        const qint64 value = number(mBytes, at);
        return keywordAt(mBytes, at, "endobj") ? value : -1;
    }

    // The stream length that \a dictionary gives, direct or as a reference; -1 when it gives none.
    qint64 streamLength(QByteArrayView dictionary) const
    {
        const qsizetype key = nameAt(dictionary, "/Length");
        if (key < 0)
            return -1;
        qsizetype at = key + 7;
        const qint64 value = number(dictionary, at);
        qsizetype reference = at;
        const qint64 generation = number(dictionary, reference);
        if (generation >= 0 && keywordAt(dictionary, reference, "R"))
            return numberObject(value);
        return value;
    }

    // Whether \a object is whole: object \a id where it should be, its stream, if any, complete.
    bool objectIntact(qint64 id, QByteArrayView object) const
    {
        qsizetype at = 0;
        if (number(object, at) != id || number(object, at) < 0 || !keywordAt(object, at, "obj"))
            return false;
        const qsizetype endObject = object.lastIndexOf("endobj");
        if (endObject < 0)
            return false;
        const qsizetype stream = streamKeyword(object, at, endObject);
        if (stream < 0)
            return true;
        // "stream" is followed by CR LF or LF, then the data, then a line end and "endstream".
        qsizetype data = stream + 6;
        if (data < object.size() && object[data] == '\r')
            ++data;
        if (data >= object.size() || object[data] != '\n')
            return false;
        ++data;
        const QByteArrayView dictionary = object.sliced(at, stream - at);
        const qint64 length = streamLength(dictionary);
        if (length < 0 || length > endObject - data)
            return false;
        qsizetype after = data + length;
        if (!keywordAt(object, after, "endstream"))
            return false;
        if (flateOnly(dictionary) && !inflates(object.sliced(data, length)))
            return false;
        return true;
    }

    QByteArrayView mBytes;
    // Object number to the offset of its start; -1 for a free one.
    QMap<qint64, qsizetype> mObjects;
};
} // namespace

QString PdfFile::problem(QByteArrayView bytes)
{
    if (!bytes.startsWith("%PDF-"))
        return QStringLiteral("it is not a PDF file");
    const QByteArrayView tail = bytes.last(qMin(kTail, bytes.size()));
    const qsizetype end = tail.lastIndexOf(QByteArrayView("%%EOF"));
    if (end < 0 || !tail.sliced(end + 5).trimmed().isEmpty())
        return QStringLiteral("it is cut short");
    const qsizetype pointer = tail.lastIndexOf(QByteArrayView("startxref"));
    if (pointer < 0)
        return QStringLiteral("its cross-reference table is missing");
    qsizetype at = pointer + 9;
    const qint64 table = number(tail, at);
    if (table < 0 || table >= bytes.size() - tail.size() + pointer)
        return QStringLiteral("its cross-reference table is damaged");

    Reader reader(bytes);
    QString problem = reader.readCrossReference(table);
    if (problem.isEmpty())
        problem = reader.checkObjects(table);
    return problem;
}

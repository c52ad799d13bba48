#include "PackageFile.h"

#include "Inflate.h"
#include "LittleEndian.h"

#include <QSet>

#include <cstdint>
#include <cstring>
#include <zlib.h>

namespace {
using LittleEndian::u16;
using LittleEndian::u32;

constexpr char kLocalHeader[] = "PK\x03\x04";
constexpr char kCentralHeader[] = "PK\x01\x02";
constexpr char kEndOfDirectory[] = "PK\x05\x06";
constexpr qsizetype kSignatureSize = 4;
constexpr qsizetype kLocalHeaderSize = 30;
constexpr qsizetype kCentralHeaderSize = 46;
constexpr qsizetype kEndOfDirectorySize = 22;
// The end record may be followed by a comment of at most this many bytes.
constexpr qsizetype kMaxComment = 0xFFFF;
// Sizes and offsets of this value are held in a zip64 record instead: never so for a document here.
constexpr std::uint32_t kZip64 = 0xFFFFFFFFu;

bool signatureAt(QByteArrayView bytes, qsizetype at, const char *signature)
{
    return at >= 0 && at + kSignatureSize <= bytes.size()
           && std::memcmp(bytes.data() + at, signature, kSignatureSize) == 0;
}

constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;

// Whether \a data, as compressed by \a method, unpacks to exactly \a size bytes whose CRC-32 is \a crc.
// A package whose writer ran out of disk may have its directory intact over entries of zeros; only
// unpacking the entries tells.
bool entryIntact(QByteArrayView data, std::uint16_t method, std::uint32_t crc, std::uint32_t size)
{
    if (method == kStored)
        return std::uint32_t(data.size()) == size
               && crc32_z(0, reinterpret_cast<const Bytef *>(data.data()), std::size_t(data.size())) == crc;
    if (method != kDeflated)
        return false;
    const Inflated unpacked = Inflate(data, true);
    return unpacked.whole && unpacked.trailing == 0 && unpacked.size == size && unpacked.crc == crc;
}

qsizetype endOfDirectory(QByteArrayView bytes)
{
    const qsizetype last = bytes.size() - kEndOfDirectorySize;
    const qsizetype first = qMax<qsizetype>(0, last - kMaxComment);
    for (qsizetype at = last; at >= first; --at) {
        // The comment that follows the record must end exactly with the file.
        if (signatureAt(bytes, at, kEndOfDirectory) && at + kEndOfDirectorySize + u16(bytes, at + 20) == bytes.size())
            return at;
    }
    return -1;
}
} // namespace

QString PackageFile::problem(QByteArrayView bytes, const QStringList &required)
{
    if (bytes.size() < kLocalHeaderSize + kEndOfDirectorySize || !signatureAt(bytes, 0, kLocalHeader))
        return QStringLiteral("it is not a zip package");
    const qsizetype end = endOfDirectory(bytes);
    if (end < 0)
        return QStringLiteral("it is cut short: its directory is missing");
    const std::uint16_t entries = u16(bytes, end + 10);
    const std::uint32_t directorySize = u32(bytes, end + 12);
    const std::uint32_t directoryOffset = u32(bytes, end + 16);
    if (directorySize == kZip64 || directoryOffset == kZip64)
        return QStringLiteral("it is too large");
    if (qsizetype(directoryOffset) + qsizetype(directorySize) > end)
        return QStringLiteral("its directory is broken");

    QSet<QString> names;
    qsizetype at = directoryOffset;
    for (int i = 0; i < entries; ++i) {
        if (at + kCentralHeaderSize > end || !signatureAt(bytes, at, kCentralHeader))
            return QStringLiteral("its directory is broken");
        const std::uint16_t method = u16(bytes, at + 10);
        const std::uint32_t crc = u32(bytes, at + 16);
        const std::uint32_t compressed = u32(bytes, at + 20);
        const std::uint32_t size = u32(bytes, at + 24);
        const qsizetype nameLength = u16(bytes, at + 28);
        const qsizetype entryLength = kCentralHeaderSize + nameLength + u16(bytes, at + 30) + u16(bytes, at + 32);
        const std::uint32_t local = u32(bytes, at + 42);
        if (at + entryLength > end)
            return QStringLiteral("its directory is broken");
        if (compressed == kZip64 || size == kZip64 || local == kZip64)
            return QStringLiteral("it is too large");
        const QString name = QString::fromUtf8(bytes.data() + at + kCentralHeaderSize, nameLength);
        // The entry's own header and data lie before the directory.
        const qsizetype data = qsizetype(local) + kLocalHeaderSize;
        if (data > directoryOffset || !signatureAt(bytes, local, kLocalHeader)
            || data + u16(bytes, local + 26) + u16(bytes, local + 28) + qsizetype(compressed) > directoryOffset)
            return QStringLiteral("the entry %1 is cut short").arg(name);
        const qsizetype start = data + u16(bytes, local + 26) + u16(bytes, local + 28);
        if (!entryIntact(bytes.sliced(start, compressed), method, crc, size))
            return QStringLiteral("the entry %1 is damaged").arg(name);
        names.insert(name);
        at += entryLength;
    }
    for (const QString &name : required) {
        if (!names.contains(name))
            return QStringLiteral("it holds no %1").arg(name);
    }
    return {};
}

QString PackageFile::mimeType(QByteArrayView bytes)
{
    static constexpr char kName[] = "mimetype";
    const qsizetype nameLength = qsizetype(sizeof kName) - 1;
    if (bytes.size() < kLocalHeaderSize + nameLength || !signatureAt(bytes, 0, kLocalHeader))
        return {};
    const bool stored = u16(bytes, 8) == 0;
    const qsizetype size = u32(bytes, 18);
    const qsizetype data = kLocalHeaderSize + u16(bytes, 26) + u16(bytes, 28);
    if (!stored || u16(bytes, 26) != nameLength || std::memcmp(bytes.data() + kLocalHeaderSize, kName, nameLength) != 0
        || data + size > bytes.size())
        return {};
    return QString::fromLatin1(bytes.data() + data, size);
}

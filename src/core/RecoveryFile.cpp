#include "RecoveryFile.h"

#include "CheckedFile.h"
#include "Failure.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>

namespace {
// A first line a person recognises in a text viewer, then the version, so a later program can tell
// its own files from older ones.
constexpr char kMagic[] = "Parvoline receipts\n";
constexpr qsizetype kMagicSize = sizeof(kMagic) - 1;
constexpr quint32 kVersion = 1;
constexpr qsizetype kHashSize = 32;
// magic, version, field count, record count, contents length, hash
constexpr qsizetype kHeaderSize = kMagicSize + 4 + 4 + 4 + 8 + kHashSize;
// A file larger than this is not one the program wrote for any list a person types or imports.
constexpr qint64 kMaxFileSize = qint64(1) << 32;

void putU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void putU64(QByteArray &out, quint64 value)
{
    char bytes[8];
    qToLittleEndian(value, bytes);
    out.append(bytes, 8);
}

RecoveryFile::Contents failed(const QString &error)
{
    return {{}, error};
}
} // namespace

QByteArray RecoveryFile::encode(const QList<ReceiptRecord> &records)
{
    qsizetype size = 0;
    for (const ReceiptRecord &record : records) {
        for (const QString &field : record.fields)
            size += 4 + 2 * field.size();
    }
    QByteArray contents;
    contents.reserve(size);
    for (const ReceiptRecord &record : records) {
        for (const QString &field : record.fields) {
            putU32(contents, quint32(field.size()));
            if constexpr (QSysInfo::ByteOrder == QSysInfo::LittleEndian) {
                contents.append(reinterpret_cast<const char *>(field.utf16()), 2 * field.size());
            } else {
                for (const QChar c : field) {
                    char bytes[2];
                    qToLittleEndian(c.unicode(), bytes);
                    contents.append(bytes, 2);
                }
            }
        }
    }

    QByteArray file;
    file.reserve(kHeaderSize + contents.size());
    file.append(kMagic, kMagicSize);
    putU32(file, kVersion);
    putU32(file, ReceiptRecord::kFieldCount);
    putU32(file, quint32(records.size()));
    putU64(file, quint64(contents.size()));
    file.append(QCryptographicHash::hash(contents, QCryptographicHash::Sha256));
    file.append(contents);
    return file;
}

RecoveryFile::Contents RecoveryFile::decode(const QByteArray &bytes)
{
    if (bytes.size() < kMagicSize || std::memcmp(bytes.constData(), kMagic, kMagicSize) != 0)
        return failed(QStringLiteral("it is not a list of receipts kept by this program"));
    if (bytes.size() < kHeaderSize)
        return failed(QStringLiteral("it ends within its header"));
    const char *at = bytes.constData() + kMagicSize;
    const quint32 version = qFromLittleEndian<quint32>(at);
    if (version != kVersion)
        return failed(QStringLiteral("it was kept by another version of the program (format %1)").arg(version));
    const quint32 fieldCount = qFromLittleEndian<quint32>(at + 4);
    const quint32 recordCount = qFromLittleEndian<quint32>(at + 8);
    const quint64 length = qFromLittleEndian<quint64>(at + 12);
    const QByteArrayView hash(at + 20, kHashSize);
    if (fieldCount != ReceiptRecord::kFieldCount)
        return failed(QStringLiteral("its receipts have %1 fields instead of %2")
                          .arg(fieldCount)
                          .arg(ReceiptRecord::kFieldCount));
    if (length != quint64(bytes.size() - kHeaderSize))
        return failed(QStringLiteral("it holds %1 bytes where its header promises %2")
                          .arg(bytes.size() - kHeaderSize)
                          .arg(length));
    const QByteArrayView contents(bytes.constData() + kHeaderSize, bytes.size() - kHeaderSize);
    if (QCryptographicHash::hash(contents, QCryptographicHash::Sha256) != hash)
        return failed(QStringLiteral("its contents do not match their checksum"));
    // Each field takes at least its four bytes of length: a count beyond that cannot be right.
    if (quint64(recordCount) * ReceiptRecord::kFieldCount * 4 > length)
        return failed(QStringLiteral("it promises more receipts than it holds"));

    Contents result;
    result.records.reserve(recordCount);
    const char *p = contents.data();
    const char *end = p + contents.size();
    for (quint32 r = 0; r < recordCount; ++r) {
        ReceiptRecord record;
        for (QString &field : record.fields) {
            if (end - p < 4)
                return failed(QStringLiteral("it ends within receipt %1").arg(r + 1));
            const quint32 units = qFromLittleEndian<quint32>(p);
            p += 4;
            if (quint64(end - p) < quint64(units) * 2)
                return failed(QStringLiteral("it ends within receipt %1").arg(r + 1));
            field.resize(qsizetype(units));
            QChar *target = field.data();
            for (quint32 i = 0; i < units; ++i)
                target[i] = QChar(qFromLittleEndian<quint16>(p + 2 * i));
            p += 2 * qsizetype(units);
        }
        result.records.append(std::move(record));
    }
    if (p != end)
        return failed(QStringLiteral("it holds more than its %1 receipts").arg(recordCount));
    return result;
}

RecoveryFile::Contents RecoveryFile::read(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    if (file.size() > kMaxFileSize)
        return failed(QStringLiteral("it is far larger than any list of receipts"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failed(file.errorString());
    return decode(bytes);
}

void RecoveryFile::write(const QString &path, const QList<ReceiptRecord> &records)
{
    if (records.isEmpty()) {
        if (!QFile::remove(path) && QFileInfo::exists(path))
            throw Failure(QStringLiteral("%1 could not be removed").arg(path));
        return;
    }
    WriteFileChecked(encode(records), path, CheckedFile::Mode::Replace, 0600u);
}

QString RecoveryFile::setAside(const QString &path, const QString &suffix)
{
    QString target = path + QLatin1Char('.') + suffix;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n) {
        if (n > 1000)
            return {};
        target = path + QLatin1Char('.') + suffix + QLatin1Char('-') + QString::number(n);
    }
    return QFile::rename(path, target) ? target : QString();
}

#include "Word97File.h"

#include <QSet>
#include <QString>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {
constexpr unsigned char kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kMaxRegular = 0xFFFFFFFAu;
constexpr int kHeaderFatEntries = 109;
constexpr std::uint16_t kWordIdent = 0xA5EC;

std::uint16_t u16(QByteArrayView bytes, qsizetype at)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data()) + at;
    return std::uint16_t(p[0] | (p[1] << 8));
}

std::uint32_t u32(QByteArrayView bytes, qsizetype at)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data()) + at;
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}

class CompoundFile
{
public:
    explicit CompoundFile(QByteArrayView bytes)
        : mBytes(bytes)
    {}

    QString check()
    {
        if (mBytes.size() < 512 || std::memcmp(mBytes.data(), kSignature, sizeof kSignature) != 0)
            return QStringLiteral("it is not a Word 97-2003 file");
        const std::uint16_t shift = u16(mBytes, 0x1E);
        if (shift != 9 && shift != 12)
            return QStringLiteral("its sector size is invalid");
        mSectorSize = qsizetype(1) << shift;
        mSectors = mBytes.size() / mSectorSize - 1;
        if (mSectors <= 0)
            return QStringLiteral("it is cut short");

        if (QString problem = readFat(); !problem.isEmpty())
            return problem;
        std::vector<std::uint32_t> directory;
        if (!chain(u32(mBytes, 0x30), directory))
            return QStringLiteral("its directory is broken");

        const qsizetype entriesPerSector = mSectorSize / 128;
        qsizetype wordStart = -1;
        qsizetype wordSize = 0;
        bool table = false;
        for (std::size_t s = 0; s < directory.size(); ++s) {
            for (qsizetype e = 0; e < entriesPerSector; ++e) {
                const qsizetype at = offset(directory[s]) + e * 128;
                const QString name = entryName(at);
                if (s == 0 && e == 0 && (name != QLatin1String("Root Entry") || mBytes[at + 0x42] != 5))
                    return QStringLiteral("its directory is broken");
                if (name == QLatin1String("WordDocument")) {
                    wordStart = u32(mBytes, at + 0x74);
                    wordSize = u32(mBytes, at + 0x78);
                } else if (name == QLatin1String("1Table") || name == QLatin1String("0Table")) {
                    table = true;
                }
            }
        }
        if (wordStart < 0 || !table)
            return QStringLiteral("its document streams are missing");
        // Small streams live in the mini stream; the main stream of a document never is one.
        if (wordSize < std::uint32_t(u32(mBytes, 0x38)))
            return QStringLiteral("its main document stream is too short");
        std::vector<std::uint32_t> word;
        if (!chain(std::uint32_t(wordStart), word) || qsizetype(word.size()) * mSectorSize < wordSize)
            return QStringLiteral("its main document stream is cut short");
        if (u16(mBytes, offset(word.front())) != kWordIdent)
            return QStringLiteral("its main document stream is damaged");
        return {};
    }

private:
    qsizetype offset(std::uint32_t sector) const { return (qsizetype(sector) + 1) * mSectorSize; }

    QString readFat()
    {
        const std::uint32_t fatSectors = u32(mBytes, 0x2C);
        std::vector<std::uint32_t> locations;
        for (int i = 0; i < kHeaderFatEntries && locations.size() < fatSectors; ++i)
            locations.push_back(u32(mBytes, 0x4C + 4 * i));
        // More allocation table than the header can list: the rest is listed in a chain of its own.
        std::uint32_t difat = u32(mBytes, 0x44);
        QSet<std::uint32_t> seen;
        while (locations.size() < fatSectors) {
            if (difat > kMaxRegular || qsizetype(difat) >= mSectors || seen.contains(difat))
                return QStringLiteral("its allocation table is broken");
            seen.insert(difat);
            const qsizetype at = offset(difat);
            const qsizetype perSector = mSectorSize / 4 - 1;
            for (qsizetype i = 0; i < perSector && locations.size() < fatSectors; ++i)
                locations.push_back(u32(mBytes, at + 4 * i));
            difat = u32(mBytes, at + 4 * perSector);
        }
        for (std::uint32_t location : locations) {
            if (location > kMaxRegular || qsizetype(location) >= mSectors)
                return QStringLiteral("its allocation table lies beyond its end");
            const qsizetype at = offset(location);
            for (qsizetype i = 0; i < mSectorSize / 4; ++i)
                mFat.push_back(u32(mBytes, at + 4 * i));
        }
        return {};
    }

    bool chain(std::uint32_t start, std::vector<std::uint32_t> &sectors) const
    {
        for (std::uint32_t sector = start; sector != kEndOfChain;) {
            if (sector > kMaxRegular || qsizetype(sector) >= mSectors || sector >= mFat.size()
                || sectors.size() > mFat.size())
                return false;
            sectors.push_back(sector);
            sector = mFat[sector];
        }
        return !sectors.empty();
    }

    QString entryName(qsizetype at) const
    {
        const std::uint16_t bytes = u16(mBytes, at + 0x40);
        if (bytes < 2 || bytes > 64)
            return {};
        QString name;
        for (qsizetype i = 0; i + 2 < bytes; i += 2)
            name.append(QChar(u16(mBytes, at + i)));
        return name;
    }

    QByteArrayView mBytes;
    qsizetype mSectorSize = 512;
    qsizetype mSectors = 0;
    std::vector<std::uint32_t> mFat;
};
} // namespace

QString Word97File::problem(QByteArrayView bytes)
{
    return CompoundFile(bytes).check();
}

#include "Word97File.h"

#include "LittleEndian.h"

#include <QSet>
#include <QString>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {
using LittleEndian::u16;
using LittleEndian::u32;

constexpr unsigned char kSignature[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kMaxRegular = 0xFFFFFFFAu;
constexpr std::uint32_t kNoEntry = 0xFFFFFFFFu;
constexpr int kHeaderFatEntries = 109;
constexpr qsizetype kDirectoryEntrySize = 128;
constexpr qsizetype kMiniSectorSize = 64;
constexpr std::uint8_t kStorage = 1;
constexpr std::uint8_t kStream = 2;
constexpr std::uint8_t kRoot = 5;
constexpr std::uint16_t kWordIdent = 0xA5EC;

qsizetype sectorsFor(quint64 size, qsizetype sectorSize)
{
    return qsizetype((size + quint64(sectorSize) - 1) / quint64(sectorSize));
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
        mUsed.assign(std::size_t(mSectors), false);
        mCutoff = u32(mBytes, 0x38);

        if (QString problem = readFat(); !problem.isEmpty())
            return problem;
        std::vector<std::uint32_t> directory;
        if (!chain(u32(mBytes, 0x30), directory) || !claim(directory))
            return QStringLiteral("its directory is broken");
        for (std::uint32_t sector : directory) {
            for (qsizetype at = offset(sector); at < offset(sector) + mSectorSize; at += kDirectoryEntrySize)
                mEntries.push_back(entry(at));
        }
        const Entry &root = mEntries.front();
        if (root.name != QLatin1String("Root Entry") || root.type != kRoot)
            return QStringLiteral("its directory is broken");
        if (!readMiniStream(root))
            return QStringLiteral("its small streams are broken");

        // Every stream a reader reaches from the root must be whole, and no two may share a sector: a
        // file that ends early, or in zeros, breaks one of them.
        const Entry *word = nullptr;
        bool table = false;
        std::vector<bool> seen(mEntries.size(), false);
        seen.front() = true;
        std::vector<std::pair<std::uint32_t, bool>> pending{{root.child, true}}; // entry, at the top level
        while (!pending.empty()) {
            const auto [id, top] = pending.back();
            pending.pop_back();
            if (id == kNoEntry)
                continue;
            if (id >= mEntries.size() || seen[id])
                return QStringLiteral("its directory is broken");
            seen[id] = true;
            const Entry &entry = mEntries[id];
            if (entry.name.isEmpty() || (entry.type != kStorage && entry.type != kStream))
                return QStringLiteral("its directory is broken");
            pending.push_back({entry.left, top});
            pending.push_back({entry.right, top});
            if (entry.type == kStorage) {
                pending.push_back({entry.child, false});
                continue;
            }
            if (!streamIsWhole(entry))
                return QStringLiteral("a stream of it is cut short");
            if (top && entry.name == QLatin1String("WordDocument"))
                word = &entry;
            else if (top && entry.size > 0
                     && (entry.name == QLatin1String("1Table") || entry.name == QLatin1String("0Table")))
                table = true;
        }
        if (!word || !table)
            return QStringLiteral("its document streams are missing");
        // Small streams live in the mini stream; the main stream of a document never is one.
        if (word->size < mCutoff)
            return QStringLiteral("its main document stream is too short");
        if (u16(mBytes, offset(word->start)) != kWordIdent)
            return QStringLiteral("its main document stream is damaged");
        return {};
    }

private:
    struct Entry
    {
        QString name;
        std::uint8_t type = 0;
        std::uint32_t left = kNoEntry;
        std::uint32_t right = kNoEntry;
        std::uint32_t child = kNoEntry;
        std::uint32_t start = kEndOfChain;
        quint64 size = 0;
    };

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
            if (difat > kMaxRegular || qsizetype(difat) >= mSectors || seen.contains(difat) || !claim({difat}))
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
            if (!claim({location}))
                return QStringLiteral("its allocation table is broken");
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

    // Marks \a sectors as taken; false when one of them already was.
    bool claim(const std::vector<std::uint32_t> &sectors)
    {
        for (std::uint32_t sector : sectors) {
            if (mUsed[sector])
                return false;
            mUsed[sector] = true;
        }
        return true;
    }

    // The mini stream, in the root's sectors, and the allocation table of its small sectors.
    bool readMiniStream(const Entry &root)
    {
        if (root.size == 0)
            return true;
        std::vector<std::uint32_t> container;
        if (!chain(root.start, container) || qsizetype(container.size()) != sectorsFor(root.size, mSectorSize)
            || !claim(container))
            return false;
        mMiniSectors = sectorsFor(root.size, kMiniSectorSize);
        std::vector<std::uint32_t> table;
        if (!chain(u32(mBytes, 0x3C), table) || !claim(table))
            return false;
        for (std::uint32_t sector : table) {
            for (qsizetype i = 0; i < mSectorSize / 4; ++i)
                mMiniFat.push_back(u32(mBytes, offset(sector) + 4 * i));
        }
        mMiniUsed.assign(std::size_t(mMiniSectors), false);
        return true;
    }

    bool streamIsWhole(const Entry &stream)
    {
        if (stream.size == 0)
            return stream.start > kMaxRegular;
        if (stream.size >= mCutoff) {
            std::vector<std::uint32_t> sectors;
            return chain(stream.start, sectors) && qsizetype(sectors.size()) == sectorsFor(stream.size, mSectorSize)
                   && claim(sectors);
        }
        qsizetype count = 0;
        for (std::uint32_t sector = stream.start; sector != kEndOfChain; sector = mMiniFat[sector]) {
            if (qsizetype(sector) >= mMiniSectors || sector >= mMiniFat.size() || mMiniUsed[sector])
                return false;
            mMiniUsed[sector] = true;
            ++count;
        }
        return count == sectorsFor(stream.size, kMiniSectorSize);
    }

    Entry entry(qsizetype at) const
    {
        Entry entry;
        const std::uint16_t bytes = u16(mBytes, at + 0x40);
        if (bytes >= 2 && bytes <= 64 && bytes % 2 == 0) {
            for (qsizetype i = 0; i + 2 < bytes; i += 2) {
                const std::uint16_t c = u16(mBytes, at + i);
                if (c == 0) {
                    entry.name.clear();
                    break;
                }
                entry.name.append(QChar(c));
            }
        }
        entry.type = std::uint8_t(mBytes[at + 0x42]);
        entry.left = u32(mBytes, at + 0x44);
        entry.right = u32(mBytes, at + 0x48);
        entry.child = u32(mBytes, at + 0x4C);
        entry.start = u32(mBytes, at + 0x74);
        // Files of 512-byte sectors keep only the low half of the size; the high half may be anything.
        entry.size = u32(mBytes, at + 0x78);
        if (mSectorSize > 512)
            entry.size |= quint64(u32(mBytes, at + 0x7C)) << 32;
        return entry;
    }

    QByteArrayView mBytes;
    qsizetype mSectorSize = 512;
    qsizetype mSectors = 0;
    quint64 mCutoff = 4096;
    std::vector<std::uint32_t> mFat;
    std::vector<bool> mUsed;
    std::vector<Entry> mEntries;
    qsizetype mMiniSectors = 0;
    std::vector<std::uint32_t> mMiniFat;
    std::vector<bool> mMiniUsed;
};
} // namespace

QString Word97File::problem(QByteArrayView bytes)
{
    return CompoundFile(bytes).check();
}

#include "ReceiptTemplate.h"
#include "TestMain.h"
#include "Word97File.h"

#include <QRandomGenerator>
#include <QTest>
#include <QtEndian>

namespace {
constexpr qsizetype kEntry = 128;

quint32 get32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The offset of \a sector, with 512-byte sectors after the 512-byte header.
qsizetype sectorAt(quint32 sector)
{
    return (qsizetype(sector) + 1) * 512;
}

// Where the directory entry named \a name lies in \a bytes; -1 when nowhere. The directory's sectors
// are followed through the first sector of the allocation table, which is all a small file has.
qsizetype entryAt(const QByteArray &bytes, const QString &name)
{
    const qsizetype fat = sectorAt(get32(bytes, 0x4C));
    for (quint32 sector = get32(bytes, 0x30); sector < 128; sector = get32(bytes, fat + 4 * sector)) {
        for (qsizetype at = sectorAt(sector); at < sectorAt(sector + 1); at += kEntry) {
            const int length = qFromLittleEndian<quint16>(bytes.constData() + at + 0x40);
            if (length == (name.size() + 1) * 2
                && QString::fromUtf16(reinterpret_cast<const char16_t *>(bytes.constData() + at), name.size()) == name)
                return at;
        }
    }
    return -1;
}

void put32(QByteArray &bytes, qsizetype at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

} // namespace

class TestWord97File : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void wholeFile();
    void cutShort();
    void tailOfZeros();
    void damaged_data();
    void damaged();
    void garbage_data();
    void garbage();

private:
    QByteArray mTemplate;
};

void TestWord97File::initTestCase()
{
    mTemplate = ReceiptTemplateBytes();
    QVERIFY(mTemplate.size() > 4096);
    // What the cases below rely on: a compound file of 512-byte sectors as the office writes it.
    QCOMPARE(mTemplate.left(8), QByteArray::fromHex("D0CF11E0A1B11AE1"));
    QCOMPARE(qFromLittleEndian<quint16>(mTemplate.constData() + 0x1E), quint16(9));
    QVERIFY(entryAt(mTemplate, QStringLiteral("WordDocument")) > 0);
    QVERIFY(entryAt(mTemplate, QStringLiteral("1Table")) > 0);
}

void TestWord97File::wholeFile()
{
    QCOMPARE(Word97File::problem(mTemplate), QString());
    // A file is whole also with bytes after its last sector, as some writers leave.
    QCOMPARE(Word97File::problem(mTemplate + QByteArray(100, '\0')), QString());
}

void TestWord97File::cutShort()
{
    for (qsizetype size = 0; size < mTemplate.size(); ++size) {
        const QString problem = Word97File::problem(QByteArrayView(mTemplate).first(size));
        if (problem.isEmpty())
            QFAIL(qPrintable(QStringLiteral("cut to %1 of %2 bytes, the file passes").arg(size).arg(mTemplate.size())));
    }
}

void TestWord97File::tailOfZeros()
{
    // As a full disk can leave the file: its full size, but zeros from some point on. Zeros that change
    // nothing but the free directory entries at the very end leave the file whole; every earlier point
    // damages what a reader needs.
    qsizetype lastNeeded = mTemplate.size() - 1;
    while (lastNeeded > 0) {
        const qsizetype entry = lastNeeded / kEntry * kEntry;
        const bool freeEntry = entry >= 512 && mTemplate.at(entry + 0x42) == 0 && mTemplate.at(entry + 0x40) == 0;
        if (!freeEntry && mTemplate.at(lastNeeded) != 0)
            break;
        --lastNeeded;
    }
    QVERIFY(lastNeeded > mTemplate.size() - 4 * kEntry);
    for (qsizetype from = 0; from <= lastNeeded; ++from) {
        QByteArray damaged = mTemplate;
        std::fill(damaged.begin() + from, damaged.end(), '\0');
        if (damaged == mTemplate)
            continue;
        if (Word97File::problem(damaged).isEmpty())
            QFAIL(qPrintable(
                QStringLiteral("zeros from byte %1 of %2, the file passes").arg(from).arg(mTemplate.size())));
    }
}

void TestWord97File::damaged_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray original = ReceiptTemplateBytes();
    const qsizetype word = entryAt(original, QStringLiteral("WordDocument"));
    const qsizetype table = entryAt(original, QStringLiteral("1Table"));
    const qsizetype root = entryAt(original, QStringLiteral("Root Entry"));
    const auto changed = [&](auto &&change) {
        QByteArray bytes = original;
        change(bytes);
        return bytes;
    };

    QTest::newRow("no signature") << changed([](QByteArray &b) { b[0] = 'X'; });
    QTest::newRow("sector size of 128") << changed([](QByteArray &b) { b[0x1E] = 7; });
    QTest::newRow("sector size of 4096 in a file of 512-byte sectors") << changed([](QByteArray &b) { b[0x1E] = 12; });
    QTest::newRow("allocation table beyond the end") << changed([](QByteArray &b) { put32(b, 0x4C, 0x10000); });
    QTest::newRow("allocation table free") << changed([](QByteArray &b) { put32(b, 0x4C, 0xFFFFFFFF); });
    QTest::newRow("more allocation table than there is") << changed([](QByteArray &b) { put32(b, 0x2C, 0xFFFFFFFF); });
    QTest::newRow("extra allocation table listed in a loop") << changed([](QByteArray &b) {
        put32(b, 0x2C, 200);
        put32(b, 0x44, 0);
    });
    QTest::newRow("directory beyond the end") << changed([](QByteArray &b) { put32(b, 0x30, 0x10000); });
    QTest::newRow("directory at the end of a chain") << changed([](QByteArray &b) { put32(b, 0x30, 0xFFFFFFFE); });
    QTest::newRow("directory in a loop") << changed([&](QByteArray &b) {
        const quint32 directory = get32(b, 0x30);
        put32(b, sectorAt(get32(b, 0x4C)) + 4 * directory, directory);
    });
    QTest::newRow("root entry renamed") << changed([&](QByteArray &b) { b[root] = 'r'; });
    QTest::newRow("root entry of the wrong kind") << changed([&](QByteArray &b) { b[root + 0x42] = 1; });
    QTest::newRow("no table stream") << changed([&](QByteArray &b) { b[table] = '2'; });
    QTest::newRow("no main stream") << changed([&](QByteArray &b) { b[word] = 'w'; });
    QTest::newRow("main stream beyond the end") << changed([&](QByteArray &b) { put32(b, word + 0x74, 0x10000); });
    QTest::newRow("main stream shorter than a regular stream")
        << changed([&](QByteArray &b) { put32(b, word + 0x78, 100); });
    QTest::newRow("main stream longer than its chain")
        << changed([&](QByteArray &b) { put32(b, word + 0x78, get32(b, word + 0x78) + 4096); });
    QTest::newRow("main stream not Word's") << changed([&](QByteArray &b) { b[sectorAt(get32(b, word + 0x74))] = 0; });
    QTest::newRow("main stream in a loop") << changed([&](QByteArray &b) {
        const quint32 start = get32(b, word + 0x74);
        put32(b, sectorAt(get32(b, 0x4C)) + 4 * (start + 2), start);
    });
    QTest::newRow("main stream sharing the directory's sectors") << changed([&](QByteArray &b) {
        const quint32 directory = get32(b, 0x30);
        b.replace(sectorAt(directory), 512, b.mid(sectorAt(get32(b, word + 0x74)), 512));
    });
    QTest::newRow("table stream empty") << changed([&](QByteArray &b) {
        put32(b, table + 0x74, 0xFFFFFFFE);
        put32(b, table + 0x78, 0);
    });
    QTest::newRow("table stream beyond the small streams")
        << changed([&](QByteArray &b) { put32(b, table + 0x74, 0x10000); });
    QTest::newRow("table stream longer than its chain")
        << changed([&](QByteArray &b) { put32(b, table + 0x78, get32(b, table + 0x78) + 640); });
    QTest::newRow("directory tree in a loop") << changed([&](QByteArray &b) { put32(b, root + 0x4C, 0); });
    QTest::newRow("directory tree pointing past its end")
        << changed([&](QByteArray &b) { put32(b, root + 0x4C, 5000); });
}

void TestWord97File::damaged()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(bytes != mTemplate);
    QVERIFY(!Word97File::problem(bytes).isEmpty());
}

void TestWord97File::garbage_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("empty") << QByteArray();
    QTest::newRow("signature only") << QByteArray::fromHex("D0CF11E0A1B11AE1");
    QTest::newRow("header only") << ReceiptTemplateBytes().left(512);
    QTest::newRow("zeros") << QByteArray(mTemplate.size(), '\0');
    QTest::newRow("text") << QByteArray("This is a plain text file, not a Word document.\n").repeated(300);
    QTest::newRow("a flat OpenDocument") << QByteArray("<?xml version=\"1.0\"?><office:document/>");
    QByteArray random(mTemplate.size(), '\0');
    QRandomGenerator generator(97);
    for (char &c : random)
        c = char(generator.bounded(256));
    QTest::newRow("random") << random;
    random.replace(0, 8, QByteArray::fromHex("D0CF11E0A1B11AE1"));
    QTest::newRow("random with the signature") << random;
    random[0x1E] = 9;
    random[0x1F] = 0;
    QTest::newRow("random with signature and sector size") << random;
    QByteArray randomBody = mTemplate.left(512) + random.mid(512);
    QTest::newRow("the template's header, random sectors") << randomBody;
}

void TestWord97File::garbage()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(!Word97File::problem(bytes).isEmpty());
}

PARVOLINE_TEST_GUILESS_MAIN(TestWord97File)
#include "tst_word97file.moc"

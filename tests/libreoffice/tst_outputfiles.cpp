// The checks that a package (.docx, .odt) or a PDF the office hands back is whole: damage that leaves
// the file's frame intact is refused too.

#include "PackageFile.h"
#include "PdfFile.h"
#include "TestMain.h"

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>
#include <QtEndian>

#include <functional>
#include <zlib.h>

namespace {
using Change = std::function<void(QByteArray &bytes)>;

void put16(QByteArray &bytes, quint16 value)
{
    char le[2];
    qToLittleEndian(value, le);
    bytes.append(le, 2);
}

void put32(QByteArray &bytes, quint32 value)
{
    char le[4];
    qToLittleEndian(value, le);
    bytes.append(le, 4);
}

QByteArray deflated(const QByteArray &data)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(qsizetype(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// A zip package of an uncompressed "mimetype" and a deflated "content.xml", as an OpenDocument file is.
QByteArray package()
{
    struct Entry
    {
        QByteArray name;
        QByteArray data;
        bool deflate;
    };
    const QByteArray content =
        QByteArray("<office:document-content>") + QByteArray(4000, 'r') + "</office:document-content>";
    const Entry entries[] = {{"mimetype", "application/vnd.oasis.opendocument.text", false},
                             {"content.xml", content, true}};
    QByteArray file;
    QByteArray directory;
    for (const Entry &entry : entries) {
        const QByteArray stored = entry.deflate ? deflated(entry.data) : entry.data;
        const quint32 crc =
            quint32(crc32(0, reinterpret_cast<const Bytef *>(entry.data.data()), uInt(entry.data.size())));
        const quint32 offset = quint32(file.size());
        const auto header = [&](QByteArray &out, bool central) {
            out.append(central ? "PK\x01\x02" : "PK\x03\x04", 4);
            if (central)
                put16(out, 20);
            put16(out, 20);
            put16(out, 0);
            put16(out, entry.deflate ? 8 : 0);
            put32(out, 0);
            put32(out, crc);
            put32(out, quint32(stored.size()));
            put32(out, quint32(entry.data.size()));
            put16(out, quint16(entry.name.size()));
            put16(out, 0);
            if (central) {
                put16(out, 0);
                put16(out, 0);
                put16(out, 0);
                put32(out, 0);
                put32(out, offset);
            }
            out.append(entry.name);
        };
        header(file, false);
        file.append(stored);
        header(directory, true);
    }
    const quint32 directoryOffset = quint32(file.size());
    file.append(directory);
    file.append("PK\x05\x06", 4);
    put16(file, 0);
    put16(file, 0);
    put16(file, 2);
    put16(file, 2);
    put32(file, quint32(directory.size()));
    put32(file, directoryOffset);
    put16(file, 0);
    return file;
}

// Where the data of the package's entry \a name begins: right after its name in its own header, the
// name's first appearance.
qsizetype entryData(const QByteArray &bytes, const QByteArray &name)
{
    return bytes.indexOf(name) + name.size();
}

// A PDF of two pages of text, written by Qt as the office writes one: classic cross-reference table,
// zlib-compressed page content.
QByteArray pdf()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    painter.drawText(100, 100, QStringLiteral("Receipt 1001"));
    writer.newPage();
    painter.drawText(100, 100, QStringLiteral("Receipt 1002"));
    painter.end();
    return buffer.data();
}

// Where the data of the first zlib-compressed stream begins.
qsizetype firstFlateStream(const QByteArray &bytes)
{
    const qsizetype filter = bytes.indexOf("/FlateDecode");
    return bytes.indexOf("stream\n", filter) + 7;
}
} // namespace

class TestOutputFiles : public QObject
{
    Q_OBJECT

private slots:
    void wholeFilesPass();
    void damagedPackage_data();
    void damagedPackage();
    void damagedPdf_data();
    void damagedPdf();
};

void TestOutputFiles::wholeFilesPass()
{
    QCOMPARE(PackageFile::problem(package(), {QStringLiteral("content.xml")}), QString());
    QCOMPARE(PdfFile::problem(pdf()), QString());
}

void TestOutputFiles::damagedPackage_data()
{
    QTest::addColumn<Change>("change");
    QTest::newRow("deflated entry filled with zeros") << Change([](QByteArray &b) {
        const qsizetype at = entryData(b, "content.xml");
        b.replace(at, 40, QByteArray(40, '\0'));
    });
    QTest::newRow("byte flipped in a deflated entry") << Change(
        [](QByteArray &b) { b[entryData(b, "content.xml") + 3] = char(b[entryData(b, "content.xml") + 3] ^ 0x10); });
    QTest::newRow("stored entry filled with zeros")
        << Change([](QByteArray &b) { b.replace(entryData(b, "mimetype"), 11, QByteArray(11, '\0')); });
    QTest::newRow("cut short") << Change([](QByteArray &b) { b.chop(10); });
}

void TestOutputFiles::damagedPackage()
{
    QFETCH(Change, change);
    QByteArray bytes = package();
    change(bytes);
    QVERIFY(!PackageFile::problem(bytes, {QStringLiteral("content.xml")}).isEmpty());
}

void TestOutputFiles::damagedPdf_data()
{
    QTest::addColumn<Change>("change");
    QTest::newRow("cut short") << Change([](QByteArray &b) { b.truncate(b.size() * 2 / 3); });
    QTest::newRow("cut short, end marker put back") << Change([](QByteArray &b) {
        const QByteArray tail = b.sliced(b.lastIndexOf("startxref"));
        b.truncate(b.size() / 2);
        b.append(tail);
    });
    QTest::newRow("byte flipped in compressed page content") << Change([](QByteArray &b) {
        const qsizetype at = firstFlateStream(b) + 5;
        b[at] = char(b[at] ^ 0x10);
    });
    QTest::newRow("compressed stream filled with zeros")
        << Change([](QByteArray &b) { b.replace(firstFlateStream(b), 16, QByteArray(16, '\0')); });
    QTest::newRow("object header damaged") << Change([](QByteArray &b) {
        const qsizetype at = b.indexOf(" 0 obj", b.indexOf(" 0 obj") + 1);
        b[at + 3] = 'x';
    });
    QTest::newRow("object moved off its place") << Change([](QByteArray &b) { b.insert(20, "  "); });
    QTest::newRow("cross-reference entry damaged") << Change([](QByteArray &b) { b[b.lastIndexOf(" n") + 1] = 'q'; });
}

void TestOutputFiles::damagedPdf()
{
    QFETCH(Change, change);
    QByteArray bytes = pdf();
    change(bytes);
    QVERIFY(!PdfFile::problem(bytes).isEmpty());
}

PARVOLINE_TEST_MAIN(TestOutputFiles)
#include "tst_outputfiles.moc"

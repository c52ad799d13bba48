// The checks that a package (.docx, .odt) or a PDF the office hands back is whole: damage that leaves
// the file's frame intact is refused too.

#include "PackageFile.h"
#include "PdfFile.h"
#include "TestMain.h"

#include <QBuffer>
#include <QDataStream>
#include <QPainter>
#include <QPdfWriter>
#include <QTest>

#include <functional>
#include <zlib.h>

namespace {
using Change = std::function<void(QByteArray &bytes)>;

QByteArray deflated(const QByteArray &data)
{
    z_stream stream{};
    deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(qsizetype(deflateBound(&stream, uLong(data.size()))), '\0');
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
    const QByteArray names[] = {"mimetype", "content.xml"};
    const QByteArray contents[] = {"application/vnd.oasis.opendocument.text",
                                   "<office:document-content>" + QByteArray(4000, 'r') + "</office:document-content>"};
    QByteArray file;
    QByteArray directory;
    QDataStream out(&file, QIODevice::WriteOnly);
    QDataStream central(&directory, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    central.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < 2; ++i) {
        const QByteArray stored = i == 0 ? contents[i] : deflated(contents[i]);
        const auto crc =
            quint32(crc32(0, reinterpret_cast<const Bytef *>(contents[i].data()), uInt(contents[i].size())));
        const quint32 offset = quint32(file.size());
        // Version, flags, method, time and date, CRC, sizes, name and extra lengths.
        const auto common = [&](QDataStream &to) {
            to << quint16(20) << quint16(0) << quint16(i == 0 ? 0 : 8) << quint32(0) << crc << quint32(stored.size())
               << quint32(contents[i].size()) << quint16(names[i].size()) << quint16(0);
        };
        out << quint32(0x04034b50);
        common(out);
        out.writeRawData(names[i].data(), int(names[i].size()));
        out.writeRawData(stored.data(), int(stored.size()));
        central << quint32(0x02014b50) << quint16(20);
        common(central);
        // Comment length, disk, attributes, where the entry's header is.
        central << quint16(0) << quint16(0) << quint16(0) << quint32(0) << offset;
        central.writeRawData(names[i].data(), int(names[i].size()));
    }
    const quint32 directoryOffset = quint32(file.size());
    out.writeRawData(directory.data(), int(directory.size()));
    out << quint32(0x06054b50) << quint16(0) << quint16(0) << quint16(2) << quint16(2) << quint32(directory.size())
        << directoryOffset << quint16(0);
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

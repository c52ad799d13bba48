#include "PictureBox.h"
#include "TestMain.h"

#include <QImage>
#include <QPainter>
#include <QTest>

namespace {
// Left half red, right half blue: shows where a stretched painting lands.
QImage twoColours(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    painter.fillRect(width / 2, 0, width - width / 2, height, Qt::blue);
    return image;
}

QRgb at(const QImage &image, int x, int y)
{
    return image.pixel(x, y) & 0xFFFFFF;
}

constexpr QRgb kRed = 0xFF0000;
constexpr QRgb kBlue = 0x0000FF;
constexpr QRgb kWhite = 0xFFFFFF;
} // namespace

class tst_PictureBox final : public QObject
{
    Q_OBJECT

private slots:
    void isKnownAsPictureBox();
    void showsPictureAtTopLeft_data();
    void showsPictureAtTopLeft();
    void stretchedPaintingIsKept();
    void growingKeepsPaintingShrinkingCrops();
    void clearingShowsBackground();
    void borderedBoxClipsItsInnerArea();
};

void tst_PictureBox::isKnownAsPictureBox()
{
    PictureBox box;
    QVERIFY(box.property("pictureBox").toBool());
}

void tst_PictureBox::showsPictureAtTopLeft_data()
{
    QTest::addColumn<bool>("bordered");
    QTest::newRow("plain") << false;
    QTest::newRow("bordered") << true;
}

void tst_PictureBox::showsPictureAtTopLeft()
{
    QFETCH(bool, bordered);
    PictureBox box;
    box.setBordered(bordered);
    box.resize(40, 30);
    box.setPicture(PagePicture::fromImage(twoColours(20, 10)));

    const QImage content = box.content();
    QCOMPARE(content.size(), bordered ? QSize(38, 28) : QSize(40, 30));
    QCOMPARE(at(content, 2, 2), kRed);
    QCOMPARE(at(content, 15, 5), kBlue);
    QCOMPARE(at(content, 30, 20), kWhite);

    // On screen the picture sits inside the border.
    const QImage shown = box.grab().toImage();
    const int inset = bordered ? 1 : 0;
    QCOMPARE(at(shown, inset + 2, inset + 2), kRed);
    if (bordered)
        QCOMPARE(at(shown, 0, 0), box.palette().color(QPalette::Shadow).rgb() & 0xFFFFFF);
}

void tst_PictureBox::stretchedPaintingIsKept()
{
    PictureBox box;
    box.resize(80, 20);
    box.paintPicture(PagePicture::fromImage(twoColours(10, 10)), QRectF(0, 0, 80, 20), QRectF(0, 0, 10, 10));

    QCOMPARE(at(box.content(), 10, 10), kRed);
    QCOMPARE(at(box.content(), 70, 10), kBlue);
    // Repainting (as after being covered) shows the same page again.
    const QImage first = box.grab().toImage();
    box.hide();
    box.show();
    box.repaint();
    QCOMPARE(box.grab().toImage(), first);
    QCOMPARE(at(first, 70, 10), kBlue);
}

void tst_PictureBox::growingKeepsPaintingShrinkingCrops()
{
    PictureBox box;
    box.resize(20, 20);
    box.paintPicture(PagePicture::fromImage(twoColours(10, 10)), QRectF(0, 0, 20, 20), QRectF(0, 0, 10, 10));
    box.resize(40, 40);
    QCOMPARE(at(box.content(), 15, 15), kBlue);
    QCOMPARE(at(box.content(), 30, 30), kWhite);
    box.resize(8, 8);
    QCOMPARE(box.content().size(), QSize(8, 8));
    QCOMPARE(at(box.content(), 5, 5), kRed);
}

void tst_PictureBox::clearingShowsBackground()
{
    PictureBox box;
    box.resize(20, 20);
    box.setBackground(Qt::green);
    box.setPicture(PagePicture::fromImage(twoColours(20, 20)));
    box.clearPicture();
    QVERIFY(box.picture().isNull());
    QCOMPARE(at(box.content(), 5, 5), QColor(Qt::green).rgb() & 0xFFFFFF);
}

void tst_PictureBox::borderedBoxClipsItsInnerArea()
{
    PictureBox outer;
    outer.setBordered(true);
    outer.resize(50, 40);
    QWidget *inner = outer.innerArea();
    QVERIFY(inner != &outer);
    QCOMPARE(inner->geometry(), QRect(1, 1, 48, 38));

    PictureBox plain;
    QCOMPARE(plain.innerArea(), &plain);
}

PARVOLINE_TEST_MAIN(tst_PictureBox)
#include "tst_picturebox.moc"

#include "Program.h"
#include "TestMain.h"
#include "WindowLook.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QColor kButtonFace(212, 208, 200);

// A window as designed: white, with a frame holding a label and a box, a button and a picture box.
struct DesignedWindow
{
    QWidget window;
    QGroupBox *frame = new QGroupBox(QStringLiteral("Receipt"), &window);
    QLabel *label = new QLabel(QStringLiteral("Number:"), frame);
    QLineEdit *box = new QLineEdit(frame);
    QPushButton *button = new QPushButton(QStringLiteral("Add"), &window);
    QWidget *picture = new QWidget(&window);

    DesignedWindow()
    {
        picture->setProperty("pictureBox", true);
        for (QWidget *w : {&window, static_cast<QWidget *>(frame), static_cast<QWidget *>(label), picture})
            SetBackground(w, Qt::white);
    }
};

QColor background(const QWidget *w)
{
    return w->palette().color(QPalette::Window);
}
} // namespace

class TestWindowColors : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void withoutSkinFileMainWindowStaysWhite_data();
    void withoutSkinFileMainWindowStaysWhite();
    void skinFileRecoloursAndApplies();
    void previewColoursAlwaysApplyAndSparePictures();

private:
    void writeSkin(const QByteArray &content);
    std::unique_ptr<QTemporaryDir> mFolder;
};

void TestWindowColors::initTestCase()
{
    // A button face unlike white, so a recoloured control cannot pass for an untouched one.
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::Button, kButtonFace);
    QApplication::setPalette(palette);
}

void TestWindowColors::init()
{
    mFolder = std::make_unique<QTemporaryDir>();
    QVERIFY(mFolder->isValid());
    OverrideProgramFolder(mFolder->path());
}

void TestWindowColors::cleanup()
{
    OverrideProgramFolder(QString());
}

void TestWindowColors::writeSkin(const QByteArray &content)
{
    QVERIFY(QDir(mFolder->path()).mkpath(QStringLiteral("x")));
    QFile skin(mFolder->filePath(QStringLiteral("x/o.cjs")));
    QVERIFY(skin.open(QIODevice::WriteOnly));
    skin.write(content);
}

void TestWindowColors::withoutSkinFileMainWindowStaysWhite_data()
{
    QTest::addColumn<QString>("planted");
    QTest::newRow("no skin folder") << QString();
    QTest::newRow("skin folder without file") << QStringLiteral("x");
    QTest::newRow("folder in the file's place") << QStringLiteral("x/o.cjs");
    QTest::newRow("skin file elsewhere") << QStringLiteral("o.cjs");
}

void TestWindowColors::withoutSkinFileMainWindowStaysWhite()
{
    QFETCH(QString, planted);
    if (planted == QLatin1String("o.cjs")) {
        QFile stray(mFolder->filePath(planted));
        QVERIFY(stray.open(QIODevice::WriteOnly));
    } else if (!planted.isEmpty()) {
        QVERIFY(QDir(mFolder->path()).mkpath(planted));
    }

    DesignedWindow designed;
    ApplyMainWindowSkin(&designed.window);

    QCOMPARE(background(&designed.window), QColor(Qt::white));
    QCOMPARE(background(designed.frame), QColor(Qt::white));
    QCOMPARE(background(designed.label), QColor(Qt::white));
    QCOMPARE(background(designed.picture), QColor(Qt::white));
    QVERIFY(designed.window.styleSheet().isEmpty());
}

void TestWindowColors::skinFileRecoloursAndApplies()
{
    const QByteArray sheet = "QPushButton { font-weight: bold; }";
    writeSkin(sheet);

    DesignedWindow designed;
    ApplyMainWindowSkin(&designed.window);

    QCOMPARE(background(&designed.window), kButtonFace);
    QCOMPARE(background(designed.frame), kButtonFace);
    QCOMPARE(background(designed.label), kButtonFace);
    QCOMPARE(background(designed.picture), kButtonFace);
    QVERIFY(designed.frame->autoFillBackground());
    // Buttons and text boxes keep their own backgrounds.
    QVERIFY(!designed.button->autoFillBackground());
    QVERIFY(!designed.box->autoFillBackground());
    QCOMPARE(designed.window.styleSheet(), QString::fromLatin1(sheet));
}

void TestWindowColors::previewColoursAlwaysApplyAndSparePictures()
{
    DesignedWindow designed;
    ApplyWindowColors(&designed.window);

    QCOMPARE(background(&designed.window), kButtonFace);
    QCOMPARE(background(designed.frame), kButtonFace);
    QCOMPARE(background(designed.label), kButtonFace);
    QCOMPARE(background(designed.picture), QColor(Qt::white));
    QVERIFY(designed.window.styleSheet().isEmpty());
}

PARVOLINE_TEST_MAIN(TestWindowColors)
#include "tst_windowcolors.moc"

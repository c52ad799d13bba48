#include "Form2.h"
#include "PictureBox.h"
#include "Program.h"
#include "ScriptedDialogs.h"
#include "ScriptedWord.h"
#include "Settings.h"
#include "TestMain.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QImageWriter>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <memory>

namespace {
QImage solidPage(int width, int height, const QColor &colour)
{
    QImage page(width, height, QImage::Format_RGB32);
    page.fill(colour);
    return page;
}

QRgb rgb(const QColor &colour)
{
    return colour.rgb() & 0xFFFFFF;
}

QRgb centreOf(const QImage &image)
{
    return image.pixel(image.width() / 2, image.height() / 2) & 0xFFFFFF;
}

// What the user sees of the viewport: zoom, page box and both bars.
struct ViewState
{
    float zoom;
    QRect page;
    int hValue;
    int vValue;
    bool hEnabled;
    bool vEnabled;
    bool operator==(const ViewState &) const = default;
};

void sendWheel(QWidget *widget, int angle)
{
    const QPointF at(10, 10);
    QWheelEvent wheel(at, widget->mapToGlobal(at), QPoint(), QPoint(0, angle), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &wheel);
}

void sendHover(QWidget *widget)
{
    const QPointF at(2, 2);
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}
} // namespace

class tst_Form2 final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void layout_data();
    void layout();
    void windowLook();
    void tabOrder();
    void handOverSetsUpThePage_data();
    void handOverSetsUpThePage();
    void zoomButtonsStopAtTheLimits();
    void zoomShortcuts();
    void pageMenuPrintsSavesAndZooms_data();
    void pageMenuPrintsSavesAndZooms();
    void printToFileStartsWhereTheLastOneWent();
    void enterPressesTheFocusedButton_data();
    void enterPressesTheFocusedButton();
    void dragThenReleaseSettlesOnTheGrid();
    void scrollBarsMoveThePage();
    void wheelScrollsThePage_data();
    void wheelScrollsThePage();
    void activationKeepsZoomAndPosition_data();
    void activationKeepsZoomAndPosition();
    void secondHandOverShowsTheNewPage();
    void backDeletesDocumentAndShowsMainWindow();
    void opensWithItsTitleBarOnTheScreen();
    void pointerHandlers_data();
    void pointerHandlers();

private:
    template<typename T>
    T *control(const char *name) const
    {
        T *found = mForm->findChild<T *>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QString writeDocument(const QString &name);
    void handOver(const QImage &page, const QString &document);
    ViewState viewState() const;

    ScriptedDialogs mDialogs;
    std::unique_ptr<QTemporaryDir> mDir;
    std::unique_ptr<QWidget> mMain;
    std::unique_ptr<Form2> mForm;
};

void tst_Form2::init()
{
    mDialogs.clear();
    mDir = std::make_unique<QTemporaryDir>();
    QVERIFY(mDir->isValid());
    OverrideProgramFolder(mDir->path());
    mMain = std::make_unique<QWidget>();
    mMain->setObjectName(QStringLiteral("Form1"));
    mMain->show();
    mForm = std::make_unique<Form2>(mMain.get());
}

void tst_Form2::cleanup()
{
    mForm.reset();
    mMain.reset();
    OverrideProgramFolder(QString());
    mDir.reset();
}

QString tst_Form2::writeDocument(const QString &name)
{
    const QString path = mDir->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("generated document") <= 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void tst_Form2::handOver(const QImage &page, const QString &document)
{
    mForm->setPagePicture(PagePicture::fromImage(page));
    mForm->setWordFile(document);
    mForm->show();
    mMain->hide();
}

ViewState tst_Form2::viewState() const
{
    const auto *h = control<QScrollBar>("HScroll1");
    const auto *v = control<QScrollBar>("VScroll1");
    return {mForm->viewport().zoom(),
            control<PictureBox>("Picture1")->geometry(),
            h->value(),
            v->value(),
            h->isEnabled(),
            v->isEnabled()};
}

void tst_Form2::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("container");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");

    QTest::newRow("HScroll1") << "HScroll1"
                              << "Form2" << QRect(8, 503, 622, 17) << "";
    QTest::newRow("VScroll1") << "VScroll1"
                              << "Form2" << QRect(630, 8, 17, 495) << "";
    QTest::newRow("Picture2") << "Picture2"
                              << "Form2" << QRect(8, 8, 622, 495) << "";
    QTest::newRow("Picture1") << "Picture1"
                              << "Picture2" << QRect(0, 0, 156, 229) << "";
    QTest::newRow("Frame1") << "Frame1"
                            << "Form2" << QRect(8, 524, 640, 57) << "Zoom:";
    QTest::newRow("Zoom_Ori") << "Zoom_Ori"
                              << "Form2" << QRect(688, 32, 49, 25) << "";
    QTest::newRow("PushButton1") << "PushButton1"
                                 << "Frame1" << QRect(16, 20, 296, 27) << "Zoom In";
    QTest::newRow("PushButton2") << "PushButton2"
                                 << "Frame1" << QRect(320, 20, 304, 27) << "Zoom Out";
    QTest::newRow("PushButton6") << "PushButton6"
                                 << "Form2" << QRect(328, 590, 320, 27) << "Save Results To Word File";
    QTest::newRow("PushButton8") << "PushButton8"
                                 << "Form2" << QRect(8, 590, 312, 27) << "< Back";
}

void tst_Form2::layout()
{
    QFETCH(QString, name);
    QFETCH(QString, container);
    QFETCH(QRect, geometry);
    QFETCH(QString, caption);

    const QWidget *widget = mForm->findChild<QWidget *>(name);
    QVERIFY(widget);
    QCOMPARE(widget->geometry(), geometry);
    const QWidget *parent = widget->parentWidget();
    // Boxes inside the viewport box live in its inner area.
    if (parent->objectName() == QLatin1String("Picture2Inner")) {
        QCOMPARE(parent->geometry(), QRect(1, 1, 620, 493));
        parent = parent->parentWidget();
    }
    QCOMPARE(parent->objectName(), container);
    if (const auto *button = qobject_cast<const QPushButton *>(widget))
        QCOMPARE(button->text(), caption);
    if (const auto *frame = qobject_cast<const QGroupBox *>(widget))
        QCOMPARE(frame->title(), caption);
}

void tst_Form2::windowLook()
{
    QCOMPARE(mForm->objectName(), QStringLiteral("Form2"));
    QCOMPARE(mForm->windowTitle(), QStringLiteral("Parvoline"));
    QCOMPARE(mForm->minimumSize(), QSize(656, 626));
    QCOMPARE(mForm->maximumSize(), QSize(656, 626));
    QVERIFY(mForm->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!mForm->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!mForm->windowIcon().isNull());

    QCOMPARE(mForm->font().family(), QStringLiteral("Arial"));
    QCOMPARE(mForm->font().pointSizeF(), 9.0);
    QVERIFY(mForm->font().bold());
    const QFont buttonFont = control<QPushButton>("PushButton6")->font();
    QCOMPARE(buttonFont.family(), QStringLiteral("Arial"));
    QCOMPARE(buttonFont.pointSizeF(), 11.25);
    QVERIFY(buttonFont.bold());

    // Loading recolours the window and its frame; the picture boxes stay white.
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    QCOMPARE(mForm->palette().color(QPalette::Window), buttonFace);
    QCOMPARE(control<QGroupBox>("Frame1")->palette().color(QPalette::Window), buttonFace);
    QCOMPARE(control<PictureBox>("Picture2")->background(), QColor(Qt::white));
    QVERIFY(control<PictureBox>("Picture2")->isBordered());
    QCOMPARE(control<PictureBox>("Zoom_Ori")->background(), QColor(Qt::white));
}

void tst_Form2::tabOrder()
{
    const QStringList expected{QStringLiteral("HScroll1"),    QStringLiteral("VScroll1"),
                               QStringLiteral("Picture2"),    QStringLiteral("Picture1"),
                               QStringLiteral("Frame1"),      QStringLiteral("Zoom_Ori"),
                               QStringLiteral("PushButton1"), QStringLiteral("PushButton2"),
                               QStringLiteral("PushButton6"), QStringLiteral("PushButton8")};
    QStringList chain;
    QWidget *widget = control<QWidget>("HScroll1");
    for (int i = 0; i < 64 && chain.size() < expected.size(); ++i, widget = widget->nextInFocusChain()) {
        if (expected.contains(widget->objectName()))
            chain.append(widget->objectName());
    }
    QCOMPARE(chain, expected);
}

void tst_Form2::handOverSetsUpThePage_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<QRect>("pageBox");
    QTest::addColumn<bool>("hEnabled");
    QTest::addColumn<int>("hMax");
    QTest::addColumn<bool>("vEnabled");
    QTest::addColumn<int>("vMax");

    QTest::newRow("receipt 600x330") << QSize(600, 330) << QRect(0, 0, 600, 330) << false << 32767 << false << 32767;
    QTest::newRow("larger than the viewport") << QSize(800, 600) << QRect(0, 0, 800, 600) << true << 267 << true << 158;
    QTest::newRow("small page, redrawn") << QSize(200, 100) << QRect(0, 0, 200, 100) << false << 32767 << false
                                         << 32767;
}

void tst_Form2::handOverSetsUpThePage()
{
    QFETCH(QSize, pixels);
    QFETCH(QRect, pageBox);
    QFETCH(bool, hEnabled);
    QFETCH(int, hMax);
    QFETCH(bool, vEnabled);
    QFETCH(int, vMax);

    handOver(solidPage(pixels.width(), pixels.height(), Qt::darkCyan), writeDocument(QStringLiteral("a.doc")));

    QCOMPARE(mForm->viewport().zoom(), 1.0f);
    auto *page = control<PictureBox>("Picture1");
    QCOMPARE(page->geometry(), pageBox);
    QCOMPARE(centreOf(page->content()), rgb(Qt::darkCyan));
    const auto *h = control<QScrollBar>("HScroll1");
    const auto *v = control<QScrollBar>("VScroll1");
    QCOMPARE(h->isEnabled(), hEnabled);
    QCOMPARE(h->maximum(), hMax);
    QCOMPARE(h->value(), 0);
    QCOMPARE(v->isEnabled(), vEnabled);
    QCOMPARE(v->maximum(), vMax);
    QCOMPARE(v->value(), 0);
    const auto *holder = control<PictureBox>("Zoom_Ori");
    QVERIFY(holder->isHidden());
    QCOMPARE(holder->picture().size(), pixels);
    QVERIFY(mDialogs.messages.isEmpty());
}

void tst_Form2::zoomButtonsStopAtTheLimits()
{
    handOver(solidPage(100, 50, Qt::darkRed), writeDocument(QStringLiteral("a.doc")));
    auto *zoomIn = control<QPushButton>("PushButton1");
    auto *zoomOut = control<QPushButton>("PushButton2");
    auto *page = control<PictureBox>("Picture1");

    for (int i = 0; i < 14; ++i)
        QTest::mouseClick(zoomIn, Qt::LeftButton);
    QCOMPARE(mForm->viewport().zoom(), 4.0f);
    // 4 x 1498 by 4 x 748 twips.
    QCOMPARE(page->size(), QSize(399, 199));
    QCOMPARE(page->content().pixel(390, 190) & 0xFFFFFF, rgb(Qt::darkRed));

    for (int i = 0; i < 20; ++i)
        QTest::mouseClick(zoomOut, Qt::LeftButton);
    QCOMPARE(mForm->viewport().zoom(), 0.25f);
    QCOMPARE(page->size(), QSize(25, 12));
    QCOMPARE(centreOf(page->content()), rgb(Qt::darkRed));
    QCOMPARE(mForm->mousePointer().shape(), MousePointer::Shape::Default);
    QVERIFY(mDialogs.messages.isEmpty());
}

void tst_Form2::zoomShortcuts()
{
    handOver(solidPage(100, 50, Qt::darkRed), writeDocument(QStringLiteral("a.doc")));
    mForm->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mForm.get()));

    QTest::keyClick(mForm.get(), Qt::Key_Plus, Qt::ControlModifier);
    QCOMPARE(mForm->viewport().zoom(), 1.25f);
    QTest::keyClick(mForm.get(), Qt::Key_Equal, Qt::ControlModifier);
    QCOMPARE(mForm->viewport().zoom(), 1.5f);
    QTest::keyClick(mForm.get(), Qt::Key_Minus, Qt::ControlModifier);
    QCOMPARE(mForm->viewport().zoom(), 1.25f);
}

void tst_Form2::pageMenuPrintsSavesAndZooms_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("over the page") << QStringLiteral("Picture1");
    QTest::newRow("beside the page") << QStringLiteral("Picture2");
}

void tst_Form2::pageMenuPrintsSavesAndZooms()
{
    QFETCH(QString, box);
    handOver(solidPage(100, 50, Qt::darkRed), writeDocument(QStringLiteral("a.doc")));
    mForm->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mForm.get()));
    auto *page = mForm->findChild<PictureBox *>(box);
    QVERIFY(page);

    const auto openMenu = [&]() -> QMenu * {
        // Picture1 sits at the top left of Picture2: a point low and right in Picture2 is beside it.
        const QPoint at = box == QLatin1String("Picture1") ? QPoint(5, 5) : page->rect().bottomRight() - QPoint(5, 5);
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, page->mapToGlobal(at));
        QApplication::sendEvent(page, &event);
        QMenu *menu = mForm->findChild<QMenu *>(QStringLiteral("PageMenu"));
        return menu && menu->isVisible() ? menu : nullptr;
    };
    const auto choose = [&](const QString &text) {
        QMenu *menu = openMenu();
        QVERIFY(menu);
        QAction *chosen = nullptr;
        for (QAction *action : menu->actions()) {
            if (action->text() == text)
                chosen = action;
        }
        QVERIFY2(chosen && chosen->isEnabled(), qPrintable(text));
        menu->close();
        chosen->trigger();
        QTRY_VERIFY(!mForm->findChild<QMenu *>(QStringLiteral("PageMenu")));
    };

    QMenu *menu = openMenu();
    QVERIFY(menu);
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->text());
    QCOMPARE(texts, (QStringList{QStringLiteral("Print..."), QStringLiteral("Save Results To Word File"), QString(),
                                 QStringLiteral("Zoom In"), QStringLiteral("Zoom Out")}));
    QCOMPARE(menu->actions().first()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
    menu->close();
    QTRY_VERIFY(!mForm->findChild<QMenu *>(QStringLiteral("PageMenu")));

    choose(QStringLiteral("Zoom In"));
    QCOMPARE(mForm->viewport().zoom(), 1.25f);
    choose(QStringLiteral("Zoom Out"));
    QCOMPARE(mForm->viewport().zoom(), 1.0f);
    choose(QStringLiteral("Print..."));
    QCOMPARE(mDialogs.printRequests.size(), 1);
    choose(QStringLiteral("Save Results To Word File"));
    QCOMPARE(mDialogs.saveRequests.size(), 1);
    // The shortcut the menu shows still prints, once.
    mForm->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mForm.get()));
    QTest::keyClick(mForm.get(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(mDialogs.printRequests.size(), 2);
}

void tst_Form2::printToFileStartsWhereTheLastOneWent()
{
    OpenSettings()->clear();
    ScriptedWord word;
    handOver(solidPage(100, 50, Qt::darkRed), writeDocument(QStringLiteral("a.doc")));
    // Never printed to a file: the dialog opens on the printer.
    mForm->PrintDocument();
    QCOMPARE(mDialogs.printRequests.size(), 1);
    QCOMPARE(mDialogs.printRequests.at(0).outputFileName, QString());

    QVERIFY(QDir(mDir->path()).mkpath(QStringLiteral("prints")));
    const QString printed = mDir->filePath(QStringLiteral("prints/monday.pdf"));
    mDialogs.queuePrintToFile(printed);
    mForm->PrintDocument();
    QVERIFY(QFile::exists(printed));

    // The next run offers a file in that folder again.
    mForm.reset();
    mForm = std::make_unique<Form2>(mMain.get());
    handOver(solidPage(100, 50, Qt::darkRed), writeDocument(QStringLiteral("b.doc")));
    mForm->PrintDocument();
    QCOMPARE(mDialogs.printRequests.size(), 3);
    QCOMPARE(mDialogs.printRequests.at(2).outputFileName, mDir->filePath(QStringLiteral("prints/receipts.pdf")));
    QVERIFY(mDialogs.errorReports().isEmpty());
}

void tst_Form2::enterPressesTheFocusedButton_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
    QTest::newRow("Enter of the keypad") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
}

void tst_Form2::enterPressesTheFocusedButton()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    const QString document = writeDocument(QStringLiteral("a.doc"));
    handOver(solidPage(100, 50, Qt::darkRed), document);
    mForm->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(mForm.get()));
    const auto press = [&](const char *name) {
        auto *button = control<QPushButton>(name);
        button->setFocus(Qt::TabFocusReason);
        QTest::keyClick(button, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    };

    press("PushButton1");
    QCOMPARE(mForm->viewport().zoom(), 1.25f);
    press("PushButton2");
    press("PushButton2");
    QCOMPARE(mForm->viewport().zoom(), 0.75f);
    // "Save Results To Word File" asks where; cancelled, nothing is saved.
    press("PushButton6");
    QCOMPARE(mDialogs.saveRequests.size(), 1);
    QCOMPARE(mDialogs.texts(), QStringList{QStringLiteral("Done.")});
    press("PushButton8");
    QVERIFY(!QFile::exists(document));
    QVERIFY(mMain->isVisible());
    QVERIFY(mForm->isHidden());
    QCOMPARE(mDialogs.messages.size(), 1);
}

void tst_Form2::dragThenReleaseSettlesOnTheGrid()
{
    // 12000 x 9000 twips: the bars step 10 twips, up to 267 and 158.
    handOver(solidPage(800, 600, Qt::darkGreen), writeDocument(QStringLiteral("a.doc")));
    auto *page = control<PictureBox>("Picture1");

    QTest::mousePress(page, Qt::LeftButton, {}, QPoint(400, 300));
    QTest::mouseMove(page, QPoint(267, 300));
    QCOMPARE(mForm->viewport().pageBox().left, -1995.0f);
    QCOMPARE(page->pos(), QPoint(-133, 0));
    // The page box moved under the pointer; the pointer is where it was pressed again.
    QTest::mouseRelease(page, Qt::LeftButton, {}, QPoint(400, 300));

    // round(1995 / 2670 * 100) = 75; round(0.75 * 267) = 200.
    QCOMPARE(control<QScrollBar>("HScroll1")->value(), 200);
    QCOMPARE(mForm->viewport().pageBox().left, -2000.0f);
    QCOMPARE(page->pos(), QPoint(-133, 0));
    QCOMPARE(control<QScrollBar>("VScroll1")->value(), 0);
    QVERIFY(mDialogs.messages.isEmpty());
}

void tst_Form2::scrollBarsMoveThePage()
{
    handOver(solidPage(800, 600, Qt::darkGreen), writeDocument(QStringLiteral("a.doc")));
    auto *h = control<QScrollBar>("HScroll1");
    auto *v = control<QScrollBar>("VScroll1");
    auto *page = control<PictureBox>("Picture1");

    h->setValue(100);
    QCOMPARE(page->pos(), QPoint(-67, 0));
    h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    QCOMPARE(mForm->viewport().pageBox().left, -1010.0f);
    v->setValue(158);
    QCOMPARE(page->pos(), QPoint(-67, -105));
    QCOMPARE(mForm->viewport().vScroll().value, 158);

    // Dragging the thumb moves the page only when the thumb is let go.
    h->setSliderDown(true);
    h->setSliderPosition(200);
    QCOMPARE(mForm->viewport().pageBox().left, -1010.0f);
    h->setSliderDown(false);
    QCOMPARE(mForm->viewport().pageBox().left, -2000.0f);
    QCOMPARE(page->pos(), QPoint(-133, -105));
}

void tst_Form2::wheelScrollsThePage_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<QList<int>>("angles");
    QTest::addColumn<QList<int>>("tops");

    // A notch moves the page 900 twips, 60 pixels.
    QTest::newRow("tall page") << QSize(600, 2000) << QList<int>{-120, -120, 360} << QList<int>{-60, -120, 0};
    QTest::newRow("half notches add up") << QSize(600, 2000) << QList<int>{-60, -60} << QList<int>{0, -60};
    QTest::newRow("page that fits: nothing moves") << QSize(600, 330) << QList<int>{-120} << QList<int>{0};
}

void tst_Form2::wheelScrollsThePage()
{
    QFETCH(QSize, pixels);
    QFETCH(QList<int>, angles);
    QFETCH(QList<int>, tops);

    handOver(solidPage(pixels.width(), pixels.height(), Qt::gray), writeDocument(QStringLiteral("a.doc")));
    auto *page = control<PictureBox>("Picture1");
    auto *viewportBox = control<PictureBox>("Picture2");
    for (qsizetype i = 0; i < angles.size(); ++i) {
        // Over the page and over the viewport around it alike.
        sendWheel(i % 2 == 0 ? static_cast<QWidget *>(page) : viewportBox, angles.at(i));
        QCOMPARE(page->y(), tops.at(i));
        QCOMPARE(control<QScrollBar>("VScroll1")->value(), -tops.at(i) * 15 / 10);
    }
}

void tst_Form2::activationKeepsZoomAndPosition_data()
{
    QTest::addColumn<QSize>("pixels");
    QTest::addColumn<bool>("zoomOut");
    QTest::addColumn<int>("hValue");

    QTest::newRow("zoomed out receipt") << QSize(600, 330) << true << 0;
    QTest::newRow("scrolled large page") << QSize(800, 600) << false << 120;
}

void tst_Form2::activationKeepsZoomAndPosition()
{
    QFETCH(QSize, pixels);
    QFETCH(bool, zoomOut);
    QFETCH(int, hValue);

    handOver(solidPage(pixels.width(), pixels.height(), Qt::gray), writeDocument(QStringLiteral("a.doc")));
    if (zoomOut)
        QTest::mouseClick(control<QPushButton>("PushButton2"), Qt::LeftButton);
    if (hValue)
        control<QScrollBar>("HScroll1")->setValue(hValue);
    const ViewState before = viewState();
    QCOMPARE(before.zoom, zoomOut ? 0.75f : 1.0f);

    mForm->Form_Activate();
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(mForm.get(), &activate);
    mForm->hide();
    mForm->show();
    QCOMPARE(viewState(), before);
}

void tst_Form2::secondHandOverShowsTheNewPage()
{
    handOver(solidPage(800, 600, Qt::red), writeDocument(QStringLiteral("first.doc")));
    control<QScrollBar>("HScroll1")->setValue(150);
    control<QScrollBar>("VScroll1")->setValue(40);
    QTest::mouseClick(control<QPushButton>("PushButton8"), Qt::LeftButton);
    QVERIFY(mForm->isHidden());

    const QString second = writeDocument(QStringLiteral("second.doc"));
    handOver(solidPage(200, 100, Qt::blue), second);

    QCOMPARE(mForm->wordFile(), second);
    QCOMPARE(mForm->viewport().zoom(), 1.0f);
    auto *page = control<PictureBox>("Picture1");
    QCOMPARE(page->geometry(), QRect(0, 0, 200, 100));
    QCOMPARE(centreOf(page->content()), rgb(Qt::blue));
    QVERIFY(!control<QScrollBar>("HScroll1")->isEnabled());
    QVERIFY(!control<QScrollBar>("VScroll1")->isEnabled());

    // Zooming draws the new page.
    QTest::mouseClick(control<QPushButton>("PushButton2"), Qt::LeftButton);
    QCOMPARE(page->size(), QSize(150, 75));
    QCOMPARE(centreOf(page->content()), rgb(Qt::blue));
    QVERIFY(mDialogs.messages.isEmpty());
}

void tst_Form2::backDeletesDocumentAndShowsMainWindow()
{
    const QString document = writeDocument(QStringLiteral("a.doc"));
    handOver(solidPage(600, 330, Qt::gray), document);
    QTest::mouseClick(control<QPushButton>("PushButton2"), Qt::LeftButton);
    QVERIFY(mMain->isHidden());

    QTest::mouseClick(control<QPushButton>("PushButton8"), Qt::LeftButton);
    QVERIFY(!QFile::exists(document));
    QVERIFY(mMain->isVisible());
    QVERIFY(mForm->isHidden());
    // The preview stays loaded as the user left it.
    QCOMPARE(mForm->viewport().zoom(), 0.75f);
    QCOMPARE(control<PictureBox>("Picture1")->size(), QSize(450, 247));
    QVERIFY(mDialogs.messages.isEmpty());
}

void tst_Form2::pointerHandlers_data()
{
    QTest::addColumn<bool>("cursorFile");
    QTest::newRow("with HAND-M.CUR") << true;
    QTest::newRow("without it") << false;
}

void tst_Form2::pointerHandlers()
{
    QFETCH(bool, cursorFile);
    if (cursorFile) {
        QImage hand(32, 32, QImage::Format_ARGB32);
        hand.fill(Qt::black);
        QImageWriter writer(mDir->filePath(QStringLiteral("HAND-M.CUR")), "cur");
        QVERIFY2(writer.write(hand), qPrintable(writer.errorString()));
    }
    mForm = std::make_unique<Form2>(mMain.get());
    const Qt::CursorShape hand = cursorFile ? Qt::BitmapCursor : Qt::ArrowCursor;

    for (const char *name : {"PushButton1", "PushButton2", "PushButton6", "PushButton8"}) {
        sendHover(mForm.get());
        QCOMPARE(mForm->mousePointer().shape(), MousePointer::Shape::Default);
        sendHover(control<QWidget>(name));
        QCOMPARE(mForm->mousePointer().shape(), MousePointer::Shape::Custom);
        QCOMPARE(mForm->cursor().shape(), hand);
    }
    sendHover(control<QWidget>("Frame1"));
    QCOMPARE(mForm->cursor().shape(), Qt::ArrowCursor);

    // Nothing replaces the busy pointer.
    mForm->mousePointer().set(MousePointer::Shape::Busy);
    sendHover(control<QWidget>("PushButton6"));
    sendHover(mForm.get());
    QCOMPARE(mForm->cursor().shape(), Qt::WaitCursor);
}

void tst_Form2::opensWithItsTitleBarOnTheScreen()
{
    handOver(QImage(576, 301, QImage::Format_RGB32), writeDocument(QStringLiteral("placed.doc")));
    QVERIFY(QTest::qWaitForWindowExposed(mForm.get()));
    const QRect available = mForm->screen()->availableGeometry();
    const QRect frame = mForm->frameGeometry();
    QVERIFY2(available.contains(frame.topLeft()), "the title bar is off the screen");
    QVERIFY(qAbs(frame.center().x() - available.center().x()) <= 1);
    if (available.height() >= frame.height())
        QVERIFY(available.contains(frame));
    else
        QCOMPARE(frame.top(), available.top());
}

PARVOLINE_TEST_MAIN(tst_Form2)
#include "tst_form2.moc"

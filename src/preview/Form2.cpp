#include "Form2.h"

#include "CheckedFile.h"
#include "DialogMemory.h"
#include "EventHooks.h"
#include "GuardedProcedure.h"
#include "Locations.h"
#include "PictureBox.h"
#include "Program.h"
#include "ProgramEnd.h"
#include "ProgramFiles.h"
#include "SaveCopy.h"
#include "UserDialogs.h"
#include "WindowEnding.h"
#include "WindowFit.h"
#include "WindowLook.h"
#include "WindowPlacement.h"
#include "WordAutomation.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QGroupBox>
#include <QHideEvent>
#include <QIcon>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPushButton>
#include <QRectF>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QShowEvent>
#include <QTimer>
#include <QWheelEvent>

#include <algorithm>
#include <optional>
#include <utility>

namespace {
constexpr int kClientWidth = 656;
constexpr int kClientHeight = 626;
// Where the viewport box and the holder stand on the window, in twips. The holder lies right of the
// client area: it is never meant to be seen.
constexpr int kViewportLeft = 120;
constexpr int kViewportTop = 120;
constexpr int kHolderLeft = 10320;
constexpr int kHolderTop = 480;
// Wheel turns come in eighths of a degree; one notch is fifteen degrees.
constexpr int kWheelNotch = 120;
// Pages of the picture made at a time while it is shown: a few dozen milliseconds of the office's work,
// done while the window goes on.
constexpr int kPagesAtATime = 16;
// Each step costs the office a time that grows with the whole document more than with the pages it makes
// (about 0.1 s at 1,500 pages and 1.5 s at 5,000, then 5-10 ms a page): a long document's pages come in
// larger steps, or the rest of its picture would take many minutes of short waits.
constexpr int kStepsForAllPages = 80;

// How often the window looks for pages the office is making.
constexpr int kPageLookMs = 10;

int pagesPerStep(int pageCount)
{
    return std::max(kPagesAtATime, pageCount / kStepsForAllPages);
}

int px(double twips)
{
    return qRound(twips / Viewport::kTwipsPerPixel);
}

QRect pxRect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), std::max(0, px(width)), std::max(0, px(height)));
}

QRectF pxRectF(const QRectF &twips)
{
    const double scale = 1.0 / Viewport::kTwipsPerPixel;
    return QRectF(twips.x() * scale, twips.y() * scale, twips.width() * scale, twips.height() * scale);
}

std::int16_t vbButtons(Qt::MouseButtons buttons)
{
    std::int16_t result = 0;
    if (buttons & Qt::LeftButton)
        result |= 1;
    if (buttons & Qt::RightButton)
        result |= 2;
    if (buttons & Qt::MiddleButton)
        result |= 4;
    return result;
}

std::int16_t vbShift(Qt::KeyboardModifiers modifiers)
{
    std::int16_t result = 0;
    if (modifiers & Qt::ShiftModifier)
        result |= 1;
    if (modifiers & Qt::ControlModifier)
        result |= 2;
    if (modifiers & Qt::AltModifier)
        result |= 4;
    return result;
}

QFont arialBold(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

QScrollBar *makeScrollBar(Qt::Orientation orientation, QWidget *parent)
{
    auto *bar = new QScrollBar(orientation, parent);
    bar->setRange(0, 32767);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    // The page follows the bar when its thumb is let go, not while it is dragged.
    bar->setTracking(false);
    bar->setFocusPolicy(Qt::StrongFocus);
    return bar;
}

QPushButton *makeButton(const QString &caption, const char *name, QWidget *parent, const QRect &geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFont(arialBold(11.25));
    button->setGeometry(geometry);
    return button;
}
} // namespace

Form2::Form2(QWidget *mainWindow)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                           | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , mMainWindow(mainWindow)
    , mViewport(this)
    , mPointer(this)
{
    InstallWindowEnding();
    createControls();
    Form_Load();
}

Form2::~Form2() = default;

void Form2::createControls()
{
    setObjectName(QStringLiteral("Form2"));
    setFixedSize(kClientWidth, kClientHeight);
    setFont(arialBold(9));
    // Designed white; loading recolours the window and its frame.
    SetBackground(this, Qt::white);

    mHScroll1 = makeScrollBar(Qt::Horizontal, this);
    mHScroll1->setObjectName(QStringLiteral("HScroll1"));
    mHScroll1->setGeometry(pxRect(120, 7545, 9330, 255));

    mVScroll1 = makeScrollBar(Qt::Vertical, this);
    mVScroll1->setObjectName(QStringLiteral("VScroll1"));
    mVScroll1->setGeometry(pxRect(9450, 120, 255, 7425));

    mPicture2 = new PictureBox(this);
    mPicture2->setObjectName(QStringLiteral("Picture2"));
    mPicture2->setBordered(true);
    mPicture2->setBackground(Qt::white);
    const Viewport::Box &viewportBox = mViewport.viewportBox();
    mPicture2->setGeometry(pxRect(kViewportLeft, kViewportTop, viewportBox.outerWidth, viewportBox.outerHeight));

    mPicture1 = new PictureBox(mPicture2->innerArea());
    mPicture1->setObjectName(QStringLiteral("Picture1"));
    mPicture1->setBackground(palette().color(QPalette::Button));

    mFrame1 = new QGroupBox(QStringLiteral("Zoom:"), this);
    mFrame1->setObjectName(QStringLiteral("Frame1"));
    mFrame1->setGeometry(pxRect(120, 7860, 9600, 855));
    SetBackground(mFrame1, Qt::white);

    mZoomOri = new PictureBox(this);
    mZoomOri->setObjectName(QStringLiteral("Zoom_Ori"));
    mZoomOri->setBackground(Qt::white);

    mPushButton1 = makeButton(QStringLiteral("Zoom In"), "PushButton1", mFrame1, pxRect(240, 300, 4440, 405));
    mPushButton2 = makeButton(QStringLiteral("Zoom Out"), "PushButton2", mFrame1, pxRect(4800, 300, 4560, 405));
    mPushButton6 =
        makeButton(QStringLiteral("Save Results To Word File"), "PushButton6", this, pxRect(4920, 8850, 4800, 405));
    mPushButton8 = makeButton(QStringLiteral("< Back"), "PushButton8", this, pxRect(120, 8850, 4680, 405));

    const QList<QWidget *> tabOrder{mHScroll1, mVScroll1,    mPicture2,    mPicture1,    mFrame1,
                                    mZoomOri,  mPushButton1, mPushButton2, mPushButton6, mPushButton8};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));

    viewportChanged();

    connect(mPushButton1, &QPushButton::clicked, this, &Form2::PushButton1_Click);
    connect(mPushButton2, &QPushButton::clicked, this, &Form2::PushButton2_Click);
    connect(mPushButton6, &QPushButton::clicked, this, &Form2::PushButton6_Click);
    connect(mPushButton8, &QPushButton::clicked, this, &Form2::PushButton8_Click);
    for (QPushButton *button : {mPushButton1, mPushButton2, mPushButton6, mPushButton8})
        ClickOnEnter(button);
    connect(mHScroll1, &QScrollBar::valueChanged, this,
            [this](int value) { userScrolled(mViewport.hScroll(), value); });
    connect(mVScroll1, &QScrollBar::valueChanged, this,
            [this](int value) { userScrolled(mViewport.vScroll(), value); });

    const auto zoomKeys = {std::pair{QKeySequence(Qt::CTRL | Qt::Key_Plus), mPushButton1},
                           std::pair{QKeySequence(Qt::CTRL | Qt::Key_Equal), mPushButton1},
                           std::pair{QKeySequence(Qt::CTRL | Qt::Key_Minus), mPushButton2}};
    for (const auto &[keys, button] : zoomKeys) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, button, &QPushButton::click);
    }
    auto *print = new QShortcut(QKeySequence::Print, this);
    connect(print, &QShortcut::activated, this, &Form2::PrintDocument);

    mPageArrival = new QTimer(this);
    mPageArrival->setInterval(0);
    connect(mPageArrival, &QTimer::timeout, this, &Form2::makeMorePages);

    mPicture1->installEventFilter(this);
    mPicture2->installEventFilter(this);
    setUpPageMenu();

    // Each control has its own pointer handling, or none: a mouse move over a control must not also
    // reach the window or the frame behind it.
    for (QWidget *control : tabOrder)
        control->setAttribute(Qt::WA_NoMousePropagation);
    OnMouseMove(this, [this] { Form_MouseMove(); });
    OnMouseMove(mFrame1, [this] { Frame1_MouseMove(); });
    OnMouseMove(mPushButton1, [this] { PushButton1_MouseMove(); });
    OnMouseMove(mPushButton2, [this] { PushButton2_MouseMove(); });
    OnMouseMove(mPushButton6, [this] { PushButton6_MouseMove(); });
    OnMouseMove(mPushButton8, [this] { PushButton8_MouseMove(); });
}

void Form2::Form_Load()
{
    GuardedProcedure proc(Location::Form2_Form_Load);
    proc.step(100, [&] { mFirstActivate = true; });
    proc.step(102, [&] { ApplyWindowColors(this); });
    proc.step(104, [&] {
        setWindowTitle(QLatin1String(kProductName));
        setWindowIcon(ProgramIcon());
    });
    const QString cursorFile = ProgramFolder() + QStringLiteral("/HAND-M.CUR");
    if (proc.test(108, [&] { return FileExists(cursorFile); }))
        proc.step(110, [&] { mPointer.loadCustom(cursorFile); });
}

void Form2::setPagePicture(const PagePicture &picture)
{
    // The pages of a page no longer shown are not wanted; the office lets go of its document.
    if (!picture.isSameAs(mPagePicture)) {
        mPagePicture.stopMaking();
        mPageArrival->stop();
    }
    mPagePicture = picture;
    if (mPagePicture.isMaking() && isVisible())
        mPageArrival->start();
    mPicture1->setPicture(picture);
    std::optional<QSize> twips;
    if (!picture.isNull())
        twips = QSize(picture.size().width() * Viewport::kTwipsPerPixel,
                      picture.size().height() * Viewport::kTwipsPerPixel);
    mViewport.setPagePicture(twips);
}

void Form2::setWordFile(const QString &path)
{
    mWordFile = path;
    // Every hand-over names its document after putting its page in: the page is due for set-up.
    mFirstActivate = true;
}

void Form2::Form_Activate()
{
    GuardedProcedure proc(Location::Form2_Form_Activate);
    if (proc.test(100, [&] { return mFirstActivate; }))
        mViewport.setUp(proc);
    proc.step(138, [&] { mFirstActivate = false; });
}

void Form2::PushButton1_Click()
{
    GuardedProcedure proc(Location::Form2_PushButton1_Click);
    proc.step(100, [&] { mViewport.ZoomStep(0); });
}

void Form2::PushButton2_Click()
{
    GuardedProcedure proc(Location::Form2_PushButton2_Click);
    proc.step(100, [&] { mViewport.ZoomStep(1); });
}

void Form2::PushButton6_Click()
{
    // A save in another format or a print is under way and lets events run: one at a time.
    if (mBusy)
        return;
    GuardedProcedure proc(Location::Form2_PushButton6_Click);
    QString fileName;
    QString title;
    QString filter;
    QString path;
    std::optional<UserDialogs::Answer> answer;

    proc.step(106, [&] { fileName = QString(); });
    proc.step(108, [&] { title = QStringLiteral("Save File"); });
    proc.step(110, [&] { filter = SaveDialogFilter(); });
    QString chosen;
    // The dialog opens where the last save went, offering the type chosen then.
    const DialogMemory memory(QStringLiteral("Save"));
    QString chosenType = memory.type(filter);
    proc.assign(112, chosen, [&] {
        return UserDialogs::current().saveFileName(this, title, fileName, filter, &chosenType, memory.folder());
    });
    SaveTarget target;
    proc.step(114, [&] {
        target = ChooseSaveTarget(chosen, chosenType);
        path = target.path;
        memory.remember(path, chosenType);
    });
    bool refused = false;
    if (!proc.test(116, [&] { return path.isEmpty(); })) {
        if (proc.test(118, [&] { return FileExists(path); })) {
            // A file the user protected is refused, as editors do, rather than offered for overwriting.
            refused = proc.test(118, [&] { return IsReadOnlyFile(path); });
            if (refused) {
                proc.step(118, [&] {
                    MsgBox(QDir::toNativeSeparators(path) + QStringLiteral(" is read-only."), UserDialogs::Buttons::Ok,
                           UserDialogs::Icon::Exclamation);
                });
            } else {
                // The copy replaces the old file in one move once it is complete, so a Yes needs no
                // deletion beforehand and a failed copy still leaves the user's file as it was.
                proc.assign(120, answer, [&] {
                    return MsgBox(QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?"),
                                  UserDialogs::Buttons::YesNo);
                });
            }
        } else {
            proc.step(126, [&] { answer = UserDialogs::Answer::Yes; });
        }
    }
    bool copyFailed = false;
    if (proc.test(128, [&] { return answer == UserDialogs::Answer::Yes; }))
        copyFailed = !proc.step(130, [&] { saveCopy(path, target.fileFormat); });
    // The report of a failed copy, or the refusal, is the last word: "Done." would tell the user it worked.
    if (!copyFailed && !refused)
        proc.step(132, [&] { MsgBox(QStringLiteral("Done.")); });
}

void Form2::saveCopy(const QString &path, int fileFormat)
{
    if (fileFormat == wdFormatDocument) {
        SaveDocumentCopy(mWordFile, path, fileFormat);
        return;
    }
    // The word processor takes a moment, seconds for a long document; the window stays alive meanwhile.
    whileBusy([&] { SaveDocumentCopy(mWordFile, path, fileFormat); });
}

void Form2::whileBusy(const std::function<void()> &work)
{
    mBusy = true;
    mPointer.set(MousePointer::Shape::Busy);
    const auto done = qScopeGuard([this] {
        mPointer.set(MousePointer::Shape::Default);
        mBusy = false;
    });
    work();
}

void Form2::PushButton8_Click()
{
    // The document is still being saved or printed.
    if (mBusy)
        return;
    // The next run hands over a new page; the rest of this one is not wanted.
    mPageArrival->stop();
    mPagePicture.stopMaking();
    GuardedProcedure proc(Location::Form2_PushButton8_Click);
    proc.step(102, [&] { DeleteFileQuietly(mWordFile); });
    proc.step(104, [&] {
        if (mMainWindow)
            mMainWindow->show();
    });
    proc.step(106, [&] { hide(); });
}

void Form2::Form_QueryUnload()
{
    GuardedProcedure proc(Location::Form2_Form_QueryUnload);
    proc.step(100, [&] { DeleteFileQuietly(mWordFile); });
    proc.step(102, [&] { QCoreApplication::processEvents(); });
    proc.step(104, [&] { QCoreApplication::processEvents(); });
}

void Form2::Form_Unload()
{
    EndProgram();
}

void Form2::Form_MouseMove()
{
    mPointer.setUnlessBusy(MousePointer::Shape::Default);
}

void Form2::Frame1_MouseMove()
{
    mPointer.setUnlessBusy(MousePointer::Shape::Default);
}

void Form2::PushButton1_MouseMove()
{
    mPointer.setUnlessBusy(MousePointer::Shape::Custom);
}

void Form2::PushButton2_MouseMove()
{
    mPointer.setUnlessBusy(MousePointer::Shape::Custom);
}

void Form2::PushButton6_MouseMove()
{
    mPointer.setUnlessBusy(MousePointer::Shape::Custom);
}

void Form2::PushButton8_MouseMove()
{
    mPointer.setUnlessBusy(MousePointer::Shape::Custom);
}

bool Form2::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

void Form2::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!mCentred && !event->spontaneous()) {
        mCentred = true;
        if (const QScreen *shown = screen()) {
            FitToScreen(this, shown->availableGeometry());
            PlaceOnScreen(this, shown->availableGeometry());
        }
    }
    // A window manager may show the window without activating it; the new page is set up all the same.
    if (mFirstActivate)
        Form_Activate();
    if (mPagePicture.isMaking())
        mPageArrival->start();
}

void Form2::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // Pages are made for a window that shows them.
    if (!event->spontaneous())
        mPageArrival->stop();
}

bool Form2::isMakingPages() const
{
    return mPageArrival->isActive() && mPagePicture.isMaking();
}

void Form2::makeMorePages()
{
    // A save or a print has the office at work and lets events run; the pages wait for it.
    if (mBusy)
        return;
    if (!mPagePicture.isMaking()) {
        mPageArrival->stop();
        return;
    }
    // The office makes the pages while the window goes on; they are looked for now and then.
    if (mPagePicture.isMakingInBackground()) {
        if (!mPagePicture.takeMadePages().isEmpty())
            mPicture1->update();
    } else {
        // The part of the page box inside the viewport, in the picture's own pixels.
        const QRectF inViewport = QRectF(mPicture2->innerArea()->rect())
                                      .translated(-QPointF(mPicture1->pos()))
                                      .intersected(mPicture1->rect());
        const QRectF wanted = mPicture1->pictureArea(inViewport);
        mPagePicture.startMakingPages(pagesPerStep(mPagePicture.pageCount()), wanted);
    }
    mPageArrival->setInterval(mPagePicture.isMakingInBackground() ? kPageLookMs : 0);
    if (!mPagePicture.isMaking())
        mPageArrival->stop();
}

void Form2::closeEvent(QCloseEvent *event)
{
    // Closing is never refused: the document goes, then the program ends.
    event->accept();
    mPageArrival->stop();
    mPagePicture.stopMaking();
    Form_QueryUnload();
    Form_Unload();
}

bool Form2::eventFilter(QObject *watched, QEvent *event)
{
    try {
        if (watched == mPicture1)
            return picture1Event(event);
        if (watched == mPicture2 && event->type() == QEvent::Wheel) {
            wheelOverViewport(static_cast<QWheelEvent *>(event));
            return true;
        }
    } catch (...) {
        qWarning("Preview event failed: %s", qUtf8Printable(DescribeException(std::current_exception())));
    }
    return QWidget::eventFilter(watched, event);
}

bool Form2::picture1Event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A second click of a double click is a press like the first.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        mViewport.Picture1_MouseDown(vbButtons(mouse->button()), vbShift(mouse->modifiers()),
                                     float(mouse->position().x() * Viewport::kTwipsPerPixel),
                                     float(mouse->position().y() * Viewport::kTwipsPerPixel));
        return true;
    }
    case QEvent::MouseMove: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        mViewport.Picture1_MouseMove(vbButtons(mouse->buttons()), vbShift(mouse->modifiers()),
                                     float(mouse->position().x() * Viewport::kTwipsPerPixel),
                                     float(mouse->position().y() * Viewport::kTwipsPerPixel));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        mViewport.Picture1_MouseUp(vbButtons(mouse->button()), vbShift(mouse->modifiers()),
                                   float(mouse->position().x() * Viewport::kTwipsPerPixel),
                                   float(mouse->position().y() * Viewport::kTwipsPerPixel));
        return true;
    }
    case QEvent::Wheel:
        wheelOverViewport(static_cast<QWheelEvent *>(event));
        return true;
    default:
        return false;
    }
}

void Form2::wheelOverViewport(QWheelEvent *event)
{
    mWheelRemainder += event->angleDelta().y();
    const int notches = mWheelRemainder / kWheelNotch;
    mWheelRemainder %= kWheelNotch;
    // Turning the wheel away from the user shows the upper part of the page.
    try {
        mViewport.wheelTurned(-notches);
    } catch (...) {
        qWarning("Scrolling failed: %s", qUtf8Printable(DescribeException(std::current_exception())));
        viewportChanged();
    }
}

void Form2::userScrolled(Viewport::ScrollBar &bar, int value)
{
    try {
        mViewport.scrollBarMoved(bar, value);
    } catch (...) {
        // The scroll bars have no error report of their own; the page stays where it was.
        qWarning("Scrolling failed: %s", qUtf8Printable(DescribeException(std::current_exception())));
        viewportChanged();
    }
}

void Form2::viewportChanged()
{
    if (!mPicture1)
        return;
    const Viewport::Box &page = mViewport.pageBox();
    mPicture1->setGeometry(px(page.left), px(page.top), std::max(0, px(page.outerWidth)),
                           std::max(0, px(page.outerHeight)));
    if (page.whiteBackground && mPicture1->background() != QColor(Qt::white))
        mPicture1->setBackground(Qt::white);

    const Viewport::Box &holder = mViewport.holder();
    mZoomOri->setGeometry(pxRect(kHolderLeft, kHolderTop, holder.outerWidth, holder.outerHeight));
    mZoomOri->setVisible(holder.visible);

    const auto showBar = [](QScrollBar *widget, const Viewport::ScrollBar &bar) {
        const QSignalBlocker blocker(widget);
        widget->setMaximum(bar.maximum);
        widget->setValue(bar.value);
        widget->setEnabled(bar.enabled);
    };
    showBar(mHScroll1, mViewport.hScroll());
    showBar(mVScroll1, mViewport.vScroll());
}

void Form2::copyPageToHolder()
{
    mZoomOri->setPicture(mPicture1->picture());
}

void Form2::clearPagePicture()
{
    mPicture1->clearPicture();
}

void Form2::paintPageFromHolder(const QRectF &target, const QRectF &source)
{
    mPicture1->paintPicture(mZoomOri->picture(), pxRectF(target), pxRectF(source));
}

void Form2::setDefaultPointer()
{
    mPointer.set(MousePointer::Shape::Default);
}

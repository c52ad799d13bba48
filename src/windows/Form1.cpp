#include "Form1.h"

#include "Clock.h"
#include "DatePicker.h"
#include "EventHooks.h"
#include "Failure.h"
#include "Form2.h"
#include "GuardedProcedure.h"
#include "IsInstalled.h"
#include "Locations.h"
#include "Program.h"
#include "ProgramEnd.h"
#include "ProgramFiles.h"
#include "ReceiptDelegate.h"
#include "ReceiptHistory.h"
#include "ReceiptList.h"
#include "ReceiptRecord.h"
#include "ReceiptRules.h"
#include "SingleLineValidator.h"
#include "UrlOpener.h"
#include "UserDialogs.h"
#include "WindowEnding.h"
#include "WindowFit.h"
#include "WindowLook.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace {
constexpr int kTwipsPerPixel = 15;

int px(int twips)
{
    return (twips + kTwipsPerPixel / 2) / kTwipsPerPixel;
}

QRect twipsRect(int left, int top, int width, int height)
{
    return {px(left), px(top), px(width), px(height)};
}

constexpr int kClientWidth = 8040;
constexpr int kClientHeight = 10260;
constexpr int kReceiptColumnWidth = 4000;
constexpr int kNoColumnWidth = 1500;

const QString kCursorFileName = QStringLiteral("HAND-M.CUR");

QFont designFont(qreal pointSize)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(pointSize);
    font.setBold(true);
    return font;
}
} // namespace

Form1::Form1(QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , mReceipts(new ReceiptList(this))
{
    setObjectName(QStringLiteral("Form1"));
    // Ending the program from outside (a signal) closes this window as its user would.
    InstallWindowEnding();
    setFixedSize(px(kClientWidth), px(kClientHeight));
    setFont(designFont(9));
    SetBackground(this, Qt::white);

    createControls();
    connectHandlers();
    setUpReceiptEditing();
    setUpReceiptCsv();
    DateTimePicker1->setDate(Clock::today());
    Form_Load();
}

Form1::~Form1() = default;

void Form1::createControls()
{
    auto frame = [this](const char *name, const QString &caption, int top, int height) {
        auto *box = new QGroupBox(caption, this);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(twipsRect(120, top, 7800, height));
        SetBackground(box, Qt::white);
        return box;
    };
    Frame4 = frame("Frame4", QStringLiteral("Receipt"), 1110, 1185);
    Frame1 = frame("Frame1", QStringLiteral("From Payee (person receiving money)"), 2370, 1605);
    Frame2 = frame("Frame2", QStringLiteral("To Payer (person paying money)"), 4050, 1605);
    Frame3 = frame("Frame3", QStringLiteral("Total Amount"), 5730, 1635);

    auto label = [](QGroupBox *container, int index, const QString &caption, int left, int top, int width) {
        auto *text = new QLabel(caption, container);
        text->setObjectName(QStringLiteral("Label1_%1").arg(index));
        // Each label ends just before its box. Bold text can be wider than the design allowed for;
        // such a label grows to the left, so the colon is never cut and the boxes stay in place.
        QRect geometry = twipsRect(left, top, width, 225);
        const int needed = text->fontMetrics().horizontalAdvance(caption) + 1;
        if (needed > geometry.width())
            geometry.setLeft(std::max(0, geometry.right() + 1 - needed));
        text->setGeometry(geometry);
        text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        SetBackground(text, Qt::white);
    };
    label(Frame4, 1, QStringLiteral("Receipt Name:"), 240, 330, 1230);
    label(Frame4, 2, QStringLiteral("Number:"), 720, 750, 720);
    label(Frame1, 6, QStringLiteral("Payee Name:"), 240, 330, 1110);
    label(Frame1, 0, QStringLiteral("Address:"), 585, 750, 765);
    label(Frame1, 3, QStringLiteral("City:"), 990, 1170, 360);
    label(Frame1, 4, QStringLiteral("State:"), 4440, 1170, 495);
    label(Frame1, 5, QStringLiteral("Zip:"), 6000, 1170, 300);
    label(Frame2, 7, QStringLiteral("Payee Name:"), 240, 330, 1110);
    label(Frame2, 8, QStringLiteral("Address:"), 585, 750, 765);
    label(Frame2, 9, QStringLiteral("City:"), 990, 1140, 360);
    label(Frame2, 10, QStringLiteral("State:"), 4440, 1140, 495);
    label(Frame2, 11, QStringLiteral("Zip:"), 6000, 1140, 300);
    label(Frame3, 12, QStringLiteral("Date:"), 945, 330, 435);
    label(Frame3, 13, QStringLiteral("Description:"), 360, 750, 1020);
    label(Frame3, 14, QStringLiteral("Amount:"), 675, 1170, 705);
    label(Frame3, 15, QStringLiteral("Tax:"), 4395, 1170, 360);

    auto textBox = [](QGroupBox *container, const char *name, int left, int top, int width) {
        auto *box = new QLineEdit(container);
        box->setObjectName(QLatin1String(name));
        box->setGeometry(twipsRect(left, top, width, 345));
        box->setMaxLength(ReceiptDelegate::kMaxFieldLength);
        box->setValidator(new SingleLineValidator(box));
        return box;
    };
    Text1 = textBox(Frame4, "Text1", 1560, 270, 6000);
    Text2 = textBox(Frame4, "Text2", 1560, 690, 6000);
    Text3 = textBox(Frame1, "Text3", 1440, 270, 6120);
    Text4 = textBox(Frame1, "Text4", 1440, 690, 6120);
    Text5 = textBox(Frame1, "Text5", 1440, 1110, 2760);
    Text6 = textBox(Frame1, "Text6", 5040, 1110, 720);
    Text7 = textBox(Frame1, "Text7", 6360, 1110, 1200);
    Text9 = textBox(Frame2, "Text9", 1440, 270, 6120);
    Text10 = textBox(Frame2, "Text10", 1440, 690, 6120);
    Text11 = textBox(Frame2, "Text11", 1440, 1110, 2760);
    Text12 = textBox(Frame2, "Text12", 5040, 1110, 720);
    Text8 = textBox(Frame2, "Text8", 6360, 1110, 1200);

    DateTimePicker1 = new DatePicker(Frame3);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setGeometry(twipsRect(1440, 270, 6120, 345));
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDateRange(QDate(1601, 1, 1), QDate(9999, 12, 31));

    Text14 = textBox(Frame3, "Text14", 1440, 690, 6120);
    Text15 = textBox(Frame3, "Text15", 1440, 1110, 2880);
    Text16 = textBox(Frame3, "Text16", 4815, 1110, 2760);

    auto button = [this](const char *name, const QString &caption, int left, int top, int width) {
        auto *push = new QPushButton(caption, this);
        push->setObjectName(QLatin1String(name));
        push->setGeometry(twipsRect(left, top, width, 405));
        push->setFont(designFont(11.25));
        return push;
    };
    PushButton3 = button("PushButton3", QStringLiteral("Add"), 120, 7470, 3840);
    PushButton4 = button("PushButton4", QStringLiteral("Delete"), 4080, 7470, 3840);

    ListView2 = new QTreeView(this);
    ListView2->setObjectName(QStringLiteral("ListView2"));
    ListView2->setGeometry(twipsRect(120, 7980, 7800, 2175));
    ListView2->setModel(mReceipts);
    ListView2->setRootIsDecorated(false);
    ListView2->setItemsExpandable(false);
    ListView2->setUniformRowHeights(true);
    ListView2->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView2->header()->setStretchLastSection(false);
    ListView2->header()->setSectionsMovable(false);

    PushButton6 = button("PushButton6", QStringLiteral("Start Creating Template"), 120, 120, 7800);
    PushButton2 = button("PushButton2", QStringLiteral("Help"), 120, 630, 3840);
    PushButton1 = button("PushButton1", QStringLiteral("Load Sample/Example Data"), 4080, 630, 3840);

    const QList<QWidget *> tabOrder = {Text1,           Text2,       Text3,       Text4,      Text5,       Text6,
                                       Text7,           Text9,       Text10,      Text11,     Text12,      Text8,
                                       DateTimePicker1, Text14,      Text15,      Text16,     PushButton3, PushButton4,
                                       ListView2,       PushButton6, PushButton2, PushButton1};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder.at(i - 1), tabOrder.at(i));
}

void Form1::connectHandlers()
{
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton3, &QPushButton::clicked, this, &Form1::PushButton3_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);

    for (QLineEdit *box : {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9, Text10, Text11, Text12,
                           Text14, Text15, Text16}) {
        OnFocusChange(box, [this, box](const QFocusEvent &event) {
            if (event.gotFocus())
                Text_GotFocus(box, event.reason());
            else
                Text_LostFocus(event.reason());
        });
    }

    OnMouseMove(this, [this] { Form_MouseMove(); });
    for (QWidget *area : {static_cast<QWidget *>(Frame1), static_cast<QWidget *>(Frame2),
                          static_cast<QWidget *>(Frame3), static_cast<QWidget *>(Frame4), ListView2->viewport()}) {
        OnMouseMove(area, [this] { Form_MouseMove(); });
    }
    for (QPushButton *push : {PushButton1, PushButton2, PushButton3, PushButton4, PushButton6}) {
        OnMouseMove(push, [this] { PushButton_MouseMove(); });
        // A button does not take a plain mouse move; without this the window behind it would see
        // the same move and put the default pointer straight back.
        push->setAttribute(Qt::WA_NoMousePropagation);
        ClickOnEnter(push);
    }
}

void Form1::Form_Load()
{
    GuardedProcedure proc(Location::Form1_Form_Load);

    proc.step(100, [&] { ApplyMainWindowSkin(this); });
    proc.step(104, [&] {
        setWindowTitle(QString::fromLatin1(kProductName));
        setWindowIcon(ProgramIcon());
        SetApplicationTitle();
    });

    const QString cursorFile = ProgramFolder() + QLatin1Char('/') + kCursorFileName;
    if (proc.test(122, [&] { return FileExists(cursorFile); }))
        proc.step(124, [&] { mPointer.loadCustom(cursorFile); });

    proc.step(126, [&] { OpenHomePageAtRandom(); });

    for (int column = 0; column < ReceiptRecord::kFieldCount; ++column)
        proc.step(128 + 2 * column, [&] { mReceipts->addColumnHeader(ReceiptRecord::header(column)); });

    auto setColumnWidth = [this](int column, int twips) {
        if (column >= ListView2->header()->count())
            throw Failure(QStringLiteral("Index out of bounds"));
        ListView2->header()->resizeSection(column, px(twips));
    };
    proc.step(152, [&] { setColumnWidth(0, kReceiptColumnWidth); });
    proc.step(154, [&] { setColumnWidth(1, kNoColumnWidth); });

    proc.step(156, [&] { CheckWordInstalled(); });
}

void Form1::Form_Unload()
{
    EndProgram();
}

void Form1::closeEvent(QCloseEvent *event)
{
    event->accept();
    try {
        Form_Unload();
    } catch (...) {
        qWarning("Closing the main window failed: %s", qUtf8Printable(DescribeException(std::current_exception())));
    }
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (mCentred)
        return;
    mCentred = true;
    if (const QScreen *onScreen = screen()) {
        FitToScreen(this, onScreen->availableGeometry());
        PlaceOnScreen(this, onScreen->availableGeometry());
    }
}

void Form1::Text_LostFocus(Qt::FocusReason reason)
{
    // The window going inactive with no window of the program taking over means another program came
    // to the front; one of our own message boxes or the preview is the active window instead.
    mLeftForAnotherProgram = reason == Qt::ActiveWindowFocusReason && QApplication::activeWindow() == nullptr;
}

void Form1::Text_GotFocus(QLineEdit *box, Qt::FocusReason reason)
{
    // Coming back from another program, or from a context menu, the box is as the user left it: a
    // selection made now would let the next key or paste wipe the entry.
    if (reason == Qt::PopupFocusReason || (reason == Qt::ActiveWindowFocusReason && mLeftForAnotherProgram))
        return;
    // A click lands after the focus and puts the cursor where it was pressed, undoing a selection
    // made now; select once the click has been handled.
    QTimer::singleShot(0, box, [box] {
        if (box->hasFocus())
            box->setSelection(0, int(box->text().size()));
    });
}

void Form1::Form_MouseMove()
{
    mPointer.setUnlessBusy(MousePointer::Shape::Default);
}

void Form1::PushButton_MouseMove()
{
    mPointer.setUnlessBusy(MousePointer::Shape::Custom);
}

void Form1::PushButton2_Click()
{
    GuardedProcedure proc(Location::Form1_PushButton2_Click);
    proc.step(100, [] {
        MsgBox(QStringLiteral("Questions? Please contact Team Kestravel at ") + ContactPageUrl().toString());
    });
}

void Form1::appendFieldsAsRow(GuardedProcedure &proc, int appendLine, int firstSubItemLine)
{
    int row = 0;
    proc.assign(appendLine, row, [&] { return mReceipts->appendRow(Text1->text()); });

    int line = firstSubItemLine;
    auto subItem = [&](int column, auto &&value) {
        proc.step(line, [&] { mReceipts->setSubItem(row, column, value()); });
        line += 2;
    };
    subItem(ReceiptRecord::No, [&] { return Text2->text(); });
    subItem(ReceiptRecord::FromPayee, [&] { return Text3->text(); });
    subItem(ReceiptRecord::FromAddress, [&] { return Text4->text(); });
    subItem(ReceiptRecord::FromCity, [&] { return ComposeCityLine(Text5->text(), Text6->text(), Text7->text()); });
    subItem(ReceiptRecord::ToPayee, [&] { return Text9->text(); });
    subItem(ReceiptRecord::ToAddress, [&] { return Text10->text(); });
    subItem(ReceiptRecord::ToCity, [&] { return ComposeCityLine(Text11->text(), Text12->text(), Text8->text()); });
    subItem(ReceiptRecord::Date, [&] { return FormatReceiptDate(DateTimePicker1->date()); });
    subItem(ReceiptRecord::Description, [&] { return Text14->text(); });
    subItem(ReceiptRecord::Amount, [&] { return Text15->text(); });
    subItem(ReceiptRecord::Tax, [&] { return Text16->text(); });
}

void Form1::PushButton3_Click()
{
    GuardedProcedure proc(Location::Form1_PushButton3_Click);

    if (proc.test(100, [&] { return !IsNumeric(Text15->text()); })) {
        proc.step(100, [] { MsgBox(QStringLiteral("Amount must be numeric value")); });
        return;
    }

    // A receipt name or number of blanks is a deliberate entry; only an empty box is missing.
    if (!proc.test(104, [&] { return !Text1->text().isEmpty() && !Text2->text().isEmpty(); })) {
        proc.step(160, [] { MsgBox(QStringLiteral("You forgot to input Receipt/No.")); });
        return;
    }

    mHistory->recordAppend(QStringLiteral("Add Receipt"), [&] { appendFieldsAsRow(proc, 106, 108); });

    int line = 130;
    for (QLineEdit *box : {Text1, Text2, Text3, Text4, Text5, Text6, Text7, Text8, Text9, Text10, Text11, Text12,
                           Text14, Text15, Text16}) {
        // Emptied with its typing history, so that Ctrl+Z in the box now undoes the add itself.
        proc.step(line, [box] { box->setText(QString()); });
        line += 2;
    }
    // The next receipt is typed straight away, without reaching for the mouse.
    Text1->setFocus(Qt::OtherFocusReason);
}

void Form1::PushButton4_Click()
{
    GuardedProcedure proc(Location::Form1_PushButton4_Click);
    if (proc.test(100, [&] { return mReceipts->count() > 0; }))
        proc.step(102, [&] {
            const QList<int> rows = selectedRows();
            if (rows.isEmpty())
                throw Failure(QStringLiteral("Index out of bounds"));
            mHistory->remove(rows);
        });
}

void Form1::PushButton1_Click()
{
    GuardedProcedure proc(Location::Form1_PushButton1_Click);

    struct Sample
    {
        QLineEdit *box;
        QString value;
    };
    proc.step(100, [&] { Text1->setText(QStringLiteral("Sample receipt")); });
    proc.step(102, [&] { Text2->setText(Clock::today().toString(QStringLiteral("yyMMdd"))); });
    int line = 104;
    for (const Sample &sample :
         {Sample{Text3, QStringLiteral("Selma Orrick")}, Sample{Text4, QStringLiteral("Birchwood st")},
          Sample{Text5, QStringLiteral("French Leek")}, Sample{Text6, QStringLiteral("IN")},
          Sample{Text7, QStringLiteral("33455")}, Sample{Text9, QStringLiteral("Dorian Quell Jr.")},
          Sample{Text10, QStringLiteral("Elm Street")}, Sample{Text11, QStringLiteral("Holderness")},
          Sample{Text12, QStringLiteral("NH")}, Sample{Text8, QStringLiteral("03245")},
          Sample{Text14, QStringLiteral("Building a tree house")}, Sample{Text15, QStringLiteral("75")},
          Sample{Text16, QStringLiteral("10")}}) {
        proc.step(line, [&] { sample.box->setText(sample.value); });
        line += 2;
    }
    proc.step(130, [&] { DateTimePicker1->setDate(Clock::today().addDays(-1)); });

    mHistory->recordAppend(QStringLiteral("Add Sample Receipt"), [&] { appendFieldsAsRow(proc, 132, 134); });
}

#include "Clock.h"
#include "DialogMemory.h"
#include "FileSizeLimit.h"
#include "Form1Fixture.h"
#include "Program.h"
#include "ReceiptList.h"
#include "ScriptedWord.h"
#include "Settings.h"
#include "TestData.h"
#include "TestMain.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QUrl>

// The receipt list to and from CSV files in the main window: the list's context menu, the shortcuts
// and dropped files, with every dialog scripted.
class TestForm1Csv : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void listMenuOffersImportAndExport();
    void shortcuts_data();
    void shortcuts();

    void importAppendsAfterTheRowsThere();
    void importListsTheRowsLeftOut();
    void unusableFileChangesNothing_data();
    void unusableFileChangesNothing();
    void unknownColumnsAreReportedOnce();

    void exportThenImportGivesTheSameList();
    void dialogsOpenWhereTheyWereLastUsed();
    void exportAsksBeforeReplacing_data();
    void exportAsksBeforeReplacing();
    void failedExportSaysSoAndKeepsTheOldFile();
    void exportOntoAProtectedOrLinkedFile_data();
    void exportOntoAProtectedOrLinkedFile();

    void droppedFileIsImported_data();
    void droppedFileIsImported();
    void otherDropsAreLeftAlone_data();
    void otherDropsAreLeftAlone();
    void nothingIsTakenDuringARun();

private:
    QString putFile(const QString &name, const QByteArray &content);
    QAction *action(const char *name) const { return mForm->findChild<QAction *>(QLatin1String(name)); }
    QTreeView *list() const { return mFixture->control<QTreeView>(QStringLiteral("ListView2")); }
    QWidget *dropTarget(const QString &name) const;
    /// Drags \a urls onto \a target and drops them; true when the window took them as a copy.
    bool drop(QWidget *target, const QList<QUrl> &urls, Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction);
    void addReceipt(const QString &name);
    QStringList names() const;
    QStringList filesInFolder() const { return QDir(mFolder->path()).entryList(QDir::Files | QDir::Hidden); }

    std::unique_ptr<QTemporaryDir> mFolder;
    std::unique_ptr<Form1Fixture> mFixture;
    std::unique_ptr<ScriptedWord> mWord;
    Form1 *mForm = nullptr;
};

void TestForm1Csv::init()
{
    Clock::pin([] { return QDate(2021, 8, 31); });
    mFolder = std::make_unique<QTemporaryDir>();
    QVERIFY(mFolder->isValid());
    qputenv("TEMP", mFolder->filePath(QStringLiteral("temp")).toLocal8Bit());
    QVERIFY(QDir().mkpath(mFolder->filePath(QStringLiteral("temp"))));
    OpenSettings()->clear();
    mFixture = std::make_unique<Form1Fixture>();
    mWord = std::make_unique<ScriptedWord>();
    mForm = &mFixture->load();
    mForm->show();
    mFixture->dialogs.clear();
}

void TestForm1Csv::cleanup()
{
    mFixture.reset();
    mWord.reset();
    qunsetenv("TEMP");
    mFolder.reset();
    Clock::pin(nullptr);
}

QString TestForm1Csv::putFile(const QString &name, const QByteArray &content)
{
    const QString path = mFolder->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("Cannot write %s", qPrintable(path));
    return path;
}

QWidget *TestForm1Csv::dropTarget(const QString &name) const
{
    if (name == QLatin1String("Form1"))
        return mForm;
    if (name == QLatin1String("ListView2"))
        return list()->viewport();
    return mForm->findChild<QWidget *>(name);
}

bool TestForm1Csv::drop(QWidget *target, const QList<QUrl> &urls, Qt::DropActions actions)
{
    QMimeData data;
    data.setUrls(urls);
    data.setText(urls.isEmpty() ? QString() : urls.first().toString());
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent dropped(QPointF(at), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
    // The file is imported once the drop is over.
    QCoreApplication::processEvents();
    return dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction;
}

void TestForm1Csv::addReceipt(const QString &name)
{
    mFixture->box(1)->setText(name);
    mFixture->box(2)->setText(QStringLiteral("1"));
    mFixture->box(15)->setText(QStringLiteral("75"));
    QTest::mouseClick(mFixture->control<QPushButton>(QStringLiteral("PushButton3")), Qt::LeftButton);
}

QStringList TestForm1Csv::names() const
{
    QStringList result;
    for (const ReceiptRecord &r : mForm->receipts()->records())
        result.append(r[ReceiptRecord::Receipt]);
    return result;
}

void TestForm1Csv::listMenuOffersImportAndExport()
{
    QTest::mouseClick(list()->viewport(), Qt::RightButton, {}, QPoint(20, 20));
    QMenu *menu = mForm->findChild<QMenu *>(QStringLiteral("ListView2Menu"));
    if (!menu) {
        // Some platforms turn a right click into a context menu only on press or through the window system.
        emit list()->customContextMenuRequested(QPoint(20, 20));
        menu = mForm->findChild<QMenu *>(QStringLiteral("ListView2Menu"));
    }
    QVERIFY(menu);
    QTRY_VERIFY(menu->isVisible());
    QStringList texts;
    // The list's own entries come first; the template's follow them.
    for (const QAction *item : menu->actions()) {
        if (!item->isSeparator() && texts.size() < 5)
            texts.append(item->text() + QLatin1Char(' ') + item->shortcut().toString()
                         + (item->isEnabled() ? QLatin1String(" enabled") : QLatin1String(" disabled")));
    }
    // With nothing done yet, there is nothing to undo, redo or clear.
    QCOMPARE(texts, (QStringList{QStringLiteral("Undo Ctrl+Z disabled"), QStringLiteral("Redo Ctrl+Shift+Z disabled"),
                                 QStringLiteral("Import Receipts... Ctrl+I enabled"),
                                 QStringLiteral("Export Receipts... Ctrl+E enabled"),
                                 QStringLiteral("Clear List  disabled")}));

    mFixture->dialogs.queueOpenPath(putFile(QStringLiteral("one.csv"), "Receipt,No,Amount\nRent,1,75\n"));
    action("ImportReceipts")->trigger();
    menu->close();
    QCOMPARE(names(), QStringList{QStringLiteral("Rent")});
}

void TestForm1Csv::shortcuts_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("in a text box") << QStringLiteral("Text1");
    QTest::newRow("in the amount") << QStringLiteral("Text15");
    QTest::newRow("in the list") << QStringLiteral("ListView2");
    QTest::newRow("on a button") << QStringLiteral("PushButton3");
}

void TestForm1Csv::shortcuts()
{
    QFETCH(QString, focus);
    QApplication::setActiveWindow(mForm);
    QVERIFY(QTest::qWaitForWindowActive(mForm));
    QWidget *focused = mForm->findChild<QWidget *>(focus);
    QVERIFY(focused);
    focused->setFocus(Qt::OtherFocusReason);
    QTRY_COMPARE(QApplication::focusWidget(), focused);
    auto *box = qobject_cast<QLineEdit *>(focused);
    if (box) {
        box->setText(QStringLiteral("abc"));
        box->setCursorPosition(0);
    }

    QTest::keyClick(focused, Qt::Key_I, Qt::ControlModifier);
    QCOMPARE(mFixture->dialogs.openRequests.size(), 1);
    QCOMPARE(mFixture->dialogs.openRequests.first().title, QStringLiteral("Import Receipts"));
    QVERIFY(mFixture->dialogs.openRequests.first().filter.startsWith(QStringLiteral("CSV Files (*.csv)")));

    QTest::keyClick(focused, Qt::Key_E, Qt::ControlModifier);
    QCOMPARE(mFixture->dialogs.saveRequests.size(), 1);
    QCOMPARE(mFixture->dialogs.saveRequests.first().title, QStringLiteral("Export Receipts"));
    QCOMPARE(mFixture->dialogs.saveRequests.first().filter, QStringLiteral("CSV Files (*.csv)"));
    QCOMPARE(mFixture->dialogs.messages.size(), 0);
    // The shortcut went to the window alone: where a text box moves to the end of the line on Ctrl+E,
    // it did not.
    if (box) {
        QCOMPARE(box->text(), QStringLiteral("abc"));
        QCOMPARE(box->cursorPosition(), 0);
    }
}

void TestForm1Csv::importAppendsAfterTheRowsThere()
{
    addReceipt(QStringLiteral("Typed"));
    const QString path = putFile(QStringLiteral("list.csv"), "\xef\xbb\xbfno;RECEIPT;Amount;Date;From City\r\n"
                                                             "7;Rent;75;31.08.2021;\"Holderness; NH\"\r\n"
                                                             "8;Fee;5;;\r\n");
    mFixture->dialogs.queueOpenPath(path);
    action("ImportReceipts")->trigger();

    QCOMPARE(mFixture->dialogs.messages.size(), 0);
    QCOMPARE(names(), (QStringList{QStringLiteral("Typed"), QStringLiteral("Rent"), QStringLiteral("Fee")}));
    const ReceiptRecord rent = mForm->receipts()->record(2);
    QCOMPARE(rent[ReceiptRecord::No], QStringLiteral("7"));
    QCOMPARE(rent[ReceiptRecord::Date], QStringLiteral("31.08.2021"));
    QCOMPARE(rent[ReceiptRecord::FromCity], QStringLiteral("Holderness; NH"));
    QCOMPARE(rent[ReceiptRecord::Description], QString());
    // The view shows them.
    QCOMPARE(list()->model()->rowCount(), 3);
    QCOMPARE(list()->model()->index(2, ReceiptRecord::Amount).data().toString(), QStringLiteral("5"));
}

void TestForm1Csv::importListsTheRowsLeftOut()
{
    QByteArray csv = "Receipt,No,Amount\n";
    for (int i = 0; i < 25; ++i)
        csv += "Bad " + QByteArray::number(i) + ",1,x\n";
    csv += ",,75\nGood 1,1,75\nGood 2,2,1,075.50\nGood 3,3,\"1,075.50\"\n";
    mFixture->dialogs.queueOpenPath(putFile(QStringLiteral("mixed.csv"), csv));
    action("ImportReceipts")->trigger();

    QCOMPARE(names(), (QStringList{QStringLiteral("Good 1"), QStringLiteral("Good 3")}));
    QCOMPARE(mFixture->dialogs.messages.size(), 1);
    const auto message = mFixture->dialogs.messages.first();
    QCOMPARE(message.icon, UserDialogs::Icon::Exclamation);
    QCOMPARE(message.title, ApplicationTitle());
    const QStringList lines = message.text.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 22);
    QCOMPARE(lines.first(), QStringLiteral("2 receipts imported from %1. 27 rows were not imported:")
                                .arg(QDir::toNativeSeparators(mFolder->filePath(QStringLiteral("mixed.csv")))));
    QCOMPARE(lines.at(1), QStringLiteral("Row 2: the amount \"x\" is not a number"));
    QCOMPARE(lines.at(20), QStringLiteral("Row 21: the amount \"x\" is not a number"));
    QCOMPARE(lines.at(21), QStringLiteral("... and 7 more rows."));
}

void TestForm1Csv::unusableFileChangesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::newRow("missing") << QByteArray() << QStringLiteral("The file does not exist.");
    QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)
                               << QStringLiteral("The file is not a text file, so it cannot be CSV.");
    QTest::newRow("no header") << QByteArray("Rent,1,75\n") << QStringLiteral("\"Receipt\" or \"No\"");
    QTest::newRow("quote never closed") << QByteArray("Receipt,No,Amount\nRent,1,75\n\"Fee,2,5\n")
                                        << QStringLiteral("begins in row 3");
}

void TestForm1Csv::unusableFileChangesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    addReceipt(QStringLiteral("Typed"));
    const QString path =
        content.isEmpty() ? mFolder->filePath(QStringLiteral("gone.csv")) : putFile(QStringLiteral("bad.csv"), content);
    mFixture->dialogs.queueOpenPath(path);
    action("ImportReceipts")->trigger();

    QCOMPARE(names(), QStringList{QStringLiteral("Typed")});
    QCOMPARE(mFixture->dialogs.messages.size(), 1);
    const auto message = mFixture->dialogs.messages.first();
    QCOMPARE(message.icon, UserDialogs::Icon::Exclamation);
    QVERIFY2(message.text.startsWith(QStringLiteral("No receipts were imported from %1.").arg(path)),
             qPrintable(message.text));
    QVERIFY2(message.text.contains(reason), qPrintable(message.text));
    QVERIFY(message.text.endsWith(QStringLiteral("The list is unchanged.")));
}

void TestForm1Csv::unknownColumnsAreReportedOnce()
{
    mFixture->dialogs.queueOpenPath(
        putFile(QStringLiteral("extra.csv"), "Receipt,No,Amount,Notes,Category\nA,1,75,x,y\nB,2,5,x,y\nC,3,7,x,y\n"));
    action("ImportReceipts")->trigger();

    QCOMPARE(names().size(), 3);
    QCOMPARE(
        mFixture->dialogs.texts(),
        QStringList{QStringLiteral("These columns are not part of a receipt and were not imported: Notes, Category.")});
    QCOMPARE(mFixture->dialogs.messages.first().icon, UserDialogs::Icon::None);
}

void TestForm1Csv::dialogsOpenWhereTheyWereLastUsed()
{
    QVERIFY(QDir().mkpath(mFolder->filePath(QStringLiteral("in"))));
    QVERIFY(QDir().mkpath(mFolder->filePath(QStringLiteral("out"))));
    mFixture->dialogs.queueOpenPath(putFile(QStringLiteral("in/one.csv"), "Receipt,No,Amount\nRent,1,75\n"));
    mForm->importReceipts();
    mFixture->dialogs.queueSavePath(mFolder->filePath(QStringLiteral("out/list.csv")));
    mForm->exportReceipts();
    QCOMPARE(mFixture->dialogs.openRequests.at(0).folder, DialogMemory::documentsFolder());
    QCOMPARE(mFixture->dialogs.saveRequests.at(0).folder, DialogMemory::documentsFolder());

    // The next run: each dialog opens in its own last folder, and the import with the type chosen.
    mFixture.reset();
    mFixture = std::make_unique<Form1Fixture>(Form1Fixture::Settings::KeptFromLastFixture);
    mForm = &mFixture->load();
    mForm->importReceipts();
    mForm->exportReceipts();
    QCOMPARE(mFixture->dialogs.openRequests.size(), 1);
    QCOMPARE(mFixture->dialogs.openRequests.first().folder, mFolder->filePath(QStringLiteral("in")));
    QCOMPARE(mFixture->dialogs.openRequests.first().initialFilter, QStringLiteral("CSV Files (*.csv)"));
    QCOMPARE(mFixture->dialogs.saveRequests.size(), 1);
    QCOMPARE(mFixture->dialogs.saveRequests.first().folder, mFolder->filePath(QStringLiteral("out")));
}

void TestForm1Csv::exportThenImportGivesTheSameList()
{
    // What the window can hold: typed receipts with awkward text, and the example receipt.
    const QStringList awkward = {QStringLiteral("Smith, Jones & \"Co\""),
                                 QStringLiteral(" 42 "),
                                 QStringLiteral("Jürgen Weiß"),
                                 QStringLiteral("Elm St; Apt 4"),
                                 QStringLiteral("Holderness"),
                                 QStringLiteral("NH"),
                                 QStringLiteral("03245"),
                                 QStringLiteral("\""),
                                 QStringLiteral(""),
                                 QStringLiteral(","),
                                 QStringLiteral(" "),
                                 QStringLiteral("x"),
                                 QStringLiteral("東京 "),
                                 QStringLiteral(" 1,075.50 "),
                                 QStringLiteral("ten")};
    const QList<QLineEdit *> boxes = mFixture->boxes();
    for (qsizetype i = 0; i < boxes.size(); ++i)
        boxes.at(i)->setText(awkward.at(i));
    QTest::mouseClick(mFixture->control<QPushButton>(QStringLiteral("PushButton3")), Qt::LeftButton);
    QTest::mouseClick(mFixture->control<QPushButton>(QStringLiteral("PushButton1")), Qt::LeftButton);
    addReceipt(QStringLiteral("Last"));
    QCOMPARE(mForm->receipts()->count(), 3);
    QCOMPARE(mFixture->dialogs.messages.size(), 0);
    const QList<ReceiptRecord> before = mForm->receipts()->records();

    // No extension given: the file gets one.
    mFixture->dialogs.queueSavePath(mFolder->filePath(QStringLiteral("receipts")));
    action("ExportReceipts")->trigger();
    QCOMPARE(mFixture->dialogs.messages.size(), 0);
    QCOMPARE(filesInFolder(), QStringList{QStringLiteral("receipts.csv")});
    QFile written(mFolder->filePath(QStringLiteral("receipts.csv")));
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    QVERIFY(bytes.startsWith("\xef\xbb\xbfReceipt,No,From Payee,From Address,From City,To Payee,To Address,To City,"
                             "Date,Description,Amount,Tax\r\n\"Smith, Jones & \"\"Co\"\"\",\" 42 \","));

    mForm->receipts()->clear();
    mFixture->dialogs.queueOpenPath(written.fileName());
    action("ImportReceipts")->trigger();
    QCOMPARE(mFixture->dialogs.messages.size(), 0);
    QCOMPARE(mForm->receipts()->count(), before.size());
    for (int row = 1; row <= mForm->receipts()->count(); ++row) {
        const ReceiptRecord r = mForm->receipts()->record(row);
        QCOMPARE(QStringList(r.fields.begin(), r.fields.end()),
                 QStringList(before.at(row - 1).fields.begin(), before.at(row - 1).fields.end()));
    }
}

void TestForm1Csv::exportAsksBeforeReplacing_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("yes") << true;
    QTest::newRow("no") << false;
}

void TestForm1Csv::exportAsksBeforeReplacing()
{
    QFETCH(bool, replace);
    addReceipt(QStringLiteral("Rent"));
    const QString path = putFile(QStringLiteral("old.csv"), "old content");
    mFixture->dialogs.queueSavePath(path);
    mFixture->dialogs.queueAnswer(replace ? UserDialogs::Answer::Yes : UserDialogs::Answer::No);
    action("ExportReceipts")->trigger();

    QCOMPARE(mFixture->dialogs.texts(),
             QStringList{QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?")});
    QCOMPARE(mFixture->dialogs.messages.first().buttons, UserDialogs::Buttons::YesNo);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray content = file.readAll();
    if (replace)
        QVERIFY(content.contains("\r\nRent,1,"));
    else
        QCOMPARE(content, QByteArray("old content"));
    QCOMPARE(filesInFolder(), QStringList{QStringLiteral("old.csv")}); // nothing partial left beside it
}

void TestForm1Csv::failedExportSaysSoAndKeepsTheOldFile()
{
    for (int i = 0; i < 100; ++i) {
        ReceiptRecord r;
        r[ReceiptRecord::Receipt] = QStringLiteral("Receipt %1").arg(i);
        r[ReceiptRecord::No] = QString::number(i);
        r[ReceiptRecord::Amount] = QStringLiteral("75");
        mForm->receipts()->append(r);
    }
    const QByteArray oldContent = "Receipt,No,Amount\r\nOld,1,5\r\n";
    const QString path = putFile(QStringLiteral("receipts.csv"), oldContent);
    mFixture->dialogs.queueSavePath(path);
    mFixture->dialogs.queueAnswer(UserDialogs::Answer::Yes);
    {
        FileSizeLimit limit(2048);
        if (!limit.active())
            QSKIP("The file-size limit cannot be lowered here");
        action("ExportReceipts")->trigger();
    }

    QCOMPARE(mFixture->dialogs.messages.size(), 2);
    const auto message = mFixture->dialogs.messages.at(1);
    QCOMPARE(message.icon, UserDialogs::Icon::Exclamation);
    QVERIFY2(message.text.startsWith(QStringLiteral("The receipts could not be exported to %1.").arg(path)),
             qPrintable(message.text));
    QVERIFY2(message.text.contains(QStringLiteral("Disk full or write error")), qPrintable(message.text));
    QFile kept(path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), oldContent);
    QCOMPARE(filesInFolder(), QStringList{QStringLiteral("receipts.csv")});
    QCOMPARE(mForm->receipts()->count(), 100);
}

void TestForm1Csv::exportOntoAProtectedOrLinkedFile_data()
{
    QTest::addColumn<bool>("link");
    QTest::newRow("read-only") << false;
    QTest::newRow("link to a file in another folder") << true;
}

void TestForm1Csv::exportOntoAProtectedOrLinkedFile()
{
    QFETCH(bool, link);
    addReceipt(QStringLiteral("Rent"));
    QTemporaryDir synced;
    const QString path = mFolder->filePath(QStringLiteral("kept.csv"));
    const QString file = link ? synced.filePath(QStringLiteral("kept.csv")) : path;
    WriteWholeFile(file, "old content");
    // Mode 0444: protected by the user. The superuser could write it, and must leave it alone all the same.
    if (link)
        QVERIFY(QFile::link(file, path));
    else
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    mFixture->dialogs.queueSavePath(path);
    mFixture->dialogs.queueAnswer(UserDialogs::Answer::Yes);
    action("ExportReceipts")->trigger();

    if (link) {
        // The file the link names is written; the link stays.
        QVERIFY(ReadWholeFile(file).contains("\r\nRent,1,"));
        QVERIFY(QFileInfo(path).isSymLink());
    } else {
        // Refused at once, without the question whether to replace it.
        QCOMPARE(mFixture->dialogs.texts(), QStringList{path + QStringLiteral(" is read-only.")});
        QCOMPARE(mFixture->dialogs.messages.first().icon, UserDialogs::Icon::Exclamation);
        QCOMPARE(ReadWholeFile(file), QByteArray("old content"));
    }
    QCOMPARE(filesInFolder(), QStringList{QStringLiteral("kept.csv")});
}

void TestForm1Csv::droppedFileIsImported_data()
{
    QTest::addColumn<QString>("target");
    QTest::newRow("on the window") << QStringLiteral("Form1");
    QTest::newRow("on a frame") << QStringLiteral("Frame2");
    QTest::newRow("on a text box") << QStringLiteral("Text1");
    QTest::newRow("on the date picker") << QStringLiteral("DateTimePicker1");
    QTest::newRow("on the list") << QStringLiteral("ListView2");
}

void TestForm1Csv::droppedFileIsImported()
{
    QFETCH(QString, target);
    const QString first = putFile(QStringLiteral("first.CSV"), "Receipt,No,Amount\nRent,1,75\n");
    const QString second = putFile(QStringLiteral("second.csv"), "Receipt;No;Amount\nFee;2;5\n");
    QWidget *widget = dropTarget(target);
    QVERIFY(widget);
    if (target == QLatin1String("DateTimePicker1"))
        widget = widget->findChild<QLineEdit *>();

    QVERIFY(drop(widget, {QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)}));
    QTRY_COMPARE(names(), (QStringList{QStringLiteral("Rent"), QStringLiteral("Fee")}));
    QCOMPARE(mFixture->dialogs.messages.size(), 0);
    // The text box did not take the file's name as text.
    QCOMPARE(mFixture->box(1)->text(), QString());
    // The dropped files are where they were.
    QVERIFY(QFile::exists(first));
    QVERIFY(QFile::exists(second));
}

void TestForm1Csv::otherDropsAreLeftAlone_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<int>("actions");
    const QUrl csv = QUrl::fromLocalFile(QStringLiteral("/tmp/receipts.csv"));
    QTest::newRow("a text file") << QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/tmp/receipts.txt"))}
                                 << int(Qt::CopyAction);
    QTest::newRow("a web address") << QList<QUrl>{QUrl(QStringLiteral("https://example.com/receipts.csv"))}
                                   << int(Qt::CopyAction);
    QTest::newRow("a CSV file among others")
        << QList<QUrl>{csv, QUrl::fromLocalFile(QStringLiteral("/tmp/photo.png"))} << int(Qt::CopyAction);
    QTest::newRow("only to be moved") << QList<QUrl>{csv} << int(Qt::MoveAction);
}

void TestForm1Csv::otherDropsAreLeftAlone()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(int, actions);
    QVERIFY(!drop(mForm, urls, Qt::DropActions(actions)));
    QCoreApplication::processEvents();
    QCOMPARE(mForm->receipts()->count(), 0);
    QCOMPARE(mFixture->dialogs.messages.size(), 0);
}

void TestForm1Csv::nothingIsTakenDuringARun()
{
    addReceipt(QStringLiteral("Typed"));
    const QString path = putFile(QStringLiteral("list.csv"), "Receipt,No,Amount\nRent,1,75\n");
    bool tried = false;
    bool dropTaken = true;
    QStringList menuStates;
    mWord->onCall = [&](const QString &operation) {
        if (tried || operation != QLatin1String("FillPlaceholder"))
            return;
        tried = true;
        QVERIFY(mForm->isBusy());
        dropTaken = drop(mFixture->box(1), {QUrl::fromLocalFile(path)}) || drop(mForm, {QUrl::fromLocalFile(path)});
        mFixture->dialogs.queueOpenPath(path);
        action("ImportReceipts")->trigger();
        action("ExportReceipts")->trigger();
        emit list()->customContextMenuRequested(QPoint(20, 20));
        if (QMenu *menu = mForm->findChild<QMenu *>(QStringLiteral("ListView2Menu"))) {
            for (const QAction *item : menu->actions()) {
                // The list's own entries; the template's follow them.
                if (!item->isSeparator() && menuStates.size() < 5)
                    menuStates.append(item->isEnabled() ? QStringLiteral("enabled") : QStringLiteral("disabled"));
            }
            menu->close();
        }
    };
    QTest::mouseClick(mFixture->control<QPushButton>(QStringLiteral("PushButton6")), Qt::LeftButton);

    QVERIFY(tried);
    QVERIFY(!dropTaken);
    QCOMPARE(menuStates, QStringList(5, QStringLiteral("disabled")));
    QCOMPARE(mFixture->dialogs.openRequests.size(), 0);
    QCOMPARE(mFixture->dialogs.saveRequests.size(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(names(), QStringList{QStringLiteral("Typed")});
    QVERIFY(!mForm->isBusy());
    // Afterwards the menu offers both again.
    QVERIFY(action("ImportReceipts")->isEnabled());
    QVERIFY(action("ExportReceipts")->isEnabled());
}

PARVOLINE_TEST_MAIN(TestForm1Csv)
#include "tst_form1csv.moc"

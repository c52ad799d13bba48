#include "Form1Fixture.h"
#include "ReceiptList.h"
#include "ReceiptRecord.h"
#include "ReceiptTemplate.h"
#include "SmallFileSystem.h"
#include "TemplateChoice.h"
#include "TestData.h"
#include "TestMain.h"

#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

// The template of the main window's runs: chosen in the list's context menu, checked, remembered,
// and given up when its file is gone.
class TestForm1Template : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void menuShowsAndChangesTheTemplate();
    void refusedTemplateChangesNothing();
    void goneTemplateIsToldOnce();
    void builtInTemplateIsSaved();
    void builtInTemplateOnAFullDisk();

private:
    /// Opens the list's context menu and returns it.
    QMenu *openMenu();
    /// Triggers the menu entry \a name and lets what it started finish.
    void choose(const QString &name);
    QString templateInUse();

    std::unique_ptr<ScriptedRunWindow> mRun;
};

void TestForm1Template::init()
{
    mRun = std::make_unique<ScriptedRunWindow>();
    QVERIFY(mRun->isValid());
}

void TestForm1Template::cleanup()
{
    mRun.reset();
}

QMenu *TestForm1Template::openMenu()
{
    auto *list = mRun->form->findChild<QTreeView *>(QStringLiteral("ListView2"));
    emit list->customContextMenuRequested(QPoint(20, 20));
    return mRun->form->findChild<QMenu *>(QStringLiteral("ListView2Menu"));
}

void TestForm1Template::choose(const QString &name)
{
    QMenu *menu = openMenu();
    QVERIFY(menu);
    auto *action = menu->findChild<QAction *>(name);
    QVERIFY(action);
    QVERIFY(action->isEnabled());
    action->trigger();
    menu->close();
    // The entries' work starts once the menu is gone.
    QTRY_VERIFY(!mRun->form->findChild<QMenu *>(QStringLiteral("ListView2Menu")));
    QCoreApplication::processEvents();
}

QString TestForm1Template::templateInUse()
{
    QMenu *menu = openMenu();
    const QAction *inUse = menu ? menu->findChild<QAction *>(QStringLiteral("templateInUse")) : nullptr;
    const QString text = inUse ? inUse->text() : QString();
    if (menu)
        menu->close();
    // A menu that is still there would be the one the next look finds.
    if (!QTest::qWaitFor([this] { return !mRun->form->findChild<QMenu *>(QStringLiteral("ListView2Menu")); }))
        return QStringLiteral("(the menu stayed open)");
    return text;
}

void TestForm1Template::menuShowsAndChangesTheTemplate()
{
    // United States settings: the built-in template on Letter.
    QCOMPARE(templateInUse(), QStringLiteral("Template: Built-in (Letter)"));

    const QString path = mRun->temp.filePath(QStringLiteral("mine.docx"));
    WriteWholeFile(path, QByteArray("PK\x03\x04 a package", 14));
    mRun->fixture->dialogs.queueOpenPath(path);
    choose(QStringLiteral("useTemplate"));

    // The stand-in reads every file as the built-in template: all placeholders, nothing to warn about.
    QCOMPARE(mRun->fixture->dialogs.texts(), QStringList());
    QCOMPARE(mRun->word->callCount(QStringLiteral("Range.Text")), 1);
    QCOMPARE(TemplateChoice::load().userTemplate(), path);
    QCOMPARE(templateInUse(), QStringLiteral("Template: mine.docx"));
    QVERIFY(!mRun->form->isBusy());

    // A run opens the template it was checked with once, for the run (and then its document for the
    // picture); a changed file is checked again first.
    ReceiptRecord receipt;
    receipt[ReceiptRecord::Receipt] = QStringLiteral("Rent");
    receipt[ReceiptRecord::Amount] = QStringLiteral("10");
    mRun->form->receipts()->append(receipt);
    for (const int opened : {3, 6}) {
        QTest::mouseClick(mRun->fixture->control<QPushButton>(QStringLiteral("PushButton6")), Qt::LeftButton);
        QTRY_VERIFY(!mRun->form->isBusy());
        QCOMPARE(mRun->word->callCount(QStringLiteral("Open")), opened);
        WriteWholeFile(path, QByteArray("PK\x03\x04 changed", 12));
    }
    QCOMPARE(mRun->word->saved.size(), 2);

    choose(QStringLiteral("paperA4"));
    choose(QStringLiteral("useBuiltInTemplate"));
    QCOMPARE(templateInUse(), QStringLiteral("Template: Built-in (A4)"));
    QVERIFY(TemplateChoice::load().usesBuiltIn());
}

void TestForm1Template::refusedTemplateChangesNothing()
{
    const QString path = mRun->temp.filePath(QStringLiteral("notes.docx"));
    WriteWholeFile(path, "[Amount] is due\n");
    mRun->fixture->dialogs.queueOpenPath(path);
    choose(QStringLiteral("useTemplate"));

    QCOMPARE(mRun->fixture->dialogs.texts().size(), 1);
    QVERIFY2(mRun->fixture->dialogs.texts().constFirst().startsWith(
                 QStringLiteral("The template %1 cannot be used: it is not a Word or OpenDocument text document.")
                     .arg(path)),
             qPrintable(mRun->fixture->dialogs.texts().constFirst()));
    QVERIFY(TemplateChoice::load().usesBuiltIn());
    // Refused before the word processor was asked, and nothing left in the run's folder.
    QCOMPARE(mRun->word->callCount(QStringLiteral("Open")), 0);
    QCOMPARE(FolderEntries(mRun->temp.path()), QStringList{QStringLiteral("notes.docx")});
}

void TestForm1Template::goneTemplateIsToldOnce()
{
    TemplateChoice choice;
    choice.setUserTemplate(mRun->temp.filePath(QStringLiteral("moved away.docx")));
    choice.save();
    ReceiptRecord receipt;
    receipt[ReceiptRecord::Receipt] = QStringLiteral("Rent");
    receipt[ReceiptRecord::Amount] = QStringLiteral("10");
    mRun->form->receipts()->append(receipt);

    for (int run = 1; run <= 2; ++run) {
        QTest::mouseClick(mRun->fixture->control<QPushButton>(QStringLiteral("PushButton6")), Qt::LeftButton);
        QTRY_VERIFY(!mRun->form->isBusy());
        // The run went ahead with the built-in template.
        QCOMPARE(mRun->word->saved.size(), run);
    }
    const QStringList texts = mRun->fixture->dialogs.texts();
    QCOMPARE(texts, QStringList{QStringLiteral("The template %1 is no longer there. The built-in template is used "
                                               "instead.")
                                    .arg(mRun->temp.filePath(QStringLiteral("moved away.docx")))});
    QVERIFY(TemplateChoice::load().usesBuiltIn());
}

void TestForm1Template::builtInTemplateIsSaved()
{
    choose(QStringLiteral("paperA4"));
    // A name without an extension gets the template's.
    mRun->fixture->dialogs.queueSavePath(mRun->temp.filePath(QStringLiteral("start from here")));
    choose(QStringLiteral("saveBuiltInTemplateAs"));

    QCOMPARE(mRun->fixture->dialogs.texts(), QStringList());
    QCOMPARE(ReadWholeFile(mRun->temp.filePath(QStringLiteral("start from here.dot"))),
             BuiltInTemplateBytes(Paper::A4));
}

void TestForm1Template::builtInTemplateOnAFullDisk()
{
    SmallFileSystem disk;
    QVERIFY2(disk.mount(16 * 1024), "a small file system is needed to make the write fail");
    const QString path = disk.filePath(QStringLiteral("receipt.dot"));
    WriteWholeFile(path, "an older template");
    mRun->fixture->dialogs.queueSavePath(path);
    choose(QStringLiteral("saveBuiltInTemplateAs"));

    QCOMPARE(mRun->fixture->dialogs.texts().size(), 1);
    QVERIFY2(mRun->fixture->dialogs.texts().constFirst().startsWith(
                 QStringLiteral("Saving the template as %1 failed.").arg(path)),
             qPrintable(mRun->fixture->dialogs.texts().constFirst()));
    QCOMPARE(ReadWholeFile(path), QByteArray("an older template"));
    QCOMPARE(FolderEntries(disk.path()), QStringList{QStringLiteral("receipt.dot")});
}

PARVOLINE_TEST_MAIN(TestForm1Template)
#include "tst_form1template.moc"

#include "DialogMemory.h"
#include "Form2.h"
#include "Locations.h"
#include "Program.h"
#include "ScriptedDialogs.h"
#include "ScriptedWord.h"
#include "Settings.h"
#include "SmallFileSystem.h"
#include "TestData.h"
#include "TestMain.h"
#include "WordAutomation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <unistd.h>

namespace {
using Answer = UserDialogs::Answer;

const QString kSaveFilter =
    QStringLiteral("Word Files (*.doc);;Word 2007-365 (*.docx);;OpenDocument Text (*.odt);;PDF (*.pdf)");

QString overwriteQuestion(const QString &path)
{
    return QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?");
}
} // namespace

class tst_Form2Save final : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void save_data();
    void save();
    void saveInAnotherFormat_data();
    void saveInAnotherFormat();
    void clicksWaitWhileTheWordProcessorSaves();
    void failedConversion_data();
    void failedConversion();
    void twoSavesGiveTwoIdenticalCopies();
    void dialogOpensWhereTheLastSaveWent();
    void savingOverTheDocumentItselfKeepsIt();
    void failedCopy_data();
    void failedCopy();
    void readOnlyFolderKeepsTheOldFile();
    void protectedOrLinkedTarget_data();
    void protectedOrLinkedTarget();
    void realWriteFailure_data();
    void realWriteFailure();

private:
    void clickSave()
    {
        QTest::mouseClick(mForm->findChild<QPushButton *>(QStringLiteral("PushButton6")), Qt::LeftButton);
    }
    QStringList targetFolderFiles() const
    {
        return QDir(mTargets->path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    ScriptedDialogs mDialogs;
    std::unique_ptr<QTemporaryDir> mTemp;
    std::unique_ptr<QTemporaryDir> mTargets;
    std::unique_ptr<Form2> mForm;
    QString mDocument;
    QByteArray mContent;
};

void tst_Form2Save::init()
{
    mDialogs.clear();
    OpenSettings()->clear();
    mTemp = std::make_unique<QTemporaryDir>();
    mTargets = std::make_unique<QTemporaryDir>();
    QVERIFY(mTemp->isValid() && mTargets->isValid());
    // Larger than one copy chunk, so a copy takes several writes.
    mContent.resize(200 * 1024);
    for (char &byte : mContent)
        byte = char(QRandomGenerator::global()->bounded(256));
    mDocument = mTemp->filePath(QStringLiteral("Sample12345678.doc"));
    WriteWholeFile(mDocument, mContent);
    mForm = std::make_unique<Form2>();
    mForm->setWordFile(mDocument);
}

void tst_Form2Save::cleanup()
{
    mForm.reset();
    mTargets.reset();
    mTemp.reset();
}

void tst_Form2Save::save_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<QByteArray>("existing");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("replaced");

    const int none = -1;
    QTest::newRow("cancel") << ""
                            << "" << QByteArray() << none << false;
    QTest::newRow("new path") << "receipts.doc"
                              << "receipts.doc" << QByteArray() << none << true;
    QTest::newRow("name without extension gets .doc") << "receipts"
                                                      << "receipts.doc" << QByteArray() << none << true;
    QTest::newRow("name ending in a dot") << "receipts."
                                          << "receipts.doc" << QByteArray() << none << true;
    QTest::newRow("other extension kept") << "receipts.txt"
                                          << "receipts.txt" << QByteArray() << none << true;
    QTest::newRow("existing, No") << "old.doc"
                                  << "old.doc" << QByteArray("old content") << int(Answer::No) << false;
    QTest::newRow("existing, Yes") << "old.doc"
                                   << "old.doc" << QByteArray("old content") << int(Answer::Yes) << true;
    QTest::newRow("existing typed without extension, Yes")
        << "old"
        << "old.doc" << QByteArray("old content") << int(Answer::Yes) << true;
}

void tst_Form2Save::save()
{
    QFETCH(QString, typed);
    QFETCH(QString, saved);
    QFETCH(QByteArray, existing);
    QFETCH(int, answer);
    QFETCH(bool, replaced);

    const QString target = saved.isEmpty() ? QString() : mTargets->filePath(saved);
    if (!existing.isNull())
        WriteWholeFile(target, existing);
    mDialogs.queueSavePath(typed.isEmpty() ? QString() : mTargets->filePath(typed));
    if (answer >= 0)
        mDialogs.queueAnswer(Answer(answer));

    clickSave();

    QCOMPARE(mDialogs.saveRequests.size(), 1);
    QCOMPARE(mDialogs.saveRequests.first().title, QStringLiteral("Save File"));
    QCOMPARE(mDialogs.saveRequests.first().fileName, QString());
    // Word 97-2003 stays the first type, so the one a dialog chooses unless the user picks another.
    QCOMPARE(mDialogs.saveRequests.first().filter, kSaveFilter);

    QStringList expectedTexts;
    if (!existing.isNull()) {
        expectedTexts << overwriteQuestion(target);
        const ScriptedDialogs::Message &question = mDialogs.messages.first();
        QCOMPARE(question.title, ApplicationTitle());
        QCOMPARE(question.buttons, UserDialogs::Buttons::YesNo);
        QCOMPARE(question.icon, UserDialogs::Icon::None);
    }
    expectedTexts << QStringLiteral("Done.");
    QCOMPARE(mDialogs.texts(), expectedTexts);
    QCOMPARE(mDialogs.messages.last().icon, UserDialogs::Icon::None);

    if (replaced)
        QCOMPARE(ReadWholeFile(target), mContent);
    else if (!existing.isNull())
        QCOMPARE(ReadWholeFile(target), existing);
    // Nothing else lands in the folder: no typed name beside the saved one, no temporary file.
    QCOMPARE(targetFolderFiles(),
             saved.isEmpty() || (existing.isNull() && !replaced) ? QStringList() : QStringList{saved});
    // The document stays for further saves.
    QCOMPARE(ReadWholeFile(mDocument), mContent);
    QCOMPARE(mForm->wordFile(), mDocument);
}

void tst_Form2Save::saveInAnotherFormat_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("saved");
    QTest::addColumn<int>("format");

    const int copy = -1;
    QTest::newRow("docx chosen") << "r"
                                 << "Word 2007-365 (*.docx)"
                                 << "r.docx" << wdFormatXMLDocument;
    QTest::newRow("odt chosen") << "r"
                                << "OpenDocument Text (*.odt)"
                                << "r.odt" << wdFormatOpenDocumentText;
    QTest::newRow("pdf chosen") << "r"
                                << "PDF (*.pdf)"
                                << "r.pdf" << wdFormatPDF;
    QTest::newRow("pdf chosen, name ending in a dot") << "r."
                                                      << "PDF (*.pdf)"
                                                      << "r.pdf" << wdFormatPDF;
    QTest::newRow("typed pdf wins over doc") << "r.pdf"
                                             << "Word Files (*.doc)"
                                             << "r.pdf" << wdFormatPDF;
    QTest::newRow("typed DOCX wins over pdf") << "r.DOCX"
                                              << "PDF (*.pdf)"
                                              << "r.DOCX" << wdFormatXMLDocument;
    QTest::newRow("typed doc wins over odt") << "r.doc"
                                             << "OpenDocument Text (*.odt)"
                                             << "r.doc" << copy;
    QTest::newRow("other extension kept, type's format") << "r.txt"
                                                         << "OpenDocument Text (*.odt)"
                                                         << "r.txt" << wdFormatOpenDocumentText;
    QTest::newRow("doc chosen: a byte copy") << "r"
                                             << "Word Files (*.doc)"
                                             << "r.doc" << copy;
}

void tst_Form2Save::saveInAnotherFormat()
{
    QFETCH(QString, typed);
    QFETCH(QString, type);
    QFETCH(QString, saved);
    QFETCH(int, format);

    ScriptedWord word;
    bool busyWhileSaving = false;
    word.onCall = [&](const QString &operation) {
        if (operation == QLatin1String("SaveAs2"))
            busyWhileSaving = mForm->isBusy() && mForm->mousePointer().isBusy();
    };
    const QString target = mTargets->filePath(saved);
    mDialogs.queueSavePath(mTargets->filePath(typed), type);

    clickSave();

    QCOMPARE(mDialogs.texts(), QStringList{QStringLiteral("Done.")});
    if (format < 0) {
        // Word 97-2003 is the generated document itself: copied, no word processor needed.
        QCOMPARE(word.calls, QStringList());
        QCOMPARE(ReadWholeFile(target), mContent);
    } else {
        // The word processor of its own opens the document, writes the copy, and is done with it.
        QCOMPARE(word.calls, QStringList({QStringLiteral("Create"), QStringLiteral("Documents"),
                                          QStringLiteral("Open(%1)").arg(mDocument),
                                          QStringLiteral("SaveAs2(%1, %2)").arg(target).arg(format),
                                          QStringLiteral("Close(0)"), QStringLiteral("Quit")}));
        QVERIFY(busyWhileSaving);
        QVERIFY(ReadWholeFile(target).startsWith("scripted document, format " + QByteArray::number(format)));
    }
    QCOMPARE(targetFolderFiles(), QStringList{saved});
    QVERIFY(!mForm->isBusy());
    QCOMPARE(mForm->mousePointer().shape(), MousePointer::Shape::Default);
    QCOMPARE(ReadWholeFile(mDocument), mContent);
}

void tst_Form2Save::clicksWaitWhileTheWordProcessorSaves()
{
    ScriptedWord word;
    word.onCall = [&](const QString &operation) {
        if (operation != QLatin1String("SaveAs2"))
            return;
        // The window is alive meanwhile: a second save, "< Back" and Ctrl+P do nothing.
        clickSave();
        QTest::mouseClick(mForm->findChild<QPushButton *>(QStringLiteral("PushButton8")), Qt::LeftButton);
        mForm->PrintDocument();
    };
    mDialogs.queueSavePath(mTargets->filePath(QStringLiteral("r.pdf")));

    clickSave();

    QCOMPARE(mDialogs.saveRequests.size(), 1);
    QCOMPARE(mDialogs.printRequests.size(), 0);
    QCOMPARE(word.callCount(QStringLiteral("SaveAs2")), 1);
    QCOMPARE(mDialogs.texts(), QStringList{QStringLiteral("Done.")});
    QCOMPARE(ReadWholeFile(mDocument), mContent);
}

void tst_Form2Save::failedConversion_data()
{
    QTest::addColumn<QString>("failing");
    QTest::addColumn<bool>("lost");

    QTest::newRow("no word processor") << "Create" << false;
    QTest::newRow("document does not open") << "Open" << false;
    QTest::newRow("save fails") << "SaveAs2" << false;
    QTest::newRow("word processor lost while saving") << "SaveAs2" << true;
}

void tst_Form2Save::failedConversion()
{
    QFETCH(QString, failing);
    QFETCH(bool, lost);

    ScriptedWord word;
    if (lost)
        word.loseAt(failing);
    else
        word.failAt(failing);
    const QString target = mTargets->filePath(QStringLiteral("old.odt"));
    WriteWholeFile(target, "old content");
    mDialogs.queueSavePath(target);
    mDialogs.queueAnswer(Answer::Yes);

    clickSave();

    const auto reports = mDialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports.first().text.contains(QLatin1String(Location::Form2_PushButton6_Click)
                                          + QStringLiteral("at line 130")));
    QVERIFY(!mDialogs.texts().contains(QStringLiteral("Done.")));
    QCOMPARE(ReadWholeFile(target), QByteArray("old content"));
    QCOMPARE(targetFolderFiles(), QStringList{QStringLiteral("old.odt")});
    // Whatever failed, the word processor's instance is not left open.
    QCOMPARE(word.openDocuments, 0);
    QCOMPARE(word.callCount(QStringLiteral("Quit")), word.created);
    QVERIFY(!mForm->isBusy());
    QCOMPARE(mForm->mousePointer().shape(), MousePointer::Shape::Default);
}

void tst_Form2Save::dialogOpensWhereTheLastSaveWent()
{
    clickSave();
    QCOMPARE(mDialogs.saveRequests.at(0).folder, DialogMemory::documentsFolder());
    QCOMPARE(mDialogs.saveRequests.at(0).initialFilter, QString());

    // The user picks a folder and the PDF type, then thinks better of replacing the file there.
    const QString existing = mTargets->filePath(QStringLiteral("receipts.pdf"));
    WriteWholeFile(existing, QByteArrayLiteral("%PDF-1.4 the user's own"));
    mDialogs.queueSavePath(existing, QStringLiteral("PDF (*.pdf)"));
    mDialogs.queueAnswer(Answer::No);
    clickSave();

    // The next run's window, as the settings file has it.
    mForm = std::make_unique<Form2>();
    mForm->setWordFile(mDocument);
    clickSave();
    QCOMPARE(mDialogs.saveRequests.size(), 3);
    QCOMPARE(mDialogs.saveRequests.at(2).folder, mTargets->path());
    QCOMPARE(mDialogs.saveRequests.at(2).initialFilter, QStringLiteral("PDF (*.pdf)"));
    QCOMPARE(mDialogs.saveRequests.at(2).fileName, QString());

    // A folder removed since then is not offered.
    mTargets.reset();
    clickSave();
    QCOMPARE(mDialogs.saveRequests.at(3).folder, DialogMemory::documentsFolder());
}

void tst_Form2Save::twoSavesGiveTwoIdenticalCopies()
{
    const QString first = mTargets->filePath(QStringLiteral("first.doc"));
    const QString second = mTargets->filePath(QStringLiteral("second.doc"));
    mDialogs.queueSavePath(first);
    mDialogs.queueSavePath(second);
    clickSave();
    clickSave();

    QCOMPARE(ReadWholeFile(first), mContent);
    QCOMPARE(ReadWholeFile(second), mContent);
    QCOMPARE(mDialogs.texts(), QStringList({QStringLiteral("Done."), QStringLiteral("Done.")}));
}

void tst_Form2Save::savingOverTheDocumentItselfKeepsIt()
{
    mDialogs.queueSavePath(mDocument);
    mDialogs.queueAnswer(Answer::Yes);
    clickSave();

    QCOMPARE(ReadWholeFile(mDocument), mContent);
    QCOMPARE(mDialogs.texts(), QStringList({overwriteQuestion(mDocument), QStringLiteral("Done.")}));
}

void tst_Form2Save::failedCopy_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QStringList>("folderAfter");

    QTest::newRow("document gone, existing target") << "document gone"
                                                    << "old.doc" << QStringList{QStringLiteral("old.doc")};
    QTest::newRow("document gone, new target") << "document gone"
                                               << "new.doc" << QStringList();
    QTest::newRow("target folder missing") << ""
                                           << "missing/new.doc" << QStringList();
    QTest::newRow("target is a folder") << "target is a folder"
                                        << "old.doc" << QStringList{QStringLiteral("old.doc")};
}

void tst_Form2Save::failedCopy()
{
    QFETCH(QString, fault);
    QFETCH(QString, target);
    QFETCH(QStringList, folderAfter);

    const QString path = mTargets->filePath(target);
    const bool existing = target == QLatin1String("old.doc");
    if (fault == QLatin1String("target is a folder")) {
        QVERIFY(QDir(mTargets->path()).mkpath(target));
        WriteWholeFile(path + QStringLiteral("/inside.txt"), "kept");
    } else if (existing) {
        WriteWholeFile(path, "old content");
    }
    if (fault == QLatin1String("document gone"))
        QVERIFY(QFile::remove(mDocument));
    mDialogs.queueSavePath(path);
    mDialogs.queueAnswer(Answer::Yes);

    clickSave();

    const auto reports = mDialogs.errorReports();
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports.first().text.contains(QLatin1String(Location::Form2_PushButton6_Click)
                                          + QStringLiteral("at line 130")));
    // A failed copy is never followed by "Done.".
    QVERIFY(!mDialogs.texts().contains(QStringLiteral("Done.")));
    QCOMPARE(mDialogs.messages.last().title, QStringLiteral("Application Error"));
    QCOMPARE(targetFolderFiles(), folderAfter);
    if (fault == QLatin1String("target is a folder"))
        QCOMPARE(ReadWholeFile(path + QStringLiteral("/inside.txt")), QByteArray("kept"));
    else if (existing)
        QCOMPARE(ReadWholeFile(path), QByteArray("old content"));
}

void tst_Form2Save::readOnlyFolderKeepsTheOldFile()
{
    const QString path = mTargets->filePath(QStringLiteral("old.doc"));
    WriteWholeFile(path, "old content");
    QFile::setPermissions(mTargets->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const auto restore = qScopeGuard([this] {
        QFile::setPermissions(mTargets->path(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    });
    if (::access(QFile::encodeName(mTargets->path()).constData(), W_OK) == 0)
        QSKIP("This user can write into read-only folders");

    mDialogs.queueSavePath(path);
    mDialogs.queueAnswer(Answer::Yes);
    clickSave();

    QCOMPARE(mDialogs.errorReports().size(), 1);
    QVERIFY(!mDialogs.texts().contains(QStringLiteral("Done.")));
    QCOMPARE(ReadWholeFile(path), QByteArray("old content"));
    QCOMPARE(targetFolderFiles(), QStringList{QStringLiteral("old.doc")});
}

void tst_Form2Save::protectedOrLinkedTarget_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("refused");

    for (const char *name : {"saved.doc", "saved.pdf"}) {
        QTest::addRow("read-only, %s", name) << QStringLiteral("read-only") << QString::fromLatin1(name) << true;
        QTest::addRow("link to a file in another folder, %s", name)
            << QStringLiteral("link") << QString::fromLatin1(name) << false;
        QTest::addRow("link to a read-only file, %s", name)
            << QStringLiteral("link to read-only") << QString::fromLatin1(name) << true;
        QTest::addRow("link to a file not there yet, %s", name)
            << QStringLiteral("dangling link") << QString::fromLatin1(name) << false;
    }
}

void tst_Form2Save::protectedOrLinkedTarget()
{
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(bool, refused);

    ScriptedWord word;
    QTemporaryDir synced;
    QVERIFY(synced.isValid());
    const QString path = mTargets->filePath(name);
    const QString file = kind == QLatin1String("read-only") ? path : synced.filePath(QStringLiteral("kept-") + name);
    if (kind != QLatin1String("dangling link"))
        WriteWholeFile(file, "old content");
    // Mode 0444: protected by the user. The superuser could write it, and must leave it alone all the same.
    if (kind.contains(QLatin1String("read-only")))
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    if (file != path)
        QVERIFY(QFile::link(file, path));
    mDialogs.queueSavePath(path);
    mDialogs.queueAnswer(Answer::Yes);

    clickSave();

    QCOMPARE(mDialogs.errorReports().size(), 0);
    if (refused) {
        QCOMPARE(mDialogs.texts(), QStringList{path + QStringLiteral(" is read-only.")});
        QCOMPARE(mDialogs.messages.first().icon, UserDialogs::Icon::Exclamation);
        QCOMPARE(word.calls, QStringList());
        QCOMPARE(ReadWholeFile(file), QByteArray("old content"));
    } else {
        QStringList told{QStringLiteral("Done.")};
        if (kind != QLatin1String("dangling link"))
            told.prepend(overwriteQuestion(path));
        QCOMPARE(mDialogs.texts(), told);
        // The file the link names is written, beside itself; the link stays.
        if (name.endsWith(QLatin1String(".doc")))
            QCOMPARE(ReadWholeFile(file), mContent);
        else
            QVERIFY(word.calls.contains(QStringLiteral("SaveAs2(%1, %2)").arg(file).arg(wdFormatPDF)));
        QCOMPARE(QDir(synced.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(file).fileName()});
    }
    QCOMPARE(QFileInfo(path).isSymLink(), file != path);
    QCOMPARE(targetFolderFiles(), QStringList{name});
}

void tst_Form2Save::realWriteFailure_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<bool>("existing");

    for (const bool existing : {true, false}) {
        const char *what = existing ? "over an old file" : "as a new file";
        QTest::addRow("full disk, %s", what) << QStringLiteral("full") << existing;
        QTest::addRow("read-only disk, %s", what) << QStringLiteral("read-only") << existing;
        QTest::addRow("file-size limit, %s", what) << QStringLiteral("limit") << existing;
    }
}

void tst_Form2Save::realWriteFailure()
{
    QFETCH(QString, fault);
    QFETCH(bool, existing);

    // A document of one receipt: under 16 KiB, so a buffering writer sees no failure before it
    // commits. The user's old file is 12 KiB; the disk has 8 KiB left.
    mContent.truncate(14000);
    WriteWholeFile(mDocument, mContent);
    const QByteArray old = QByteArray(12288, 'o');
    SmallFileSystem disk;
    QString folder = mTargets->path();
    if (fault != QLatin1String("limit")) {
        if (!disk.mount(64 * 1024))
            QSKIP("No small file system can be mounted here");
        folder = disk.path();
    }
    const QString path = QDir(folder).filePath(QStringLiteral("existing.doc"));
    if (existing)
        WriteWholeFile(path, old);
    if (fault != QLatin1String("limit"))
        WriteWholeFile(QDir(folder).filePath(QStringLiteral("other files")),
                       QByteArray((existing ? 44 : 56) * 1024, 'f'));
    if (fault == QLatin1String("read-only"))
        QVERIFY(disk.makeReadOnly());
    const auto entries = [&] {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    };
    const QStringList before = entries();
    mDialogs.queueSavePath(path);
    if (existing)
        mDialogs.queueAnswer(Answer::Yes);

    // What the user is told: one report of the failed copy, and no "Done.".
    const auto toldOfTheFailure = [this] {
        const auto reports = mDialogs.errorReports();
        return reports.size() == 1
               && reports.first().text.contains(QLatin1String(Location::Form2_PushButton6_Click)
                                                + QStringLiteral("at line 130"))
               && !mDialogs.texts().contains(QStringLiteral("Done."));
    };
    if (fault == QLatin1String("limit")) {
        const int status = RunWithFileSizeLimit(4096, [&] {
            clickSave();
            ::_exit(toldOfTheFailure() ? 0 : 1);
        });
        QCOMPARE(status, 0);
    } else {
        clickSave();
        QVERIFY2(toldOfTheFailure(), qPrintable(mDialogs.texts().join(QLatin1Char('|'))));
    }

    QCOMPARE(entries(), before);
    if (existing)
        QCOMPARE(ReadWholeFile(path), old);
    QCOMPARE(ReadWholeFile(mDocument), mContent);
}

PARVOLINE_TEST_MAIN(tst_Form2Save)
#include "tst_form2save.moc"

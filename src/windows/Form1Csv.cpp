#include "CheckedFile.h"
#include "DialogMemory.h"
#include "ErrorReport.h"
#include "Failure.h"
#include "Form1.h"
#include "GuardedProcedure.h"
#include "ProgramFiles.h"
#include "ReceiptCsv.h"
#include "ReceiptHistory.h"
#include "ReceiptList.h"
#include "UserDialogs.h"
#include "WordAutomation.h"

#include <QAction>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QTreeView>
#include <QUndoStack>
#include <QUrl>

#include <functional>

namespace {
// A message lists this many refused rows and counts the rest.
constexpr int kListedRows = 20;

const QString kCsvFilter = QStringLiteral("CSV Files (*.csv)");

QString counted(qsizetype count, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? one : many));
}

// The local CSV files a drag carries, when it carries nothing else.
QStringList csvFilesOf(const QDropEvent *drag)
{
    const QMimeData *data = drag->mimeData();
    // A copy, never a move: the file stays where it is.
    if (!data || !data->hasUrls() || !(drag->possibleActions() & Qt::CopyAction))
        return {};
    QStringList paths;
    for (const QUrl &url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        const QString path = url.toLocalFile();
        if (QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) != 0)
            return {};
        paths.append(path);
    }
    return paths;
}

// Makes the window's CSV actions work wherever in the window the user is. Dragged CSV files are for the
// window, wherever they are dropped: a text box would otherwise take a file's name as dragged text. And
// the window's shortcuts win over a text box's own use of the same keys (on Linux desktops Ctrl+E moves
// to the end of the line).
class CsvHook final : public QObject
{
public:
    struct Window
    {
        std::function<bool()> accepts;                        ///< whether the window takes files now
        std::function<void(const QStringList &)> drop;        ///< imports the dropped files
        std::function<bool(const QKeySequence &)> isShortcut; ///< a shortcut of the window's actions
    };

    CsvHook(QWidget *widget, Window window)
        : QObject(widget)
        , mWindow(std::move(window))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != parent())
            return false;
        try {
            switch (event->type()) {
            case QEvent::ShortcutOverride:
                return isWindowShortcut(static_cast<QKeyEvent *>(event));
            case QEvent::DragEnter:
            case QEvent::DragMove:
            case QEvent::Drop:
                return dragged(static_cast<QDropEvent *>(event));
            default:
                return false;
            }
        } catch (...) {
            qWarning("A CSV event failed: %s", qUtf8Printable(DescribeException(std::current_exception())));
            return false;
        }
    }

private:
    bool isWindowShortcut(QKeyEvent *key)
    {
        if (!mWindow.isShortcut(QKeySequence(key->keyCombination())))
            return false;
        // Left unaccepted, the override lets the shortcut through instead of the box's key handling.
        key->ignore();
        return true;
    }

    bool dragged(QDropEvent *drag)
    {
        const QStringList files = csvFilesOf(drag);
        if (files.isEmpty())
            return false;
        if (!mWindow.accepts()) {
            // Refused, so the pointer says no; the text box below gets no say either.
            drag->ignore();
            return true;
        }
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        if (drag->type() == QEvent::Drop)
            mWindow.drop(files);
        return true;
    }

    Window mWindow;
};
} // namespace

QAction *Form1::addWindowAction(const QString &text, const QString &name, const QList<QKeySequence> &shortcuts,
                                void (Form1::*handler)())
{
    auto *action = new QAction(text, this);
    action->setObjectName(name);
    action->setShortcuts(shortcuts);
    action->setShortcutContext(Qt::WindowShortcut);
    addAction(action);
    connect(action, &QAction::triggered, this, handler);
    return action;
}

void Form1::setUpReceiptCsv()
{
    mImportAction = addWindowAction(QStringLiteral("Import Receipts..."), QStringLiteral("ImportReceipts"),
                                    {QKeySequence(Qt::CTRL | Qt::Key_I)}, &Form1::importReceipts);
    mExportAction = addWindowAction(QStringLiteral("Export Receipts..."), QStringLiteral("ExportReceipts"),
                                    {QKeySequence(Qt::CTRL | Qt::Key_E)}, &Form1::exportReceipts);

    ListView2->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ListView2, &QWidget::customContextMenuRequested, this, &Form1::showListMenu);

    // A file dropped anywhere on the window is imported, except while a run works.
    setAcceptDrops(true);
    CsvHook::Window window;
    window.accepts = [this] {
        return !mBusy;
    };
    window.drop = [this](const QStringList &paths) {
        // Import once the drop is over, so the program the file came from is not kept waiting while a
        // message is open.
        QTimer::singleShot(0, this, [this, paths] {
            for (const QString &path : paths)
                importReceiptsFrom(path);
        });
    };
    window.isShortcut = [this](const QKeySequence &keys) {
        return keys == mImportAction->shortcut() || keys == mExportAction->shortcut();
    };
    new CsvHook(this, window);
    for (QLineEdit *box : findChildren<QLineEdit *>())
        new CsvHook(box, window);
}

void Form1::showListMenu(const QPoint &at)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("ListView2Menu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(mUndoAction);
    menu->addAction(mRedoAction);
    menu->addSeparator();
    menu->addAction(mImportAction);
    menu->addAction(mExportAction);
    menu->addSeparator();
    menu->addAction(mClearAction);
    // While a run works the list must hold still, and it has no time for a dialog.
    const bool idle = !mBusy;
    mImportAction->setEnabled(idle);
    mExportAction->setEnabled(idle);
    updateListActions();
    addTemplateActions(menu);
    connect(menu, &QMenu::aboutToHide, this, [this] {
        mImportAction->setEnabled(true);
        mExportAction->setEnabled(true);
        // The shortcuts stay with the history, whatever the menu showed.
        mUndoAction->setEnabled(mHistory->stack()->canUndo());
        mRedoAction->setEnabled(mHistory->stack()->canRedo());
    });
    menu->popup(ListView2->viewport()->mapToGlobal(at));
}

void Form1::importReceipts()
{
    if (mBusy)
        return;
    QString path;
    try {
        const DialogMemory memory(QStringLiteral("Import"));
        const QString filter = kCsvFilter + QStringLiteral(";;All Files (*)");
        QString type = memory.type(filter);
        path = UserDialogs::current().openFileName(this, QStringLiteral("Import Receipts"), filter, memory.folder(),
                                                   &type);
        memory.remember(path, type);
    } catch (...) {
        TellFailure(QStringLiteral("Choosing a file"), std::current_exception());
        return;
    }
    if (!path.isEmpty())
        importReceiptsFrom(path);
}

void Form1::importReceiptsFrom(const QString &path)
{
    if (mBusy)
        return;
    try {
        const QString shownPath = QDir::toNativeSeparators(path);
        const ReceiptCsv::Import result = ReceiptCsv::readFile(path);
        if (!result.error.isEmpty()) {
            MsgBox(QStringLiteral("No receipts were imported from %1.\n\n%2\n\nThe list is unchanged.")
                       .arg(shownPath, result.error),
                   UserDialogs::Buttons::Ok, UserDialogs::Icon::Exclamation);
            return;
        }

        mHistory->recordAppend(QStringLiteral("Import Receipts"), [&] { mReceipts->appendRecords(result.records); });
        // A long list is usually made into a document next.
        WordFileDeferral::expect(mReceipts->count());

        QStringList lines;
        if (!result.rejected.isEmpty()) {
            lines.append(QStringLiteral("%1 imported from %2. %3 not imported:")
                             .arg(counted(result.records.size(), "receipt", "receipts"), shownPath,
                                  counted(result.rejected.size(), "row was", "rows were")));
            const qsizetype listed = std::min<qsizetype>(result.rejected.size(), kListedRows);
            for (qsizetype i = 0; i < listed; ++i) {
                const ReceiptCsv::RejectedRow &rejected = result.rejected.at(i);
                lines.append(QStringLiteral("Row %1: %2").arg(rejected.row).arg(rejected.reason));
            }
            const qsizetype rest = result.rejected.size() - listed;
            if (rest > 0) {
                const QLatin1String rows(rest == 1 ? "row" : "rows");
                lines.append(QStringLiteral("... and %1 more %2.").arg(rest).arg(rows));
            }
        } else if (result.records.isEmpty()) {
            lines.append(QStringLiteral("%1 holds no receipts; the list is unchanged.").arg(shownPath));
        }
        if (!result.ignoredColumns.isEmpty()) {
            if (!lines.isEmpty())
                lines.append(QString());
            lines.append(QStringLiteral("These columns are not part of a receipt and were not imported: %1.")
                             .arg(result.ignoredColumns.join(QStringLiteral(", "))));
        }
        if (!lines.isEmpty()) {
            const bool warn = !result.rejected.isEmpty() || result.records.isEmpty();
            MsgBox(lines.join(QLatin1Char('\n')), UserDialogs::Buttons::Ok,
                   warn ? UserDialogs::Icon::Exclamation : UserDialogs::Icon::None);
        }
    } catch (...) {
        TellFailure(QStringLiteral("Importing receipts"), std::current_exception());
    }
}

void Form1::exportReceipts()
{
    if (mBusy)
        return;
    try {
        const DialogMemory memory(QStringLiteral("Export"));
        QString type = memory.type(kCsvFilter);
        const QString chosen =
            UserDialogs::current().saveFileName(this, QStringLiteral("Export Receipts"), QStringLiteral("Receipts.csv"),
                                                kCsvFilter, &type, memory.folder());
        const QString path = ReceiptCsv::withCsvExtension(chosen);
        memory.remember(path, type);
        if (path.isEmpty())
            return;
        // A file the user protected is refused, as editors do, rather than offered for overwriting.
        if (IsReadOnlyFile(path)) {
            MsgBox(QDir::toNativeSeparators(path) + QStringLiteral(" is read-only."), UserDialogs::Buttons::Ok,
                   UserDialogs::Icon::Exclamation);
            return;
        }
        // The dialog leaves the overwrite question to the program, as the preview's save does.
        if (FileExists(path)
            && MsgBox(QStringLiteral("Are you sure you wish to overwrite ") + path + QStringLiteral(" ?"),
                      UserDialogs::Buttons::YesNo)
                   != UserDialogs::Answer::Yes) {
            return;
        }
        try {
            ReceiptCsv::writeFile(mReceipts->records(), path);
        } catch (const Failure &failure) {
            MsgBox(QStringLiteral("The receipts could not be exported to %1.\n\n%2\n\nA file that was there before "
                                  "is as it was.")
                       .arg(QDir::toNativeSeparators(path), failure.description()),
                   UserDialogs::Buttons::Ok, UserDialogs::Icon::Exclamation);
        }
    } catch (...) {
        TellFailure(QStringLiteral("Exporting receipts"), std::current_exception());
    }
}

#pragma once

#include "MousePointer.h"
#include "TemplateCheck.h"

#include <QElapsedTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

enum class Paper;
class Form2;
class GuardedProcedure;
class QAction;
class QKeySequence;
class QMenu;
class QTimer;
class QProgressDialog;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QModelIndex;
class QPushButton;
class QTreeView;
class ReceiptHistory;
class ReceiptList;
class WordFileDeferral;

/// The main window: the fields of one receipt, the receipt list, and the buttons that add, delete,
/// load the example and start the document. Its load is the program's start-up; closing it ends the program.
class Form1 final : public QWidget
{
    Q_OBJECT

public:
    /// Builds the window and runs its load. When the word processor cannot be started the load ends
    /// the program (ProgramEnding() is then true) and the window must not be shown.
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    /// The receipts of the list view, in list order.
    ReceiptList *receipts() const { return mReceipts; }
    /// The steps of the receipt list that undo and redo walk.
    ReceiptHistory *history() const { return mHistory; }
    /// The window's pointer: default, hand or busy.
    MousePointer &pointer() { return mPointer; }
    /// True while "Start Creating Template" runs.
    bool isBusy() const { return mBusy; }
    /// How long a run goes before its progress shows (with Cancel); 0 shows it at once.
    void setProgressDelay(int milliseconds) { mProgressDelayMs = milliseconds; }
    /// The preview window once a run has loaded it, else nullptr.
    Form2 *loadedPreview() const { return mPreview.get(); }

public slots:
    /// "Load Sample/Example Data"
    void PushButton1_Click();
    /// "Help"
    void PushButton2_Click();
    /// "Add"
    void PushButton3_Click();
    /// "Delete"
    void PushButton4_Click();
    /// "Start Creating Template"
    void PushButton6_Click();

    // Receipts to and from CSV files (Form1Csv.cpp).
public slots:
    /// "Import Receipts..." in the list's context menu, Ctrl+I: appends the good rows of a CSV file.
    void importReceipts();
    /// "Export Receipts..." in the list's context menu, Ctrl+E: writes the list as a CSV file.
    void exportReceipts();

public:
    /// Appends the good rows of the CSV file at \a path and tells the user about the rest; does nothing
    /// while a run is busy.
    void importReceiptsFrom(const QString &path);

    // The receipt list kept in place: editing, undo and redo, many rows at once, sorting (Form1List.cpp).
public slots:
    /// A click on a column header: sorts by the column, then the other way, then back to the order of entry.
    void ListView2_ColumnClick(int column);
    /// Undoes the list's last change (Ctrl+Z).
    void undoListChange();
    /// Redoes the change undone last (Ctrl+Shift+Z, Ctrl+Y).
    void redoListChange();
    /// "Clear List" in the list's context menu: removes every receipt, as one step that undo brings back.
    void clearList();

private:
    void setUpReceiptEditing();
    /// Checks the edited text of a cell as "Add" checks a field and keeps it, or tells why not and keeps
    /// the old text. No text: the date typed is no date.
    void commitListEdit(const QModelIndex &index, const std::optional<QString> &text);
    /// The selected rows (1 to count), ascending.
    QList<int> selectedRows() const;
    /// Selects \a rows (1 to count) and scrolls to the first, its cell in \a column the current one.
    void showRows(const QList<int> &rows, int column);
    void updateSortIndicator();
    /// Enables the list's actions as the history and a run allow.
    void updateListActions();

    ReceiptHistory *mHistory = nullptr;
    QAction *mUndoAction = nullptr;
    QAction *mRedoAction = nullptr;
    QAction *mClearAction = nullptr;
    QAction *mDeleteAction = nullptr;

private:
    /// A new action of the window, its \a shortcuts working wherever in the window the user is.
    QAction *addWindowAction(const QString &text, const QString &name, const QList<QKeySequence> &shortcuts,
                             void (Form1::*handler)());
    /// The list's context menu, the shortcuts, and CSV files dropped on the window.
    void setUpReceiptCsv();
    void showListMenu(const QPoint &at);

    QAction *mImportAction = nullptr;
    QAction *mExportAction = nullptr;

    // The template the runs fill (Form1Template.cpp).
public slots:
    /// "Use Template..." in the list's context menu: a Word or OpenDocument file of the user's.
    void useTemplate();
    /// "Use Built-in Template"
    void useBuiltInTemplate();
    /// "Save Built-in Template As...": the built-in template as a file to start one's own from.
    void saveBuiltInTemplateAs();

public:
    /// Makes the file at \a path the template of the runs when it passes the check; tells the user what
    /// the check found. Returns whether the file is now in use.
    bool useTemplateFile(const QString &path);
    /// Makes the built-in template's paper \a paper; none: the paper of the user's country.
    void setBuiltInPaper(std::optional<Paper> paper);

private:
    void addTemplateActions(QMenu *menu);
    /// Where a run's template comes from, checked; empty when the run cannot go on (the user was told).
    std::function<QByteArray()> templateForRun();

    /// The warning last shown about the chosen template, so that a run repeats it only when it changed.
    QString mTemplateWarning;
    /// What the last check through the word processor found, so that a run of an unchanged template
    /// does not load it once more to check it.
    CheckedTemplate mCheckedTemplate;

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void createControls();
    void connectHandlers();
    void Form_Load();
    void Form_Unload();
    void Form_MouseMove();
    void PushButton_MouseMove();
    /// Focus handler of all fifteen text boxes: entered by Tab, Backtab or a click, or given the focus
    /// back by one of the program's own windows, the box selects its text, so typing replaces it.
    void Text_GotFocus(QLineEdit *box, Qt::FocusReason reason);
    /// Notes whether a text box lost the focus to another program.
    void Text_LostFocus(Qt::FocusReason reason);

    /// Appends a row from the window's fields: its text at \a appendLine, sub-items 1 to 11 at the
    /// eleven even lines from \a firstSubItemLine.
    void appendFieldsAsRow(GuardedProcedure &proc, int appendLine, int firstSubItemLine);
    /// The preview window, loaded on first use.
    Form2 *previewWindow();
    /// Gives the finished document and its page picture to the preview, shows it and hides this window;
    /// then has the Word file written, which \a deferral may have put off until the first pages showed.
    void handOver(GuardedProcedure &proc, const QString &wordFile, WordFileDeferral &deferral);
    /// Shows how far a long run has come (after a moment, with Cancel), and keeps the windows painted.
    void startProgress();
    void showProgress(const QString &text, int value, int maximum);
    void showProgressDialog();
    void stopProgress();

    bool mBusy = false;
    std::unique_ptr<Form2> mPreview;
    std::unique_ptr<QProgressDialog> mProgress;
    std::unique_ptr<QTimer> mProgressDelay;
    // A run shorter than this finishes before anyone would look for progress.
    int mProgressDelayMs = 800;
    QElapsedTimer mProgressPump;
    QString mProgressText;
    int mProgressValue = 0;
    int mProgressMaximum = 0;
    MousePointer mPointer{this};
    ReceiptList *mReceipts = nullptr;
    bool mCentred = false;
    bool mLeftForAnotherProgram = false;

    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QGroupBox *Frame3 = nullptr;
    QGroupBox *Frame4 = nullptr;

    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QLineEdit *Text4 = nullptr;
    QLineEdit *Text5 = nullptr;
    QLineEdit *Text6 = nullptr;
    QLineEdit *Text7 = nullptr;
    QLineEdit *Text8 = nullptr;
    QLineEdit *Text9 = nullptr;
    QLineEdit *Text10 = nullptr;
    QLineEdit *Text11 = nullptr;
    QLineEdit *Text12 = nullptr;
    QLineEdit *Text14 = nullptr;
    QLineEdit *Text15 = nullptr;
    QLineEdit *Text16 = nullptr;
    QDateEdit *DateTimePicker1 = nullptr;

    QPushButton *PushButton1 = nullptr;
    QPushButton *PushButton2 = nullptr;
    QPushButton *PushButton3 = nullptr;
    QPushButton *PushButton4 = nullptr;
    QPushButton *PushButton6 = nullptr;

    QTreeView *ListView2 = nullptr;
};

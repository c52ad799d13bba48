#include "ScriptedWord.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

namespace {

struct Session
{
    ScriptedWord *word;
    bool quit = false;
    int lostGeneration = 0;
};

QString cellKey(int row, int column)
{
    return QString::number(row) + QLatin1Char(':') + QString::number(column);
}

bool overlaps(const QList<std::pair<int, int>> &spans, int start, int length)
{
    for (const auto &[s, l] : spans) {
        if (start < s + l && s < start + length)
            return true;
    }
    return false;
}

class Document;

class Replacement final : public WordReplacement
{
public:
    explicit Replacement(Session *session)
        : mSession(session)
    {}
    void ClearFormatting() override { mSession->word->enter(QStringLiteral("Replacement.ClearFormatting")); }
    void setText(const QString &text) override { mSession->word->enter(QStringLiteral("Replacement.setText"), text); }

private:
    Session *mSession;
};

class Find final : public WordFind
{
public:
    explicit Find(Session *session)
        : mSession(session)
        , mReplacement(std::make_shared<::Replacement>(session))
    {}
    void ClearFormatting() override { enter(QStringLiteral("Find.ClearFormatting")); }
    std::shared_ptr<WordReplacement> Replacement() override
    {
        enter(QStringLiteral("Replacement"));
        return mReplacement;
    }
    void setText(const QString &text) override { enter(QStringLiteral("Find.setText"), text); }
    void setForward(bool) override { enter(QStringLiteral("Find.setForward")); }
    void setWrap(int) override { enter(QStringLiteral("Find.setWrap")); }
    void setFormat(bool) override { enter(QStringLiteral("Find.setFormat")); }
    void setMatchCase(bool) override { enter(QStringLiteral("Find.setMatchCase")); }
    void setMatchWholeWord(bool) override { enter(QStringLiteral("Find.setMatchWholeWord")); }
    void setMatchWildcards(bool) override { enter(QStringLiteral("Find.setMatchWildcards")); }
    void setMatchSoundsLike(bool) override { enter(QStringLiteral("Find.setMatchSoundsLike")); }
    void setMatchAllWordForms(bool) override { enter(QStringLiteral("Find.setMatchAllWordForms")); }

private:
    void enter(const QString &operation, const QString &arguments = {}) { mSession->word->enter(operation, arguments); }

    Session *mSession;
    std::shared_ptr<::Replacement> mReplacement;
};

/// Where the selection is: a whole table, or an insertion point in front of paragraph block \a block.
struct SelectionState
{
    std::shared_ptr<ScriptedTable> table;
    int block = 0;
};

class Selection final : public WordSelection
{
public:
    Selection(Session *session, ScriptedDocumentModel *model, SelectionState *state)
        : mSession(session)
        , mModel(model)
        , mState(state)
        , mFind(std::make_shared<::Find>(session))
    {}
    std::shared_ptr<WordFind> Find() override
    {
        mSession->word->enter(QStringLiteral("Find"));
        return mFind;
    }
    void Copy() override
    {
        mSession->word->enter(QStringLiteral("Copy"));
        if (!mState->table)
            throw AutomationError(
                QStringLiteral("This method or property is not available because no text is selected."));
        auto copy = std::make_shared<ScriptedTable>(*mState->table);
        copy->filled.clear();
        ProgramClipboard::current().setContent(copy);
    }
    void Paste() override
    {
        mSession->word->enter(QStringLiteral("Paste"));
        auto table = std::static_pointer_cast<ScriptedTable>(ProgramClipboard::current().content());
        if (!table)
            throw AutomationError(QStringLiteral("The clipboard holds nothing to paste."));
        auto pasted = std::make_shared<ScriptedTable>(*table);
        // A table pasted into an empty paragraph goes in front of it.
        mModel->body.insert(mState->block, ScriptedDocumentModel::Block{{}, pasted});
        ++mState->block;
        mState->table.reset();
    }
    void EndKey(int unit) override
    {
        mSession->word->enter(QStringLiteral("EndKey"), QString::number(unit));
        mState->table.reset();
        mState->block = int(mModel->body.size()) - 1;
    }
    void TypeParagraph() override
    {
        mSession->word->enter(QStringLiteral("TypeParagraph"));
        mModel->body.insert(mState->block, ScriptedDocumentModel::Block{});
        ++mState->block;
    }

private:
    Session *mSession;
    ScriptedDocumentModel *mModel;
    SelectionState *mState;
    std::shared_ptr<::Find> mFind;
};

class Window final : public WordWindow
{
public:
    Window(Session *session, ScriptedDocumentModel *model, SelectionState *state)
        : mSession(session)
        , mSelection(std::make_shared<::Selection>(session, model, state))
    {}
    std::shared_ptr<WordSelection> Selection() override
    {
        mSession->word->enter(QStringLiteral("Selection"));
        return mSelection;
    }

private:
    Session *mSession;
    std::shared_ptr<::Selection> mSelection;
};

class Rows final : public WordRows
{
public:
    Rows(Session *session, std::shared_ptr<ScriptedTable> table)
        : mSession(session)
        , mTable(std::move(table))
    {}
    void setAlignment(int alignment) override
    {
        mSession->word->enter(QStringLiteral("Rows.setAlignment"), QString::number(alignment));
        mTable->centred = alignment == wdAlignRowCenter;
    }
    void setWrapAroundText(bool wrap) override
    {
        mSession->word->enter(QStringLiteral("Rows.setWrapAroundText"));
        mTable->wrapAroundText = wrap;
    }

private:
    Session *mSession;
    std::shared_ptr<ScriptedTable> mTable;
};

/// The text of one table: its cells, one a line.
class TableRange final : public WordRange
{
public:
    TableRange(Session *session, std::shared_ptr<ScriptedTable> table)
        : mSession(session)
        , mTable(std::move(table))
    {}
    void CopyAsPicture() override
    {
        mSession->word->enter(QStringLiteral("CopyAsPicture"));
        throw AutomationError(QStringLiteral("Only the whole document has a picture."));
    }
    QString Text() override
    {
        mSession->word->enter(QStringLiteral("Range.Text"));
        QStringList cells;
        for (const QStringList &row : std::as_const(mTable->rows))
            cells.append(row);
        return cells.join(QLatin1Char('\n'));
    }

private:
    Session *mSession;
    std::shared_ptr<ScriptedTable> mTable;
};

class Table final : public WordTable
{
public:
    Table(Session *session, std::shared_ptr<ScriptedTable> table, SelectionState *state)
        : mSession(session)
        , mTable(std::move(table))
        , mState(state)
    {}
    void Select() override
    {
        mSession->word->enter(QStringLiteral("Select"));
        mState->table = mTable;
    }
    std::shared_ptr<WordRange> Range() override
    {
        mSession->word->enter(QStringLiteral("Range"));
        return std::make_shared<TableRange>(mSession, mTable);
    }
    std::shared_ptr<WordRows> Rows() override
    {
        mSession->word->enter(QStringLiteral("Rows"));
        return std::make_shared<::Rows>(mSession, mTable);
    }
    void FillPlaceholder(const QString &placeholder, const QString &value) override
    {
        mSession->word->enter(QStringLiteral("FillPlaceholder"), placeholder + QStringLiteral(" = ") + value);
        if (placeholder.isEmpty())
            return;
        for (int r = 0; r < mTable->rows.size(); ++r) {
            for (int c = 0; c < mTable->rows[r].size(); ++c) {
                QString &cell = mTable->rows[r][c];
                auto &spans = mTable->filled[cellKey(r, c)];
                int from = 0;
                while (true) {
                    const int at = int(cell.indexOf(placeholder, from, Qt::CaseInsensitive));
                    if (at < 0)
                        break;
                    if (overlaps(spans, at, int(placeholder.size()))) {
                        from = at + 1;
                        continue;
                    }
                    cell.replace(at, placeholder.size(), value);
                    const int delta = int(value.size() - placeholder.size());
                    for (auto &span : spans) {
                        if (span.first > at)
                            span.first += delta;
                    }
                    spans.append({at, int(value.size())});
                    from = at + int(value.size());
                }
            }
        }
    }

private:
    Session *mSession;
    std::shared_ptr<ScriptedTable> mTable;
    SelectionState *mState;
};

class Tables final : public WordTables
{
public:
    Tables(Session *session, ScriptedDocumentModel *model, SelectionState *state)
        : mSession(session)
        , mModel(model)
        , mState(state)
    {}
    int Count() override
    {
        mSession->word->enter(QStringLiteral("Tables.Count"));
        return int(mModel->tables().size());
    }
    std::shared_ptr<WordTable> Item(int n) override
    {
        mSession->word->enter(QStringLiteral("Tables.Item"), QString::number(n));
        const auto tables = mModel->tables();
        if (n < 1 || n > tables.size())
            throw AutomationError(QStringLiteral("The requested member of the collection does not exist."));
        return std::make_shared<::Table>(mSession, tables.at(n - 1), mState);
    }

private:
    Session *mSession;
    ScriptedDocumentModel *mModel;
    SelectionState *mState;
};

class Range final : public WordRange
{
public:
    Range(Session *session, ScriptedDocumentModel *model)
        : mSession(session)
        , mModel(model)
    {}
    void CopyAsPicture() override
    {
        mSession->word->enter(QStringLiteral("CopyAsPicture"));
        ProgramClipboard::current().setPicture(PagePicture::fromImage(ScriptedWord::pictureOf(*mModel)));
    }
    QString Text() override
    {
        mSession->word->enter(QStringLiteral("Range.Text"));
        return mModel->text();
    }

private:
    Session *mSession;
    ScriptedDocumentModel *mModel;
};

class Document final : public WordDocument
{
public:
    Document(Session *session, ScriptedDocumentModel model)
        : mSession(session)
        , mModel(std::move(model))
    {
        mState.block = int(mModel.body.size()) - 1;
        ++mSession->word->openDocuments;
    }
    ~Document() override { markClosed(); }

    std::shared_ptr<WordTables> Tables() override
    {
        enter(QStringLiteral("Tables"));
        return std::make_shared<::Tables>(mSession, &mModel, &mState);
    }
    std::shared_ptr<WordWindow> ActiveWindow() override
    {
        enter(QStringLiteral("ActiveWindow"));
        return std::make_shared<Window>(mSession, &mModel, &mState);
    }
    std::shared_ptr<WordRange> Range() override
    {
        enter(QStringLiteral("Range"));
        return std::make_shared<::Range>(mSession, &mModel);
    }
    void SaveAs(const QString &fileName) override
    {
        enter(QStringLiteral("SaveAs"), fileName);
        write(fileName, "scripted document\n");
        mSession->word->saved.insert(fileName, mModel);
    }
    void SaveAs2(const QString &fileName, int fileFormat) override
    {
        enter(QStringLiteral("SaveAs2"), fileName + QStringLiteral(", ") + QString::number(fileFormat));
        write(fileName, "scripted document, format " + QByteArray::number(fileFormat) + '\n');
        if (fileFormat != wdFormatPDF)
            mSession->word->saved.insert(fileName, mModel);
    }
    void ExportAsFixedFormat(const QString &outputFileName, int exportFormat, int range, int from, int to) override
    {
        enter(QStringLiteral("ExportAsFixedFormat"),
              QStringLiteral("%1, %2, %3, %4, %5").arg(outputFileName).arg(exportFormat).arg(range).arg(from).arg(to));
        write(outputFileName, "scripted pages " + QByteArray::number(from) + '-' + QByteArray::number(to) + '\n');
    }
    void Close() override
    {
        enter(QStringLiteral("Close"));
        markClosed();
    }
    void Close(int saveChanges) override
    {
        enter(QStringLiteral("Close"), QString::number(saveChanges));
        markClosed();
    }
    void markClosed()
    {
        if (!mClosed) {
            mClosed = true;
            --mSession->word->openDocuments;
        }
    }
    bool closed() const { return mClosed; }

private:
    void write(const QString &fileName, const QByteArray &heading)
    {
        QFile file(fileName);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw AutomationError(QStringLiteral("Word cannot save this file: ") + file.errorString());
        file.write(heading + mModel.text().toUtf8());
    }
    void enter(const QString &operation, const QString &arguments = {})
    {
        if (mClosed)
            throw AutomationError(QStringLiteral("The object invoked has disconnected from its clients."));
        mSession->word->enter(operation, arguments);
    }

    Session *mSession;
    ScriptedDocumentModel mModel;
    SelectionState mState;
    bool mClosed = false;
};

class Documents final : public WordDocuments
{
public:
    Documents(Session *session, QList<std::shared_ptr<Document>> *open)
        : mSession(session)
        , mOpen(open)
    {}
    std::shared_ptr<WordDocument> Open(const QString &fileName, bool readOnly) override
    {
        mSession->word->enter(QStringLiteral("Open"), fileName + (readOnly ? QStringLiteral(", readOnly") : QString()));
        if (!QFileInfo(fileName).isFile())
            throw AutomationError(QStringLiteral("Sorry, we couldn't find your file. ") + fileName);
        ScriptedDocumentModel model = ScriptedDocumentModel::receiptTemplate();
        if (const auto it = mSession->word->saved.constFind(fileName); it != mSession->word->saved.cend())
            model = *it;
        auto document = std::make_shared<Document>(mSession, model);
        mOpen->append(document);
        return document;
    }

private:
    Session *mSession;
    QList<std::shared_ptr<Document>> *mOpen;
};

class Application final : public WordApplication
{
public:
    explicit Application(ScriptedWord *word)
        : mSession{word}
    {}
    ~Application() override
    {
        for (auto &document : mOpen)
            document->markClosed();
    }
    std::shared_ptr<WordDocuments> Documents() override
    {
        enter(QStringLiteral("Documents"));
        return std::make_shared<::Documents>(&mSession, &mOpen);
    }
    std::shared_ptr<WordDocument> ActiveDocument() override
    {
        enter(QStringLiteral("ActiveDocument"));
        for (auto it = mOpen.crbegin(); it != mOpen.crend(); ++it) {
            if (!(*it)->closed())
                return *it;
        }
        throw AutomationError(QStringLiteral("This command is not available because no document is open."));
    }
    void setDisplayAlerts(bool) override { enter(QStringLiteral("setDisplayAlerts")); }
    void Quit() override
    {
        enter(QStringLiteral("Quit"));
        mSession.quit = true;
        ++mSession.word->quit;
        for (auto &document : mOpen)
            document->markClosed();
    }

private:
    void enter(const QString &operation)
    {
        if (mSession.quit)
            throw AutomationError(QStringLiteral("The remote server machine does not exist or is unavailable"));
        mSession.word->enter(operation);
    }

    Session mSession;
    QList<std::shared_ptr<Document>> mOpen;
};

} // namespace

QList<std::shared_ptr<ScriptedTable>> ScriptedDocumentModel::tables() const
{
    QList<std::shared_ptr<ScriptedTable>> result;
    for (const Block &block : body) {
        if (block.table)
            result.append(block.table);
    }
    return result;
}

QString ScriptedDocumentModel::text() const
{
    QString result;
    for (const Block &block : body) {
        if (!block.table) {
            result += block.paragraph + QLatin1Char('\n');
            continue;
        }
        for (const QStringList &row : block.table->rows)
            result += QStringLiteral("| ") + row.join(QStringLiteral(" | ")) + QStringLiteral(" |\n");
    }
    return result;
}

int ScriptedDocumentModel::emptyParagraphsAfterTable(int n) const
{
    int seen = 0;
    int empty = -1;
    for (const Block &block : body) {
        if (block.table) {
            if (seen == n)
                return empty;
            ++seen;
            empty = seen == n ? 0 : -1;
        } else if (empty >= 0) {
            if (!block.paragraph.isEmpty())
                return -1;
            ++empty;
        }
    }
    return -1;
}

ScriptedDocumentModel ScriptedDocumentModel::receiptTemplate()
{
    auto table = std::make_shared<ScriptedTable>();
    table->rows = {
        {QStringLiteral("[Receipt]"), QStringLiteral("[No.]")},
        {QStringLiteral("Payee Name: [FromPayee]\nAddress: [FromAddress]\nCity, ST  ZIP Code: [FromCity]"),
         QStringLiteral("Payer Name: [ToPayee]\nAddress: [ToAddress]\nCity, ST  ZIP Code: [ToCity]")},
        {QStringLiteral("Date"), QStringLiteral("Description"), QStringLiteral("Amount")},
        {QStringLiteral("[Date]"), QStringLiteral("[Description]"), QStringLiteral("[Amount]")},
        {QString(), QStringLiteral("Subtotal"), QStringLiteral("[SubTotal]")},
        {QString(), QStringLiteral("Tax"), QStringLiteral("[Tax]")},
        {QString(), QStringLiteral("Total"), QStringLiteral("[Total]")},
    };
    ScriptedDocumentModel model;
    model.body = {Block{}, Block{}, Block{{}, table}, Block{}};
    return model;
}

ScriptedWord::ScriptedWord()
{
    SetWordApplicationFactory([this]() -> std::unique_ptr<WordApplication> {
        enter(QStringLiteral("Create"));
        ++created;
        return std::make_unique<Application>(this);
    });
    ProgramClipboard::install(&mClipboard);
}

ScriptedWord::~ScriptedWord()
{
    SetWordApplicationFactory({});
    ProgramClipboard::install(nullptr);
}

void ScriptedWord::failAt(const QString &operation, int occurrence)
{
    mTriggers.append({operation, occurrence, false});
}

void ScriptedWord::loseAt(const QString &operation, int occurrence)
{
    mTriggers.append({operation, occurrence, true});
}

void ScriptedWord::failAlways(const QString &operation)
{
    mAlways.append(operation);
}

int ScriptedWord::callCount(const QString &operation) const
{
    return mCounts.value(operation);
}

void ScriptedWord::enter(const QString &operation, const QString &arguments)
{
    calls.append(arguments.isEmpty() ? operation : operation + QLatin1Char('(') + arguments + QLatin1Char(')'));
    if (onCall)
        onCall(operation);
    const int count = ++mCounts[operation];
    if (mLost && operation != QLatin1String("Create"))
        throw WordProcessorLost(QStringLiteral("The word processor has stopped working."));
    if (mLost)
        mLost = false; // a new instance starts a fresh word processor
    if (mAlways.contains(operation))
        throw AutomationError(QStringLiteral("Scripted failure of ") + operation);
    for (const Trigger &trigger : std::as_const(mTriggers)) {
        if (trigger.operation == operation && trigger.occurrence == count) {
            if (trigger.lose) {
                mLost = true;
                throw WordProcessorLost(QStringLiteral("The word processor has stopped working."));
            }
            throw AutomationError(QStringLiteral("Scripted failure of ") + operation);
        }
    }
}

QImage ScriptedWord::pictureOf(const ScriptedDocumentModel &document)
{
    const int tables = int(document.tables().size());
    QImage picture(600, qMax(1, tables) * 330, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    for (int i = 0; i < tables; ++i)
        painter.fillRect(20, 20 + i * 330, 560, 290, QColor(40, 40, 40));
    return picture;
}

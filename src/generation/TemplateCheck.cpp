#include "TemplateCheck.h"

#include "DocumentGeneration.h"
#include "ProgramFiles.h"
#include "WordAutomation.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <vector>

namespace {
// How far a bracketed text may be from a placeholder to count as its misspelling: one slip in a short
// name, two in a longer one. Case, blanks, dots, dashes and underscores do not count at all.
constexpr int kShortName = 4;

QString folded(const QString &text)
{
    QString result;
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            result.append(c.toCaseFolded());
    }
    return result;
}

int editDistance(const QString &a, const QString &b)
{
    std::vector<int> previous(std::size_t(b.size()) + 1);
    std::vector<int> current(previous.size());
    for (std::size_t j = 0; j < previous.size(); ++j)
        previous[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        current[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int substitution = previous[std::size_t(j - 1)] + (a.at(i - 1) == b.at(j - 1) ? 0 : 1);
            current[std::size_t(j)] =
                std::min({previous[std::size_t(j)] + 1, current[std::size_t(j - 1)] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous.back();
}

QString quoted(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString refusal(const QString &shownName, const QString &reason)
{
    return QStringLiteral("The template %1 cannot be used: %2.").arg(shownName, reason);
}

template<typename T>
T &checkedUse(const std::shared_ptr<T> &object)
{
    if (!object)
        throw AutomationError(QStringLiteral("Object variable or With block variable not set"));
    return *object;
}

// Quits the instance and removes the checked copy however the check ends.
struct CheckCleanUp
{
    std::unique_ptr<WordApplication> word;
    QString copy;
    ~CheckCleanUp()
    {
        if (word) {
            try {
                word->Quit();
            } catch (...) {
                // A word processor that went away has nothing left open.
            }
        }
        if (!copy.isEmpty())
            DeleteFileQuietly(copy);
    }
};
} // namespace

QString TemplateReview::warning(const QString &shownName) const
{
    QStringList lines;
    if (!missing.isEmpty())
        lines.append(QStringLiteral("The template %1 has no place for %2: nothing is filled in for %3.")
                         .arg(shownName, missing.join(QStringLiteral(", ")),
                              missing.size() == 1 ? QStringLiteral("it") : QStringLiteral("them")));
    if (!misspelt.isEmpty())
        lines.append(QStringLiteral("The template %1 holds %2, which %3 like a misspelt placeholder and %4 as it is.")
                         .arg(shownName, misspelt.join(QStringLiteral(", ")),
                              misspelt.size() == 1 ? QStringLiteral("looks") : QStringLiteral("look"),
                              misspelt.size() == 1 ? QStringLiteral("stays") : QStringLiteral("stay")));
    return lines.join(QLatin1Char('\n'));
}

TemplateReview TemplateCheck::reviewTable(const QString &tableText, const QString &shownName)
{
    TemplateReview review;
    QStringList placeholders;
    for (const Placeholder &placeholder : kPlaceholders) {
        const QString text = QLatin1String(placeholder.text);
        placeholders.append(text);
        if (!tableText.contains(text, Qt::CaseInsensitive))
            review.missing.append(text);
    }

    static const QRegularExpression bracketed(QStringLiteral("\\[([^\\[\\]\\n]{1,40})\\]"));
    for (auto it = bracketed.globalMatch(tableText); it.hasNext();) {
        const QString found = it.next().captured(0);
        if (placeholders.contains(found, Qt::CaseInsensitive))
            continue;
        const QString key = folded(found);
        QString closest;
        int best = 0;
        for (const QString &placeholder : std::as_const(placeholders)) {
            const QString name = folded(placeholder);
            const int distance = editDistance(key, name);
            const int allowed = name.size() <= kShortName ? 1 : 2;
            if (distance <= allowed && (closest.isEmpty() || distance < best)) {
                closest = placeholder;
                best = distance;
            }
        }
        const QString entry = QStringLiteral("%1 (for %2)").arg(found, closest);
        if (!closest.isEmpty() && !review.misspelt.contains(entry))
            review.misspelt.append(entry);
    }

    if (review.missing.size() == placeholders.size()) {
        QString reason = QStringLiteral("its first table holds none of the placeholders, such as [Description] or "
                                        "[Amount]");
        if (!review.misspelt.isEmpty())
            reason += QStringLiteral(" (it holds %1, misspelt)").arg(review.misspelt.join(QStringLiteral(", ")));
        review.refusal = refusal(shownName, reason);
        review.missing.clear();
        review.misspelt.clear();
    }
    return review;
}

bool TemplateCheck::looksLikeDocument(const QByteArray &bytes)
{
    // A compound file (Word 97-2003) or a zip package (Word 2007 and later, OpenDocument); which
    // application's, the word processor finds out.
    static const QByteArray compound = QByteArray::fromHex("d0cf11e0a1b11ae1");
    static const QByteArray package("PK\x03\x04", 4);
    return bytes.startsWith(compound) || bytes.startsWith(package);
}

TemplateReview TemplateCheck::checkFile(const QString &path, QByteArray &bytes, CheckedTemplate *last)
{
    bytes.clear();
    const QString shownName = quoted(path);
    TemplateReview review;
    const QFileInfo info(path);
    if (!info.exists()) {
        review.refusal = refusal(shownName, QStringLiteral("there is no such file"));
        return review;
    }
    if (!info.isFile()) {
        review.refusal = refusal(shownName, QStringLiteral("it is not a file"));
        return review;
    }
    if (info.size() > kMaxTemplateBytes) {
        review.refusal = refusal(shownName, QStringLiteral("it is too large for a receipt template"));
        return review;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        review.refusal = refusal(shownName, QStringLiteral("it cannot be read (%1)").arg(file.errorString()));
        return review;
    }
    QByteArray content = file.read(kMaxTemplateBytes + 1);
    if (file.error() != QFileDevice::NoError || content.size() > kMaxTemplateBytes) {
        review.refusal = refusal(shownName, QStringLiteral("it cannot be read (%1)").arg(file.errorString()));
        return review;
    }
    file.close();
    const QString notADocument = QStringLiteral("it is not a Word or OpenDocument text document");
    if (!looksLikeDocument(content)) {
        review.refusal = refusal(shownName, notADocument);
        return review;
    }

    const QByteArray digest = QCryptographicHash::hash(content, QCryptographicHash::Sha256);
    if (last && last->path == path && last->digest == digest) {
        if (last->review.usable())
            bytes = std::move(content);
        return last->review;
    }

    // The word processor reads the same copy a run reads, in the run's folder: the user's file is
    // never handed to it.
    CheckCleanUp cleanUp;
    const QString copy = TempFile(QLatin1String(kTemplateFileName));
    EnsureOwnFile(content, copy);
    cleanUp.copy = copy;
    cleanUp.word = CreateWordApplication();
    std::shared_ptr<WordDocument> document;
    try {
        document = checkedUse(cleanUp.word->Documents()).Open(copy, true);
    } catch (const AutomationError &) {
        // The word processor going away or being stopped is no fault of the template.
        const std::exception_ptr error = std::current_exception();
        if (IsWordProcessorLost(error) || IsAutomationCancelled(error))
            throw;
        review.refusal = refusal(shownName, notADocument);
        return review;
    }
    const std::shared_ptr<WordTables> tables = checkedUse(document).Tables();
    if (checkedUse(tables).Count() < 1) {
        review.refusal = refusal(shownName, QStringLiteral("it has no table to hold the receipt"));
        return review;
    }
    const QString tableText = checkedUse(checkedUse(checkedUse(tables).Item(1)).Range()).Text();
    document->Close(wdDoNotSaveChanges);
    review = reviewTable(tableText, shownName);
    if (last)
        *last = {path, digest, review};
    if (review.usable())
        bytes = std::move(content);
    return review;
}

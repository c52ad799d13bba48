#include "PagePdfs.h"

#include "LibreOfficeEngine.h"
#include "OdfPageBatch.h"
#include "OfficeDocument.h"
#include "PdfFile.h"
#include "WordAutomation.h"

#include <QList>

#include <utility>

namespace {
// The first and last page of each document, from the pages they begin on; none when they cannot all be
// told for sure.
QList<std::pair<int, int>> pageRanges(const OdfPageBatch &batch, OfficeDocument &office, const QString &what)
{
    const int pages = office.pageCount(what);
    QList<int> starts;
    if (pages == batch.count()) {
        // Every document begins a page of its own, by its first paragraph's or table's style: as many
        // pages as documents is one each.
        for (int page = 1; page <= pages; ++page)
            starts.append(page);
    } else if (batch.countable()) {
        QList<int> elements;
        QList<bool> tables;
        for (const OdfPageBatch::Start &start : batch.starts()) {
            elements.append(start.element);
            tables.append(start.table);
        }
        starts = office.startPages(elements, tables, what);
    }
    if (starts.size() != batch.count() || starts.value(0) != 1 || starts.constLast() > pages)
        return {};
    QList<std::pair<int, int>> ranges;
    for (qsizetype i = 0; i < starts.size(); ++i) {
        const int last = i + 1 < starts.size() ? starts.at(i + 1) - 1 : pages;
        if (last < starts.at(i))
            return {};
        ranges.append({starts.at(i), last});
    }
    return ranges;
}
} // namespace

bool MakePagePdfs(LibreOfficeEngine &engine, const OdfPageBatch &batch, const QString &what,
                  const std::function<bool(int index, const QByteArray &pdf)> &pdf)
{
    const std::shared_ptr<OfficeDocument> office =
        OfficeDocument::load(engine.runningSession(), batch.serialize(), QLatin1String(OfficeDocument::kFlatXml), what);
    const QList<std::pair<int, int>> ranges = pageRanges(batch, *office, what);
    if (ranges.isEmpty())
        return false;
    for (qsizetype i = 0; i < ranges.size(); ++i) {
        const QByteArray bytes =
            office->storePdfPages(QStringLiteral("%1-%2").arg(ranges.at(i).first).arg(ranges.at(i).second), what);
        if (const QString problem = PdfFile::problem(bytes); !problem.isEmpty())
            throw AutomationError(
                QStringLiteral("%1: the word processor's output is not a whole document (%2).").arg(what, problem));
        if (!pdf(static_cast<int>(i), bytes))
            break;
    }
    return true;
}

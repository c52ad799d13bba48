#include "LibreOfficeFillTracker.h"

#include <algorithm>

void LibreOfficeFillTracker::update(const QStringList &names, const QStringList &texts)
{
    QList<Cell> cells;
    for (qsizetype i = 0; i < names.size(); ++i) {
        Cell next{names[i], texts.value(i), {}};
        if (const Cell *known = cell(names[i]); known && known->text == next.text)
            next.filled = known->filled;
        cells.append(next);
    }
    mCells = cells;
}

QString LibreOfficeFillTracker::text(const QString &name) const
{
    const Cell *found = cell(name);
    return found ? found->text : QString();
}

QList<LibreOfficeFillTracker::Occurrence> LibreOfficeFillTracker::find(const QString &placeholder) const
{
    QList<Occurrence> found;
    if (placeholder.isEmpty())
        return found;
    for (const Cell &current : mCells) {
        QList<Occurrence> inCell;
        qsizetype from = 0;
        while (true) {
            const qsizetype at = current.text.indexOf(placeholder, from, Qt::CaseInsensitive);
            if (at < 0)
                break;
            const qsizetype end = at + placeholder.size();
            const bool insideValue = std::any_of(current.filled.cbegin(), current.filled.cend(),
                                                 [&](const Stretch &s) { return at < s.end && end > s.start; });
            if (insideValue) {
                from = at + 1;
                continue;
            }
            inCell.prepend(Occurrence{current.name, at, placeholder.size()});
            from = end;
        }
        found.append(inCell);
    }
    return found;
}

void LibreOfficeFillTracker::filled(const Occurrence &occurrence, const QString &cellText)
{
    for (Cell &current : mCells) {
        if (current.name != occurrence.cell)
            continue;
        const qsizetype delta = cellText.size() - current.text.size();
        const qsizetype oldEnd = occurrence.position + occurrence.length;
        for (Stretch &stretch : current.filled) {
            if (stretch.start >= oldEnd) {
                stretch.start += delta;
                stretch.end += delta;
            }
        }
        current.filled.append(Stretch{occurrence.position, oldEnd + delta});
        current.text = cellText;
        return;
    }
}

qsizetype LibreOfficeFillTracker::cursorSteps(const QString &text, qsizetype from, qsizetype to)
{
    qsizetype steps = 0;
    for (qsizetype i = from; i < to && i < text.size(); ++i) {
        if (text.at(i).isLowSurrogate() && i > from && text.at(i - 1).isHighSurrogate())
            continue;
        ++steps;
    }
    return steps;
}

const LibreOfficeFillTracker::Cell *LibreOfficeFillTracker::cell(const QString &name) const
{
    for (const Cell &current : mCells) {
        if (current.name == name)
            return &current;
    }
    return nullptr;
}

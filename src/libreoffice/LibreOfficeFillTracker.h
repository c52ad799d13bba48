#pragma once

#include <QList>
#include <QString>
#include <QStringList>

/// What the literal fill knows about one table: each cell's text as last read, and where earlier
/// fills put their values. A placeholder is looked for only outside those values, so a value that
/// happens to read like a placeholder is never filled again. Positions are in UTF-16 units of the
/// cell's text, whose paragraphs are joined by one line feed each.
class LibreOfficeFillTracker final
{
public:
    struct Occurrence
    {
        QString cell;
        qsizetype position = 0;
        qsizetype length = 0;
    };

    /// Takes the cells as they read now. A cell whose text is unchanged keeps its filled stretches;
    /// one that changed behind the tracker's back loses them.
    void update(const QStringList &names, const QStringList &texts);
    bool isEmpty() const { return mCells.isEmpty(); }
    QString text(const QString &cell) const;

    /// Where \a placeholder stands (case ignored), outside filled stretches. Within a cell the
    /// last comes first, so that filling them in this order leaves the positions of the rest valid.
    QList<Occurrence> find(const QString &placeholder) const;
    /// Records that \a occurrence was filled and its cell now reads \a cellText.
    void filled(const Occurrence &occurrence, const QString &cellText);

    /// The number of cursor steps from \a from to \a to in \a text: a character outside the basic
    /// plane is two UTF-16 units but one step.
    static qsizetype cursorSteps(const QString &text, qsizetype from, qsizetype to);

private:
    struct Stretch
    {
        qsizetype start = 0;
        qsizetype end = 0;
    };
    struct Cell
    {
        QString name;
        QString text;
        QList<Stretch> filled;
    };

    const Cell *cell(const QString &name) const;

    QList<Cell> mCells;
};

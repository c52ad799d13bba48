// Measures working in a long receipt list through the main window, with its list view shown and laid out:
// editing a cell through the view's editor, sorting by a header click, undoing, and deleting 5,000
// selected receipts. Target: each under 100 ms with 10,000 receipts.
//
//     list_bench [rounds] [rows]

#include "BenchSupport.h"
#include "Form1.h"
#include "ReceiptHistory.h"
#include "ReceiptList.h"
#include "ReceiptRecord.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {
// A bench that measured something else than it says is worse than none.
void expect(bool done, const char *what)
{
    if (!done) {
        std::fprintf(stderr, "%s did not happen\n", what);
        std::exit(1);
    }
}

void print(const char *what, const Figures &figures)
{
    std::printf("%-58s min %8.2f ms   median %8.2f ms\n", what, figures.min, figures.median);
    std::fflush(stdout);
}

// Receipts of many names, numbers, dates and amounts, in no order.
QList<ReceiptRecord> receipts(int rows)
{
    QList<ReceiptRecord> records;
    for (int i = 0; i < rows; ++i) {
        const int mixed = int((i * 7919L) % rows);
        ReceiptRecord r;
        r[ReceiptRecord::Receipt] = QStringLiteral("Harbor Lights Bakery %1").arg(mixed % 977);
        r[ReceiptRecord::No] = QStringLiteral("2021-%1").arg(mixed);
        r[ReceiptRecord::FromPayee] = QStringLiteral("Selma Orrick");
        r[ReceiptRecord::FromCity] = QStringLiteral("French Leek, IN 33455");
        r[ReceiptRecord::Date] = QStringLiteral("%1/%2/20%3")
                                     .arg(1 + mixed % 12, 2, 10, QLatin1Char('0'))
                                     .arg(1 + mixed % 28, 2, 10, QLatin1Char('0'))
                                     .arg(10 + mixed % 13);
        r[ReceiptRecord::Description] = QStringLiteral("A tree house, phase %1").arg(mixed % 7);
        r[ReceiptRecord::Amount] = mixed % 50 ? QStringLiteral("%1.50").arg(70 + mixed % 1000) : QStringLiteral("n/a");
        r[ReceiptRecord::Tax] = QStringLiteral("8.25");
        records.append(r);
    }
    return records;
}
} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 9;
    const int rows = argc > 2 ? std::max(2, atoi(argv[2])) : 10000;

    const IdleWindowSetUp idle;
    const QList<ReceiptRecord> records = receipts(rows);

    Form1 form;
    form.show();
    QCoreApplication::processEvents();
    ReceiptList *list = form.receipts();
    auto *view = form.findChild<QTreeView *>(QStringLiteral("ListView2"));
    auto settle = [&] {
        // What the user sees next: the view laid out and painted.
        QCoreApplication::processEvents();
        view->viewport()->repaint();
    };
    auto fresh = [&] {
        list->clear();
        list->appendRecords(records);
        if (list->sorting().column >= 0)
            form.history()->sort({});
        view->clearSelection();
        view->scrollTo(list->index(rows / 2, 0));
        settle();
    };
    auto select = [&](int first, int last, int every) {
        QItemSelection selection;
        for (int row = first; row <= last; row += every)
            selection.select(list->index(row, 0), list->index(row, list->columnCount() - 1));
        view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    };
    std::printf("%d receipts, %d rounds\n", rows, rounds);

    print("edit the amount of one receipt through the view's editor", measure(rounds, fresh, [&] {
              const QModelIndex cell = list->index(rows / 2, ReceiptRecord::Amount);
              view->setCurrentIndex(cell);
              view->edit(cell);
              QWidget *editor = view->indexWidget(cell);
              if (!editor)
                  editor = QApplication::focusWidget();
              if (auto *box = qobject_cast<QLineEdit *>(editor))
                  box->setText(QStringLiteral("123.45"));
              QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
              QApplication::sendEvent(editor, &enter);
              settle();
              expect(list->text(rows / 2 + 1, ReceiptRecord::Amount) == QLatin1String("123.45"), "the edit");
          }));

    for (const int column : {int(ReceiptRecord::Amount), int(ReceiptRecord::Date), int(ReceiptRecord::Receipt)}) {
        const QByteArray what = "sort by " + ReceiptRecord::header(column).toUtf8() + " (header click)";
        print(what.constData(), measure(rounds, fresh, [&] {
                  form.ListView2_ColumnClick(column);
                  settle();
              }));
    }
    print("undo a sort by Amount", measure(
                                       rounds,
                                       [&] {
                                           fresh();
                                           form.ListView2_ColumnClick(ReceiptRecord::Amount);
                                           settle();
                                       },
                                       [&] {
                                           form.undoListChange();
                                           settle();
                                       }));
    print("sort with every receipt selected (Ctrl+A)", measure(
                                                           rounds,
                                                           [&] {
                                                               fresh();
                                                               view->selectAll();
                                                           },
                                                           [&] {
                                                               form.ListView2_ColumnClick(ReceiptRecord::Amount);
                                                               settle();
                                                           }));

    const int half = rows / 2;
    auto deleted = [&] {
        form.PushButton4_Click();
        settle();
        expect(list->count() == rows - half, "the delete");
    };
    auto undone = [&] {
        form.undoListChange();
        settle();
        expect(list->count() == rows, "the undo");
    };
    print("delete 5,000 selected in one block (Shift-click)", measure(
                                                                  rounds,
                                                                  [&] {
                                                                      fresh();
                                                                      select(rows / 4, rows / 4 + half - 1, 1);
                                                                  },
                                                                  deleted));
    print("undo that delete", measure(
                                  rounds,
                                  [&] {
                                      fresh();
                                      select(rows / 4, rows / 4 + half - 1, 1);
                                      form.PushButton4_Click();
                                      settle();
                                  },
                                  undone));
    print("delete 5,000 selected, every other one (Ctrl-clicks)", measure(
                                                                      rounds,
                                                                      [&] {
                                                                          fresh();
                                                                          select(0, rows - 1, 2);
                                                                      },
                                                                      deleted));
    print("undo that delete", measure(
                                  rounds,
                                  [&] {
                                      fresh();
                                      select(0, rows - 1, 2);
                                      form.PushButton4_Click();
                                      settle();
                                  },
                                  undone));
    print("clear the list, then undo", measure(rounds, fresh, [&] {
              form.clearList();
              form.undoListChange();
              settle();
          }));
    return list->count() == rows ? 0 : 1;
}

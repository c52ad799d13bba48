#include "Form2.h"
#include "PictureBox.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QPushButton>

void Form2::setUpPageMenu()
{
    // Printing has no button: the page's own menu is where a user finds it, with its shortcut.
    for (PictureBox *page : {mPicture2, mPicture1}) {
        page->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(page, &QWidget::customContextMenuRequested, this,
                [this, page](const QPoint &at) { showPageMenu(page->mapToGlobal(at)); });
    }
}

void Form2::showPageMenu(const QPoint &globalPosition)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("PageMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // While a save or a print lets events run, the page takes no second one.
    const bool idle = !mBusy;

    QAction *print = menu->addAction(QStringLiteral("Print..."), this, &Form2::PrintDocument);
    // Only shown here: the window's own Ctrl+P shortcut does the pressing.
    print->setShortcut(QKeySequence::Print);
    print->setShortcutContext(Qt::WidgetShortcut);
    print->setEnabled(idle && !mPagePicture.isNull());
    QAction *save = menu->addAction(mPushButton6->text(), this, &Form2::PushButton6_Click);
    save->setEnabled(idle);
    menu->addSeparator();
    QAction *zoomIn = menu->addAction(mPushButton1->text(), this, &Form2::PushButton1_Click);
    zoomIn->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Plus));
    zoomIn->setShortcutContext(Qt::WidgetShortcut);
    QAction *zoomOut = menu->addAction(mPushButton2->text(), this, &Form2::PushButton2_Click);
    zoomOut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    zoomOut->setShortcutContext(Qt::WidgetShortcut);
    menu->popup(globalPosition);
}

#pragma once

#include "MousePointer.h"
#include "PagePicture.h"
#include "Viewport.h"
#include "ViewportSurface.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class PictureBox;
class QGroupBox;
class QPrinter;
class QPushButton;
class QScrollBar;
class QTimer;
class QWheelEvent;

/// The preview window: shows the page of the generated document with zoom, scroll bars and dragging,
/// saves a copy of the document where the user chooses, goes back to the main window, and ends the
/// program when closed. It owns the generated document from the hand-over until "< Back" or closing.
///
/// A hand-over puts the page in with setPagePicture(), names the document with setWordFile() and shows
/// the window; the next activation sets the viewport up for the new page. Ctrl+P prints the pages.
class Form2 final : public QWidget, private ViewportSurface
{
    Q_OBJECT

public:
    /// \a mainWindow is the window "< Back" shows again.
    explicit Form2(QWidget *mainWindow = nullptr);
    ~Form2() override;

    /// The picture of the page; the page box fits itself to it (at 96 dpi a pixel is 15 twips).
    void setPagePicture(const PagePicture &picture);
    /// The full path of the generated document. Setting it marks a new hand-over, so the next
    /// activation sets the viewport up for the page put in before.
    void setWordFile(const QString &path);
    QString wordFile() const { return mWordFile; }

    const Viewport &viewport() const { return mViewport; }
    /// The window's own pointer: default, hand or busy.
    MousePointer &mousePointer() { return mPointer; }

    /// Runs when the window becomes active: sets the viewport up once after each hand-over.
    void Form_Activate();

    void PushButton1_Click();
    void PushButton2_Click();
    void PushButton6_Click();
    void PushButton8_Click();
    /// Ctrl+P: the print dialog, then the document's pages on the printer, or in a PDF file.
    void PrintDocument();

    /// Runs \a finish, which completes the document shown while its first pages already show (its Word
    /// file is written), as a save runs: busy pointer, the buttons waiting. Throws what \a finish throws.
    void finishDocument(const std::function<void()> &finish) { whileBusy(finish); }

    /// True while a save in another format or a print lets events run; the buttons wait meanwhile.
    bool isBusy() const { return mBusy; }
    /// True while pages of the picture are still to come and are being made, a few at a time between
    /// the window's events, those in sight first.
    bool isMakingPages() const;

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    /// The page's context menu: "Print...", "Save Results To Word File", "Zoom In", "Zoom Out".
    void setUpPageMenu();
    void showPageMenu(const QPoint &globalPosition);
    void Form_Load();
    void Form_QueryUnload();
    void Form_Unload();

    void Form_MouseMove();
    void Frame1_MouseMove();
    void PushButton1_MouseMove();
    void PushButton2_MouseMove();
    void PushButton6_MouseMove();
    void PushButton8_MouseMove();

    bool picture1Event(QEvent *event);
    void wheelOverViewport(QWheelEvent *event);
    void userScrolled(Viewport::ScrollBar &bar, int value);
    /// Makes the next few pages of the picture that are still to come and shows them.
    void makeMorePages();
    /// Runs \a work with the busy pointer and further clicks on the window's actions ignored.
    void whileBusy(const std::function<void()> &work);
    /// Saves the generated document at \a path in \a fileFormat, with the busy pointer while the word
    /// processor writes it.
    void saveCopy(const QString &path, int fileFormat);
    /// Prints on \a printer: rendered pages for a printer, the document's own pages for a PDF file.
    void printTo(QPrinter &printer, int pageCount);

    // How the viewport's state shows on the widgets.
    void viewportChanged() override;
    void copyPageToHolder() override;
    void clearPagePicture() override;
    void paintPageFromHolder(const QRectF &target, const QRectF &source) override;
    void setDefaultPointer() override;

    QPointer<QWidget> mMainWindow;
    Viewport mViewport;
    MousePointer mPointer;
    QString mWordFile;
    PagePicture mPagePicture;
    QTimer *mPageArrival = nullptr;
    bool mFirstActivate = true;
    bool mBusy = false;
    bool mCentred = false;
    int mWheelRemainder = 0;

    QScrollBar *mHScroll1 = nullptr;
    QScrollBar *mVScroll1 = nullptr;
    PictureBox *mPicture2 = nullptr;
    PictureBox *mPicture1 = nullptr;
    QGroupBox *mFrame1 = nullptr;
    PictureBox *mZoomOri = nullptr;
    QPushButton *mPushButton1 = nullptr;
    QPushButton *mPushButton2 = nullptr;
    QPushButton *mPushButton6 = nullptr;
    QPushButton *mPushButton8 = nullptr;
};

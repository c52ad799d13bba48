#include "CheckedFile.h"
#include "DialogMemory.h"
#include "ErrorReport.h"
#include "Failure.h"
#include "Form1.h"
#include "GuardedProcedure.h"
#include "ReceiptTemplate.h"
#include "TemplateCheck.h"
#include "TemplateChoice.h"
#include "UserDialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace {
const QString kTemplateFilter =
    QStringLiteral("Word and OpenDocument Templates (*.dot *.dotx *.ott *.doc *.docx *.odt);;All Files (*)");
const QString kBuiltInFilter = QStringLiteral("Word 97-2003 Template (*.dot)");

void tell(const QString &text)
{
    MsgBox(text, UserDialogs::Buttons::Ok, UserDialogs::Icon::Exclamation);
}

// Remembers \a choice; a failure to is told, and the choice lasts until the program ends.
void remember(const TemplateChoice &choice)
{
    try {
        choice.save();
    } catch (...) {
        TellFailure(QStringLiteral("Remembering the template"), std::current_exception());
    }
}

QString paperText(Paper paper)
{
    return paper == Paper::A4 ? QStringLiteral("A4") : QStringLiteral("Letter");
}
} // namespace

void Form1::addTemplateActions(QMenu *menu)
{
    const TemplateChoice choice = TemplateChoice::load();
    // A run works on the template in the temporary folder; it has no time for a dialog either.
    const bool idle = !mBusy;
    menu->addSeparator();
    QAction *inUse = menu->addAction(QStringLiteral("Template: %1").arg(choice.describe()));
    inUse->setObjectName(QStringLiteral("templateInUse"));
    inUse->setEnabled(false);
    if (!choice.usesBuiltIn())
        inUse->setToolTip(QDir::toNativeSeparators(choice.userTemplate()));

    // The menu and its actions go when it closes: what they start runs once they are gone, never inside
    // an action that a dialog's own event loop could delete.
    const auto add = [&](QMenu *to, const QString &text, const QString &name, auto slot) {
        QAction *action = to->addAction(text);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, slot, Qt::QueuedConnection);
        return action;
    };
    QAction *use = add(menu, QStringLiteral("Use Template..."), QStringLiteral("useTemplate"), &Form1::useTemplate);
    QAction *builtIn = add(menu, QStringLiteral("Use Built-in Template"), QStringLiteral("useBuiltInTemplate"),
                           &Form1::useBuiltInTemplate);
    builtIn->setCheckable(true);
    builtIn->setChecked(choice.usesBuiltIn());
    QAction *save = add(menu, QStringLiteral("Save Built-in Template As..."), QStringLiteral("saveBuiltInTemplateAs"),
                        &Form1::saveBuiltInTemplateAs);

    QMenu *paperMenu = menu->addMenu(QStringLiteral("Paper of the Built-in Template"));
    paperMenu->setObjectName(QStringLiteral("builtInPaperMenu"));
    auto *papers = new QActionGroup(paperMenu);
    const auto addPaper = [&](const QString &text, const QString &name, std::optional<Paper> paper) {
        QAction *action = add(paperMenu, text, name, [this, paper] { setBuiltInPaper(paper); });
        action->setCheckable(true);
        action->setChecked(choice.chosenPaper() == paper);
        action->setActionGroup(papers);
    };
    addPaper(QStringLiteral("As My Country Uses (%1)").arg(paperText(LocalPaper())), QStringLiteral("paperLocal"),
             std::nullopt);
    addPaper(QStringLiteral("A4"), QStringLiteral("paperA4"), Paper::A4);
    addPaper(QStringLiteral("Letter"), QStringLiteral("paperLetter"), Paper::Letter);

    for (QAction *action : {use, builtIn, save})
        action->setEnabled(idle);
    paperMenu->setEnabled(idle);
}

void Form1::useTemplate()
{
    if (mBusy)
        return;
    QString path;
    try {
        // Templates live with the user's own documents, as the saved built-in one does.
        const DialogMemory memory(QStringLiteral("Template"));
        path =
            UserDialogs::current().openFileName(this, QStringLiteral("Use Template"), kTemplateFilter, memory.folder());
        memory.remember(path);
    } catch (...) {
        TellFailure(QStringLiteral("Choosing a file"), std::current_exception());
        return;
    }
    if (!path.isEmpty())
        useTemplateFile(path);
}

bool Form1::useTemplateFile(const QString &path)
{
    if (mBusy)
        return false;
    // The check lets events run while the word processor reads the file: no run may start meanwhile.
    mBusy = true;
    mPointer.set(MousePointer::Shape::Busy);
    const QString absolute = QFileInfo(path).absoluteFilePath();
    TemplateReview review;
    bool checked = false;
    try {
        QByteArray bytes;
        review = TemplateCheck::checkFile(absolute, bytes, &mCheckedTemplate);
        checked = true;
    } catch (...) {
        mPointer.set(MousePointer::Shape::Default);
        TellFailure(QStringLiteral("Checking the template %1").arg(QDir::toNativeSeparators(absolute)),
                    std::current_exception());
    }
    mPointer.set(MousePointer::Shape::Default);
    mBusy = false;
    if (!checked)
        return false;

    TemplateChoice choice = TemplateChoice::load();
    if (!review.usable()) {
        tell(QStringLiteral("%1\n\nThe template in use is still %2.")
                 .arg(review.refusal, choice.usesBuiltIn() ? QStringLiteral("the built-in one")
                                                           : QDir::toNativeSeparators(choice.userTemplate())));
        return false;
    }
    choice.setUserTemplate(absolute);
    remember(choice);
    mTemplateWarning = review.warning(QDir::toNativeSeparators(absolute));
    if (!mTemplateWarning.isEmpty())
        tell(mTemplateWarning);
    return true;
}

void Form1::useBuiltInTemplate()
{
    if (mBusy)
        return;
    TemplateChoice choice = TemplateChoice::load();
    choice.setUserTemplate({});
    remember(choice);
    mTemplateWarning.clear();
}

void Form1::setBuiltInPaper(std::optional<Paper> paper)
{
    if (mBusy)
        return;
    TemplateChoice choice = TemplateChoice::load();
    choice.setChosenPaper(paper);
    remember(choice);
}

void Form1::saveBuiltInTemplateAs()
{
    if (mBusy)
        return;
    const Paper paper = TemplateChoice::load().builtInPaper();
    QString path;
    try {
        const DialogMemory memory(QStringLiteral("Template"));
        path = UserDialogs::current().saveFileName(this, QStringLiteral("Save Built-in Template As"),
                                                   paper == Paper::A4 ? QStringLiteral("receipt-a4.dot")
                                                                      : QStringLiteral("receipt.dot"),
                                                   kBuiltInFilter, nullptr, memory.folder());
        memory.remember(path);
    } catch (...) {
        TellFailure(QStringLiteral("Choosing a file"), std::current_exception());
        return;
    }
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".dot");
    try {
        WriteFileChecked(BuiltInTemplateBytes(paper), path);
    } catch (...) {
        TellFailure(QStringLiteral("Saving the template as %1").arg(QDir::toNativeSeparators(path)),
                    std::current_exception());
    }
}

std::function<QByteArray()> Form1::templateForRun()
{
    TemplateChoice choice = TemplateChoice::load();
    if (!choice.usesBuiltIn()) {
        const QString path = choice.userTemplate();
        const QString shown = QDir::toNativeSeparators(path);
        if (!QFileInfo::exists(path)) {
            // Said once: from now on the built-in template is the choice.
            choice.setUserTemplate({});
            remember(choice);
            mTemplateWarning.clear();
            tell(QStringLiteral("The template %1 is no longer there. The built-in template is used instead.")
                     .arg(shown));
        } else {
            QByteArray bytes;
            TemplateReview review;
            try {
                review = TemplateCheck::checkFile(path, bytes, &mCheckedTemplate);
            } catch (...) {
                TellFailure(QStringLiteral("Checking the template %1").arg(shown), std::current_exception());
                return {};
            }
            if (!review.usable()) {
                tell(QStringLiteral("%1\n\nNo receipts were made.").arg(review.refusal));
                return {};
            }
            // The file may have been changed since it was chosen: what is new about it is told.
            const QString warning = review.warning(shown);
            if (!warning.isEmpty() && warning != mTemplateWarning)
                tell(warning);
            mTemplateWarning = warning;
            return [bytes] {
                return bytes;
            };
        }
    }
    const Paper paper = choice.builtInPaper();
    return [paper] {
        return BuiltInTemplateBytes(paper);
    };
}

#include "WindowLook.h"

#include "Failure.h"
#include "Program.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QPalette>
#include <QRadioButton>
#include <QWidget>

namespace {
QColor buttonFace()
{
    return QApplication::palette().color(QPalette::Button);
}

bool isFrameOrLabel(const QWidget *w)
{
    return qobject_cast<const QGroupBox *>(w) || qobject_cast<const QLabel *>(w)
           || qobject_cast<const QRadioButton *>(w) || qobject_cast<const QCheckBox *>(w);
}

bool isPictureBox(const QWidget *w)
{
    return w->property("pictureBox").toBool();
}
} // namespace

QIcon ProgramIcon()
{
    return QIcon::fromTheme(QLatin1String(kApplicationId), QIcon(QStringLiteral(":/icons/parvoline.png")));
}

void SetBackground(QWidget *widget, const QColor &colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void ApplyMainWindowSkin(QWidget *mainWindow)
{
    const QString skinPath = ProgramFolder() + QLatin1Char('/') + QLatin1String(kSkinFileName);
    const QFileInfo skin(skinPath);
    if (!skin.isFile() || skin.isHidden())
        return;

    SetBackground(mainWindow, buttonFace());
    const auto children = mainWindow->findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (isFrameOrLabel(child) || isPictureBox(child))
            SetBackground(child, buttonFace());
    }

    QFile file(skinPath);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Skin could not be loaded: ") + file.errorString());
    mainWindow->setStyleSheet(QString::fromUtf8(file.readAll()));
}

void ApplyWindowColors(QWidget *window)
{
    SetBackground(window, buttonFace());
    const auto children = window->findChildren<QWidget *>();
    for (QWidget *child : children) {
        if (isFrameOrLabel(child))
            SetBackground(child, buttonFace());
    }
}

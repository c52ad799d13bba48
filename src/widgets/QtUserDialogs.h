#pragma once

#include "UserDialogs.h"

/// The real dialogs, shown with QMessageBox and QFileDialog.
class QtUserDialogs final : public UserDialogs
{
public:
    Answer message(const QString &title, const QString &text, Icon icon, Buttons buttons) override;
    int choose(const QString &title, const QString &text, Icon icon, const QStringList &buttons,
               int defaultButton) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &fileName, const QString &filter,
                         QString *selectedFilter = nullptr, const QString &folder = QString()) override;
    QString openFileName(QWidget *parent, const QString &title, const QString &filter,
                         const QString &folder = QString(), QString *selectedFilter = nullptr) override;
    bool print(QWidget *parent, QPrinter &printer, int pageCount) override;
};

/// Makes QtUserDialogs the program's real dialogs.
void InstallWindowDialogs();

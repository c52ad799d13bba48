#include "TemplateChoice.h"

#include "Failure.h"
#include "Settings.h"

#include <QFileInfo>

namespace {
const QString kTemplateKey = QStringLiteral("template/file");
const QString kPaperKey = QStringLiteral("template/paper");
} // namespace

TemplateChoice TemplateChoice::load()
{
    TemplateChoice choice;
    const std::unique_ptr<QSettings> settings = OpenSettings();
    choice.mUserTemplate = settings->value(kTemplateKey).toString();
    // A paper the program does not know (an edited file) is the country's.
    choice.mPaper = PaperNamed(settings->value(kPaperKey).toString());
    return choice;
}

void TemplateChoice::save() const
{
    const std::unique_ptr<QSettings> settings = OpenSettings();
    if (mUserTemplate.isEmpty())
        settings->remove(kTemplateKey);
    else
        settings->setValue(kTemplateKey, mUserTemplate);
    if (mPaper)
        settings->setValue(kPaperKey, PaperName(*mPaper));
    else
        settings->remove(kPaperKey);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        throw Failure(QStringLiteral("The settings cannot be written to %1").arg(settings->fileName()));
}

QString TemplateChoice::describe() const
{
    if (!mUserTemplate.isEmpty())
        return QFileInfo(mUserTemplate).fileName();
    return QStringLiteral("Built-in (%1)")
        .arg(builtInPaper() == Paper::A4 ? QStringLiteral("A4") : QStringLiteral("Letter"));
}

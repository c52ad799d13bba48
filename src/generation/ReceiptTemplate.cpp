#include "ReceiptTemplate.h"

#include "Failure.h"

#include <QFile>
#include <QLocale>

#include <algorithm>
#include <iterator>

QByteArray ReceiptTemplateBytes()
{
    return BuiltInTemplateBytes(Paper::Letter);
}

QByteArray BuiltInTemplateBytes(Paper paper)
{
    QFile resource(QString::fromLatin1(paper == Paper::A4 ? kReceiptTemplateA4Resource : kReceiptTemplateResource));
    if (!resource.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("Resource not found: the receipt template is missing from the program"));
    const QByteArray bytes = resource.readAll();
    if (bytes.isEmpty())
        throw Failure(QStringLiteral("Resource not found: the receipt template is empty"));
    return bytes;
}

Paper LocalPaper(const QLocale &locale)
{
    // The measurement system alone would give Canada and Mexico A4, which their offices do not use; the
    // countries whose paper is Letter, as the Unicode locale data lists them.
    static const QLocale::Territory kLetterTerritories[] = {
        QLocale::UnitedStates, QLocale::Canada,      QLocale::Mexico,
        QLocale::Belize,       QLocale::Chile,       QLocale::Colombia,
        QLocale::CostaRica,    QLocale::ElSalvador,  QLocale::Guatemala,
        QLocale::Nicaragua,    QLocale::Panama,      QLocale::PuertoRico,
        QLocale::Venezuela,    QLocale::Philippines, QLocale::DominicanRepublic,
    };
    if (locale.measurementSystem() == QLocale::ImperialUSSystem)
        return Paper::Letter;
    if (std::find(std::begin(kLetterTerritories), std::end(kLetterTerritories), locale.territory())
        != std::end(kLetterTerritories))
        return Paper::Letter;
    // The C locale belongs to no country: the template as it was made.
    if (locale.language() == QLocale::C)
        return Paper::Letter;
    return Paper::A4;
}

Paper LocalPaper()
{
    return LocalPaper(QLocale());
}

QString PaperName(Paper paper)
{
    return paper == Paper::A4 ? QStringLiteral("a4") : QStringLiteral("letter");
}

std::optional<Paper> PaperNamed(const QString &name)
{
    const QString wanted = name.trimmed().toLower();
    if (wanted == QLatin1String("a4"))
        return Paper::A4;
    if (wanted == QLatin1String("letter"))
        return Paper::Letter;
    return std::nullopt;
}

#include "DocumentName.h"

#include <QRandomGenerator>
#include <QRegularExpression>

int RandomNameDigit()
{
    return int(QRandomGenerator::system()->bounded(1, 10));
}

bool IsDocumentName(const QString &name)
{
    static const QRegularExpression pattern(
        QStringLiteral("^%1[1-9]{8}(\\.doc)?$").arg(QLatin1String(kDocumentPrefix)));
    return pattern.match(name).hasMatch();
}

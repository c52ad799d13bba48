#include "SingleLineValidator.h"

#include "ReceiptRules.h"

SingleLineValidator::SingleLineValidator(QObject *parent)
    : QValidator(parent)
{}

QValidator::State SingleLineValidator::validate(QString &input, int &pos) const
{
    qsizetype position = pos;
    input = SingleLineText(input, &position);
    pos = int(position);
    return Acceptable;
}

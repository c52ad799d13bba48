#pragma once

#include <QValidator>

/// Keeps a one-line text box free of control characters, whether typed, pasted or dropped: they would
/// empty the field in the document. A pasted tab or line break becomes a blank (SingleLineText).
class SingleLineValidator final : public QValidator
{
    Q_OBJECT

public:
    explicit SingleLineValidator(QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;
};

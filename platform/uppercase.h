#pragma once

#include <QValidator>

class QLineEdit;

namespace vexor {

// Forces what is typed or pasted into upper case, as the toolkit's upper-case edit boxes do:
// plain QString::toUpper, so "i" becomes "I" whatever the locale.
class UpperCaseValidator : public QValidator
{
    Q_OBJECT

public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};

void forceUpperCase(QLineEdit *edit);

} // namespace vexor

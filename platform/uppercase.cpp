#include "uppercase.h"

#include <QLineEdit>

namespace vexor {

QValidator::State UpperCaseValidator::validate(QString &input, int &pos) const
{
    // A letter may grow when upper-cased ("ß" -> "SS"); keep the cursor after the same text.
    pos = int(input.left(pos).toUpper().size());
    input = input.toUpper();
    return Acceptable;
}

void forceUpperCase(QLineEdit *edit)
{
    edit->setValidator(new UpperCaseValidator(edit));
    edit->setText(edit->text().toUpper());
}

} // namespace vexor

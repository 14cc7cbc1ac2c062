#pragma once

#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;

namespace vexor {

// Picks one date or a pair of dates. Both pickers start at today's date. For a single date
// the caller hides Label2 and DateTimePicker2. 1 ("Seç") means use the dates; the close box
// gives 2. The order of the two dates is not checked.
class Ttarihsec : public QDialog
{
    Q_OBJECT

public:
    explicit Ttarihsec(QWidget *owner = nullptr);

    QLabel *Label1 = nullptr;
    QDateEdit *DateTimePicker1 = nullptr;
    QLabel *Label2 = nullptr;
    QDateEdit *DateTimePicker2 = nullptr;
    QPushButton *Button1 = nullptr;

    void reject() override;
};

} // namespace vexor

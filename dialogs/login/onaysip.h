#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace vexor {

// The last question before an order is sent: the caller puts the order summary into Label2
// (its aligned columns need the fixed-pitch font) and shows it; 1 ("Evet") sends, 2 ("Hayır"
// or the close box) does nothing.
class TONAYSIP : public QDialog
{
    Q_OBJECT

public:
    explicit TONAYSIP(QWidget *owner = nullptr);

    QFrame *Bevel1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;

    void reject() override;
};

} // namespace vexor

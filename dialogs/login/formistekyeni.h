#pragma once

#include "webtarayici.h"

#include <QDialog>

class QPushButton;

namespace vexor {

// A window that only hosts a web page and a "Kapat" button. The log-in opens it on the
// vendor's request form for a machine the server does not know; its caller sets the caption
// and the address.
class Tformistekyeni : public QDialog
{
    Q_OBJECT

public:
    explicit Tformistekyeni(QWidget *owner = nullptr);

    TWebTarayici *sitem = nullptr;
    QPushButton *Button1 = nullptr;

protected:
    void showEvent(QShowEvent *event) override;
};

} // namespace vexor

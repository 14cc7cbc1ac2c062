#pragma once

#include <QObject>

namespace vexor {

class TForm1;

// The "Sepet" tab: the cart that lives on the server, its marks and totals, delivery and
// cargo choice and sending the order. Built by the main window; it lives as long as the window.
class TSepetSekmesi : public QObject
{
    Q_OBJECT

public:
    explicit TSepetSekmesi(TForm1 &form);

private:
    TForm1 &m_form;
};

} // namespace vexor

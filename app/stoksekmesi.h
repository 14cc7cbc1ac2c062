#pragma once

#include <QObject>

namespace vexor {

class TForm1;

// The "Stok Listesi" tab: the search bar's search, the stock grid and adding a stock to the
// cart. Built by the main window; it lives as long as the window.
class TStokSekmesi : public QObject
{
    Q_OBJECT

public:
    explicit TStokSekmesi(TForm1 &form);

private:
    TForm1 &m_form;
};

} // namespace vexor

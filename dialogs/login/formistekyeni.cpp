#include "formistekyeni.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace vexor {

Tformistekyeni::Tformistekyeni(QWidget *owner)
    : QDialog(owner)
{
    setObjectName(QStringLiteral("formistekyeni"));
    resize(780, 555);

    sitem = new TWebTarayici(this);
    sitem->setObjectName(QStringLiteral("sitem"));
    Button1 = new QPushButton(QStringLiteral("Kapat"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);

    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(8, 6, 8, 6);
    bar->addWidget(Button1);
    bar->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sitem, 1);
    layout->addLayout(bar);

    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
}

void Tformistekyeni::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (const QScreen *screen = this->screen()) {
        QRect r = frameGeometry();
        r.moveCenter(screen->availableGeometry().center());
        move(r.topLeft());
    }
}

} // namespace vexor

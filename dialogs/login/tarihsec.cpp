#include "tarihsec.h"

#include <QDate>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace vexor {

Ttarihsec::Ttarihsec(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Tarih Seç"));
    setObjectName(QStringLiteral("tarihsec"));
    setFixedSize(366, 160);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);

    const QDate today = QDate::currentDate();
    Label1 = new QLabel(QStringLiteral("Tarih 1:"), this);
    DateTimePicker1 = new QDateEdit(today, this);
    DateTimePicker1->setObjectName(QStringLiteral("DateTimePicker1"));
    DateTimePicker1->setCalendarPopup(true);
    Label2 = new QLabel(QStringLiteral("Tarih 1:"), this);
    DateTimePicker2 = new QDateEdit(today, this);
    DateTimePicker2->setObjectName(QStringLiteral("DateTimePicker2"));
    DateTimePicker2->setCalendarPopup(true);
    Button1 = new QPushButton(QStringLiteral("Seç"), this);
    Button1->setObjectName(QStringLiteral("Button1"));

    auto *layout = new QGridLayout(this);
    layout->addWidget(Label1, 0, 0);
    layout->addWidget(DateTimePicker1, 0, 1);
    layout->addWidget(Label2, 1, 0);
    layout->addWidget(DateTimePicker2, 1, 1);
    layout->addWidget(Button1, 2, 0, 1, 2);
    layout->setColumnStretch(1, 1);

    connect(Button1, &QPushButton::clicked, this, [this] { done(1); });
    DateTimePicker1->setFocus();
}

void Ttarihsec::reject()
{
    done(2);
}

} // namespace vexor

#include "onaysip.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vexor {

TONAYSIP::TONAYSIP(QWidget *owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("Sipariş Onay"));
    setObjectName(QStringLiteral("ONAYSIP"));
    setFixedSize(527, 334);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameShape(QFrame::StyledPanel);
    Bevel1->setFrameShadow(QFrame::Sunken);

    Label2 = new QLabel(Bevel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    // Courier New where it exists, another fixed-pitch face elsewhere.
    QFont fixed;
    fixed.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"),
                       QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Noto Mono"), QStringLiteral("monospace")});
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setFixedPitch(true);
    fixed.setPixelSize(16);
    fixed.setBold(true);
    Label2->setFont(fixed);
    Label2->setFixedSize(470, 171);
    Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label2->setTextFormat(Qt::PlainText);
    auto *bevelLayout = new QVBoxLayout(Bevel1);
    bevelLayout->addWidget(Label2, 0, Qt::AlignCenter);

    Label1 = new QLabel(QStringLiteral("Yukarıda bilgileri verilen siparişi onaylıyor musunuz ?"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setWordWrap(true);
    QFont question(QStringLiteral("Tahoma"));
    question.setPixelSize(20);
    question.setBold(true);
    Label1->setFont(question);

    Button1 = new QPushButton(QStringLiteral("Evet"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("Hayır"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button1->setMinimumWidth(110);
    Button2->setMinimumWidth(110);

    auto *bar = new QHBoxLayout;
    bar->addWidget(Button1);
    bar->addStretch(1);
    bar->addWidget(Button2);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Bevel1);
    layout->addWidget(Label1, 1);
    layout->addLayout(bar);

    connect(Button1, &QPushButton::clicked, this, [this] { done(1); });
    connect(Button2, &QPushButton::clicked, this, [this] { done(2); });
}

void TONAYSIP::reject()
{
    // The close box and Escape answer "Hayır".
    done(2);
}

} // namespace vexor

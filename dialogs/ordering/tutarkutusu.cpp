#include "tutarkutusu.h"

#include "common/formats.h"

#include <QKeyEvent>
#include <QLocale>

#include <cmath>

namespace vexor {

TutarKutusu::TutarKutusu(QWidget *parent)
    : QLineEdit(parent)
{
    setReadOnly(true);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bicimle();
    connect(this, &QLineEdit::textEdited, this, &TutarKutusu::yazildi);
    connect(this, &QLineEdit::editingFinished, this, &TutarKutusu::bicimle);
}

void TutarKutusu::setValue(double value)
{
    const bool degisti = value != m_deger;
    m_deger = value;
    bicimle();
    if (degisti)
        emit valueChanged(m_deger);
}

void TutarKutusu::yazildi(const QString &text)
{
    bool ok = false;
    const double deger = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(deger) || deger == m_deger)
        return;
    m_deger = deger;
    emit valueChanged(m_deger);
}

void TutarKutusu::bicimle()
{
    const QString text = formatNumber(m_deger, kTutarBicimi);
    if (text != this->text())
        setText(text);
}

void TutarKutusu::keyReleaseEvent(QKeyEvent *event)
{
    QLineEdit::keyReleaseEvent(event);
    emit keyReleased();
}

void TutarKutusu::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    // Read-only boxes never finish an edit, but text typed into an unlocked one that did not
    // read as a number must not stay on show.
    bicimle();
}

} // namespace vexor

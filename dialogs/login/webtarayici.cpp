#include "webtarayici.h"

#include <QUrl>
#include <QVBoxLayout>
#include <QWebEngineView>

namespace vexor {

TWebTarayici::TWebTarayici(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
}

void TWebTarayici::Navigate(const QString &adres)
{
    m_adres = adres;
    if (m_view)
        m_view->load(QUrl(adres, QUrl::TolerantMode));
}

void TWebTarayici::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_view)
        return;
    m_view = new QWebEngineView(this);
    layout()->addWidget(m_view);
    if (!m_adres.isEmpty())
        m_view->load(QUrl(m_adres, QUrl::TolerantMode));
}

} // namespace vexor

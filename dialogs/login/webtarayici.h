#pragma once

#include <QString>
#include <QWidget>

class QWebEngineView;

namespace vexor {

// An embedded web browser that starts its engine only when it is first shown: the engine
// costs well over a hundred megabytes, and the payment tab that holds one is never shown.
// Navigate before that only remembers the address.
class TWebTarayici : public QWidget
{
    Q_OBJECT

public:
    explicit TWebTarayici(QWidget *parent = nullptr);

    // The address as given (a blank or a machine identity is not encoded; the engine encodes
    // what a request cannot carry).
    void Navigate(const QString &adres);
    QString adres() const { return m_adres; }

    // The engine's view once it exists.
    QWebEngineView *view() const { return m_view; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString m_adres;
    QWebEngineView *m_view = nullptr;
};

} // namespace vexor

#pragma once

#include <QLineEdit>

namespace vexor {

// An amount box: shows its value with "#,###,##0.00" in the user's number format and is
// read-only until its owner unlocks it with setReadOnly(false). While the user types, every
// text that reads as a number (with the user's number format, thousands separators allowed)
// becomes the value; text that does not (empty, a lone sign, letters) leaves the value as it
// was, and leaving the box shows the value again in the display format.
class TutarKutusu : public QLineEdit
{
    Q_OBJECT

public:
    explicit TutarKutusu(QWidget *parent = nullptr);

    double value() const { return m_deger; }
    void setValue(double value);

signals:
    // A key was released in the box (the stock dialogs recalculate then).
    void keyReleased();
    // The value changed through setValue or typing.
    void valueChanged(double value);

protected:
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void yazildi(const QString &text);
    void bicimle();

    double m_deger = 0;
};

} // namespace vexor

#pragma once

// Typing any text into a widget key by key, Turkish letters included (QTest::keyClicks takes
// ASCII only): each character is a key press and release that carries it as its text.

#include <QString>
#include <QWidget>
#include <QtTest>

namespace vexor::test {

inline void harfleriBas(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        const Qt::Key key = c.unicode() < 0x80 && c.isPrint() ? Qt::Key(c.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

} // namespace vexor::test

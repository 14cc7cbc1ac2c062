#include "messagebox.h"

#include <QApplication>
#include <QHash>
#include <QMessageBox>
#include <QPushButton>

namespace vexor {

namespace {

QMessageBox::Icon iconOf(int kind)
{
    switch (kind) {
    case MessageWarning: return QMessageBox::Warning;
    case MessageError: return QMessageBox::Critical;
    case MessageInformation: return QMessageBox::Information;
    case MessageQuestion: return QMessageBox::Question;
    default: return QMessageBox::NoIcon;
    }
}

// Roles let the box order the buttons, and pick the one Escape and the close button press.
QMessageBox::ButtonRole roleOf(int button)
{
    switch (button) {
    case ButtonYes:
    case ButtonYesToAll:
    case ButtonAll: return QMessageBox::YesRole;
    case ButtonNo:
    case ButtonNoToAll: return QMessageBox::NoRole;
    case ButtonCancel:
    case ButtonAbort: return QMessageBox::RejectRole;
    case ButtonHelp: return QMessageBox::HelpRole;
    default: return QMessageBox::AcceptRole;
    }
}

// Linux has no per-kind system sounds to rely on; the bell marks that a message appeared.
void playSound(int /*kind*/)
{
    QApplication::beep();
}

} // namespace

WidgetMessagePresenter::WidgetMessagePresenter(int fontPointSize)
    : m_fontPointSize(fontPointSize)
{
}

int WidgetMessagePresenter::present(const MessageRequest &request)
{
    // The box is centred over its parent window.
    QMessageBox box(iconOf(request.kind), request.title, request.text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    QFont font = box.font();
    font.setPointSize(m_fontPointSize);
    box.setFont(font);

    QHash<QAbstractButton *, int> results;
    QPushButton *defaultButton = nullptr;
    for (const MessageRequestButton &b : request.buttons) {
        QPushButton *pushButton = box.addButton(b.caption, roleOf(b.button));
        results.insert(pushButton, b.result);
        if (b.button == request.defaultButton)
            defaultButton = pushButton;
    }
    if (defaultButton) {
        box.setDefaultButton(defaultButton);
        defaultButton->setFocus();
    }

    playSound(request.kind);
    box.exec();
    return results.value(box.clickedButton(), ResultNone);
}

} // namespace vexor

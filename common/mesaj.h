#pragma once

#include <QList>
#include <QString>

#include <memory>

namespace vexor {

// Message kinds: the first argument after the text of MesajGoster.
enum MessageKind : int {
    MessageWarning = 0,      // "Uyarı"
    MessageError = 1,        // "Hata"
    MessageInformation = 2,  // "Bilgi"
    MessageQuestion = 3,     // "Soru"
};

// Buttons by index; bit n of a button set stands for button n. Requests list the present
// buttons in this order.
enum MessageButton : int {
    ButtonYes = 0,
    ButtonNo = 1,
    ButtonOk = 2,
    ButtonCancel = 3,
    ButtonAbort = 4,
    ButtonRetry = 5,
    ButtonIgnore = 6,
    ButtonAll = 7,
    ButtonNoToAll = 8,
    ButtonYesToAll = 9,
    ButtonHelp = 10,
};
inline constexpr int kMessageButtonCount = 11;

// Modal results. 1..7 are the usual dialog results; All, NoToAll, YesToAll and Help have
// results of their own (8..11) so a caller can tell every button apart. 0 means the message
// was closed without any of its buttons.
enum MessageResult : int {
    ResultNone = 0,
    ResultOk = 1,
    ResultCancel = 2,
    ResultAbort = 3,
    ResultRetry = 4,
    ResultIgnore = 5,
    ResultYes = 6,
    ResultNo = 7,
    ResultAll = 8,
    ResultNoToAll = 9,
    ResultYesToAll = 10,
    ResultHelp = 11,
};

constexpr quint32 buttonBit(MessageButton button) { return quint32(1) << button; }
inline constexpr quint32 kButtonsOk = buttonBit(ButtonOk);                          // 4
inline constexpr quint32 kButtonsYesNo = buttonBit(ButtonYes) | buttonBit(ButtonNo); // 3

QString messageKindTitle(int kind);        // empty for an unknown kind
QString messageButtonCaption(int button);  // empty for an unknown index
int messageButtonResult(int button);       // ResultNone for an unknown index

struct MessageRequestButton
{
    int button = ButtonOk;  // MessageButton index
    QString caption;
    int result = ResultOk;
};

// Everything a presenter needs to show one message.
struct MessageRequest
{
    QString text;
    int kind = MessageInformation;
    QString title;
    QList<MessageRequestButton> buttons;  // the present buttons, in index order, never empty
    int defaultButton = ButtonOk;         // always one of `buttons`

    const MessageRequestButton *findButton(int button) const;
    int defaultResult() const;
};

// Builds the request MesajGoster presents. A set without any known button shows OK alone;
// a default that is not in the set falls back to the first present button.
MessageRequest makeMessageRequest(const QString &text, int kind, quint32 buttons,
                                  int defaultButton);

// Shows a message modally and returns the modal result of the pressed button. Always called
// on the UI thread.
class MessagePresenter
{
public:
    virtual ~MessagePresenter() = default;
    virtual int present(const MessageRequest &request) = 0;
};

// Installs the presenter every message goes through and returns the previous one. nullptr
// removes it: messages are then only logged and answer with their default button.
std::shared_ptr<MessagePresenter> setMessagePresenter(std::shared_ptr<MessagePresenter> presenter);
std::shared_ptr<MessagePresenter> messagePresenter();

// Shows `text` with the kind's title, the buttons of the set (bits over MessageButton) and
// the default button focused; returns the modal result. Callable from any thread: from
// another thread it blocks until the UI thread (the application object's thread) has shown
// the message and the user has answered it.
int MesajGoster(const QString &text, int kind, quint32 buttons, int defaultButton);

} // namespace vexor

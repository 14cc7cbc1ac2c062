#pragma once

#include "common/mesaj.h"

namespace vexor {

// Shows messages as a modal QMessageBox: the kind's icon and title, Turkish captions, the
// default button focused so Enter presses it, centred over the active window, in the message
// font, with a sound. Must be used on the UI thread (MesajGoster takes care of that).
class WidgetMessagePresenter final : public MessagePresenter
{
public:
    explicit WidgetMessagePresenter(int fontPointSize = 15);

    int present(const MessageRequest &request) override;

private:
    int m_fontPointSize;
};

} // namespace vexor

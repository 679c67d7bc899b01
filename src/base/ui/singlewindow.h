#pragma once

#include <QPointer>
#include <QWidget>

// Shows the one instance of a modeless window: created on first use, and again
// after it was closed (a closed window that deletes itself may still exist
// until the event loop gets to it); an open one is only brought to the front.
template <typename Window, typename Factory>
void showSingle(QPointer<Window> &slot, Factory create) {
    if (!slot || slot->isHidden()) {
        slot = create();
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
}

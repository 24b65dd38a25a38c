#pragma once

#include <Qt>

class QBoxLayout;
class QDialog;
class QPushButton;

namespace tessaro {

// The push buttons under a dialog's content, in the order the user tabs through them.
struct DialogButtons {
    enum Set { Ok, OkCancel };

    QPushButton* ok;      // the default button (Enter): accepts
    QPushButton* cancel;  // rejects, as Esc and the close box do; null in the Ok set
};

// Adds a row with "OK" and, in the OkCancel set, "Cancel" to the bottom of `layout`, placed at
// the centre or the right of the row.
DialogButtons AddDialogButtons(QDialog& dialog, QBoxLayout& layout, DialogButtons::Set set,
                               Qt::Alignment placement);

}  // namespace tessaro

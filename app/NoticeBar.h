#pragma once

#include <QFrame>

class QLabel;

namespace tessaro {

// A bar above the list for what the user must know after a merge, until its button closes it or
// another message replaces it.
class NoticeBar : public QFrame {
    Q_OBJECT

public:
    NoticeBar();

    // Shows the message; hides the bar for empty.
    void Show(const QString& text);
    // The message shown; empty while the bar is hidden.
    QString Text() const;
    // Tells of `unlike` inputs that differ in format from the first, which many players play
    // wrongly, unless they are re-encoded to match (none while `conforming`).
    void ShowFormats(int unlike, bool conforming);

private:
    QLabel* m_text;
};

}  // namespace tessaro

#pragma once

#include <QChar>
#include <QDialog>
#include <QPushButton>
#include <QString>
#include <QWidget>

// The first child of type W (a label, a button) that shows exactly `text`; null when none does.
template <class W>
W* ChildWithText(const QWidget& parent, const QString& text) {
    for (W* child : parent.findChildren<W*>()) {
        if (child->text() == text) {
            return child;
        }
    }
    return nullptr;
}

inline QPushButton* Button(const QDialog& dialog, const QString& text) {
    return ChildWithText<QPushButton>(dialog, text);
}

// The key a text underlines, in lower case: the one behind its '&'; null when it has none.
inline QChar AccessKey(const QString& text) {
    const qsizetype amp = text.indexOf(QLatin1Char('&'));
    return amp >= 0 && amp + 1 < text.size() ? text.at(amp + 1).toLower() : QChar();
}

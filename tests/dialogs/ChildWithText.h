#pragma once

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

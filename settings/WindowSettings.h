#pragma once

#include <QSettings>

namespace tessaro {

// Where the window keeps its settings: layout, the folder used last, the joined-file options.
inline QSettings WindowSettings() {
    return QSettings(QStringLiteral("Veskaro Technology"), QStringLiteral("Zovi Tessaro"));
}

}  // namespace tessaro

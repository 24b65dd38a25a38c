#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace tessaro {

// The tool bar's icon for the command `name` ("insert", "save", …) on a bar of colour `bar`: the
// desktop theme's where it has one that stands out from the bar, which its scalable or larger
// pictures keep sharp at any scale; else the program's own, drawn at 16 and 32 pixels. A theme's
// icons are drawn for one brightness of bar, so a dark style over a light icon theme (or the
// reverse) would leave grey glyphs on a grey bar.
QIcon ToolIcon(const QString& name, const QColor& bar);

// Whether enough of `icon`, drawn 16 pixels wide on `bar`, stands out from it at a contrast of
// 3:1, as a glyph must to be made out: about a tenth of its square.
bool StandsOut(const QIcon& icon, const QColor& bar);

}  // namespace tessaro

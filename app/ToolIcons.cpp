#include "app/ToolIcons.h"

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <cmath>

namespace tessaro {
namespace {

constexpr int kSide = 16;
// Pixels of a glyph drawn kSide wide that must stand out for it to be made out.
constexpr int kInk = kSide * kSide / 10;

// The relative luminance of a colour, as the contrast ratio of WCAG 2 counts it.
double Luminance(const QColor& colour) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double Contrast(double a, double b) {
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The pixel over `bar`, as the screen shows it.
QColor Over(QRgb pixel, const QColor& bar) {
    const double alpha = qAlpha(pixel) / 255.0;
    const auto mix = [alpha](int top, int bottom) {
        return int(std::lround(top * alpha + bottom * (1 - alpha)));
    };
    return QColor(mix(qRed(pixel), bar.red()), mix(qGreen(pixel), bar.green()),
                  mix(qBlue(pixel), bar.blue()));
}

}  // namespace

bool StandsOut(const QIcon& icon, const QColor& bar) {
    const QImage image = icon.pixmap(kSide, kSide).toImage().convertToFormat(QImage::Format_ARGB32);
    const double barLuminance = Luminance(bar);
    int ink = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            ink += Contrast(Luminance(Over(line[x], bar)), barLuminance) >= 3.0 ? 1 : 0;
        }
    }
    return ink >= kInk;
}

QIcon ToolIcon(const QString& name, const QColor& bar) {
    static const QHash<QString, QString> themed = {
        {QStringLiteral("new"), QStringLiteral("document-new")},
        {QStringLiteral("open"), QStringLiteral("document-open")},
        {QStringLiteral("save"), QStringLiteral("document-save")},
        {QStringLiteral("insert"), QStringLiteral("list-add")},
        {QStringLiteral("remove"), QStringLiteral("list-remove")},
        {QStringLiteral("up"), QStringLiteral("go-up")},
        {QStringLiteral("down"), QStringLiteral("go-down")},
        {QStringLiteral("preferences"), QStringLiteral("preferences-system")},
        {QStringLiteral("help"), QStringLiteral("help-contents")},
    };
    QIcon own;
    own.addFile(QStringLiteral(":/icons/tool-%1.png").arg(name), QSize(16, 16));
    own.addFile(QStringLiteral(":/icons/tool-%1@2x.png").arg(name), QSize(32, 32));
    const QIcon theirs = QIcon::fromTheme(themed.value(name));
    return !theirs.isNull() && StandsOut(theirs, bar) ? theirs : own;
}

}  // namespace tessaro

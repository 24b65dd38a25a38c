#include "dialogs/AboutDialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>

#include "dialogs/DialogButtons.h"
#include "settings/Product.h"

namespace tessaro {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(tr("About ..."));

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    icon->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* product = new QLabel(QString::fromLatin1(kProductTitle), this);
    QFont productFont(QStringLiteral("Arial"));
    productFont.setStyleHint(QFont::SansSerif);  // where Arial is missing, a face that fits
    productFont.setPixelSize(20);
    productFont.setBold(true);
    product->setFont(productFont);
    product->setTextFormat(Qt::PlainText);

    auto* notice = new QLabel(tr("Copyright \u00a9 2026 Veskaro Technology"), this);

    auto* text = new QGridLayout;
    text->setHorizontalSpacing(12);
    text->addWidget(icon, 0, 0, 2, 1);
    text->addWidget(product, 0, 1);
    text->addWidget(notice, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(text);
    layout->addSpacing(12);
    AddDialogButtons(*this, *layout, DialogButtons::Ok, Qt::AlignRight);
}

}  // namespace tessaro

#include "dialogs/DialogButtons.h"

#include <QBoxLayout>
#include <QDialog>
#include <QPushButton>

namespace tessaro {

DialogButtons AddDialogButtons(QDialog& dialog, QBoxLayout& layout, DialogButtons::Set set,
                               Qt::Alignment placement) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    DialogButtons buttons{new QPushButton(QDialog::tr("OK"), &dialog), nullptr};
    buttons.ok->setDefault(true);
    QObject::connect(buttons.ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    row->addWidget(buttons.ok);
    if (set == DialogButtons::OkCancel) {
        buttons.cancel = new QPushButton(QDialog::tr("Cancel"), &dialog);
        QObject::connect(buttons.cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
        row->addWidget(buttons.cancel);
    }
    if (placement & Qt::AlignHCenter) {
        row->addStretch();
    }
    layout.addLayout(row);
    return buttons;
}

}  // namespace tessaro

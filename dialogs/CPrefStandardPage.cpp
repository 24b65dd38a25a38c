#include "dialogs/CPrefStandardPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

CPrefStandardPage::CPrefStandardPage(QWidget* parent)
    : QWidget(parent), m_saveID3TagBox(new QCheckBox(tr("Save  ID3 tag to output mp3 file"))) {
    setWindowTitle(tr("Standard"));  // the label of its tab
    auto* group = new QGroupBox(tr("ID3 tag options:"), this);
    auto* options = new QVBoxLayout(group);
    options->addWidget(m_saveID3TagBox);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch();
}

void CPrefStandardPage::SetSaveID3Tag(bool save) {
    m_saveID3Tag = save;
    m_saveID3TagBox->setChecked(save);
}

void CPrefStandardPage::UpdateData() {
    m_saveID3Tag = m_saveID3TagBox->isChecked();
}

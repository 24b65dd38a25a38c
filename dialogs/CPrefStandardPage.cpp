#include "dialogs/CPrefStandardPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QVBoxLayout>

#include "merge/JoinChoices.h"

CPrefStandardPage::CPrefStandardPage(QWidget* parent)
    : QWidget(parent), m_saveID3TagBox(new QCheckBox(tr("&Save  ID3 tag to output mp3 file"))) {
    setWindowTitle(tr("Standard"));  // the label of its tab
    auto* layout = new QVBoxLayout(this);
    // Boxes are added in tab order.
    const auto addGroup = [&](const QString& title, const std::vector<QCheckBox*>& boxes) {
        auto* group = new QGroupBox(title, this);
        auto* options = new QVBoxLayout(group);
        for (QCheckBox* box : boxes) {
            options->addWidget(box);
        }
        layout->addWidget(group);
    };
    addGroup(tr("ID3 tag options:"), {m_saveID3TagBox});
    for (const tessaro::JoinChoice& choice : tessaro::JoinChoices()) {
        m_choiceBoxes.push_back(
            new QCheckBox(QCoreApplication::translate("CPrefStandardPage", choice.label)));
    }
    addGroup(tr("Joined file:"), m_choiceBoxes);
    // Chapters grouped by title are chapters first.
    QCheckBox* byTitle = m_choiceBoxes[tessaro::JoinChoiceIndex("chaptersByTitle")];
    connect(m_choiceBoxes[tessaro::JoinChoiceIndex("chapters")], &QCheckBox::toggled, byTitle,
            &QCheckBox::setEnabled);
    byTitle->setEnabled(false);
    layout->addStretch();
}

void CPrefStandardPage::SetPreferences(const tessaro::JoinPreferences& preferences) {
    m_preferences = preferences;
    m_saveID3TagBox->setChecked(preferences.saveID3Tag);
    for (size_t i = 0; i < m_choiceBoxes.size(); ++i) {
        m_choiceBoxes[i]->setChecked(tessaro::JoinChoices()[i].isOn(preferences.options));
    }
}

void CPrefStandardPage::UpdateData() {
    m_preferences.saveID3Tag = m_saveID3TagBox->isChecked();
    for (size_t i = 0; i < m_choiceBoxes.size(); ++i) {
        tessaro::JoinChoices()[i].turn(m_preferences.options, m_choiceBoxes[i]->isChecked());
    }
}

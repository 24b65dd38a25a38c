#include "dialogs/CPrefStandardPage.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QVBoxLayout>

CPrefStandardPage::CPrefStandardPage(QWidget* parent)
    : QWidget(parent),
      m_saveID3TagBox(new QCheckBox(tr("&Save  ID3 tag to output mp3 file"))),
      m_chaptersBox(new QCheckBox(tr("Add a &chapter for each input file"))),
      m_copyCoverBox(new QCheckBox(tr("Copy the first input's co&ver picture"))),
      m_seamlessBox(new QCheckBox(tr("&Join seamlessly (re-encodes a few frames at each join)"))),
      m_levelBox(new QCheckBox(
          tr("&Level the loudness of the inputs (changes gain only, no re-encoding)"))),
      m_conformBox(new QCheckBox(tr("&Re-encode inputs of another format to match the first"))),
      m_copyTagsBox(
          new QCheckBox(tr("Copy the &tag the inputs share (album, artist, genre, \u2026)"))),
      m_id3v23Box(new QCheckBox(tr("&Write the tag as ID3v2.3 (for Windows and older players)"))) {
    setWindowTitle(tr("Standard"));  // the label of its tab
    auto* layout = new QVBoxLayout(this);
    // Boxes are added in tab order.
    const auto addGroup = [&](const QString& title, std::initializer_list<QCheckBox*> boxes) {
        auto* group = new QGroupBox(title, this);
        auto* options = new QVBoxLayout(group);
        for (QCheckBox* box : boxes) {
            options->addWidget(box);
        }
        layout->addWidget(group);
    };
    addGroup(tr("ID3 tag options:"), {m_saveID3TagBox});
    addGroup(tr("Joined file:"), {m_chaptersBox, m_copyCoverBox, m_seamlessBox, m_levelBox,
                                  m_conformBox, m_copyTagsBox, m_id3v23Box});
    layout->addStretch();
}

void CPrefStandardPage::SetPreferences(const tessaro::JoinPreferences& preferences) {
    m_preferences = preferences;
    m_saveID3TagBox->setChecked(preferences.saveID3Tag);
    m_chaptersBox->setChecked(preferences.options.chapters);
    m_copyCoverBox->setChecked(preferences.options.copyCover);
    m_seamlessBox->setChecked(preferences.options.seamless);
    m_levelBox->setChecked(preferences.options.level.has_value());
    m_conformBox->setChecked(preferences.options.conform);
    m_copyTagsBox->setChecked(preferences.options.copyTags);
    m_id3v23Box->setChecked(preferences.options.id3v23);
}

void CPrefStandardPage::UpdateData() {
    m_preferences.saveID3Tag = m_saveID3TagBox->isChecked();
    m_preferences.options.chapters = m_chaptersBox->isChecked();
    m_preferences.options.copyCover = m_copyCoverBox->isChecked();
    m_preferences.options.seamless = m_seamlessBox->isChecked();
    m_preferences.options.conform = m_conformBox->isChecked();
    m_preferences.options.copyTags = m_copyTagsBox->isChecked();
    m_preferences.options.id3v23 = m_id3v23Box->isChecked();
    // The window aims at the reference loudness; the tool may be told another.
    m_preferences.options.level =
        m_levelBox->isChecked()
            ? std::optional(m_preferences.options.level.value_or(tessaro::kReferenceLoudness))
            : std::nullopt;
}

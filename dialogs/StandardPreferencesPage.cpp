#include "dialogs/StandardPreferencesPage.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cstring>
#include <utility>

#include "merge/JoinChoices.h"

namespace tessaro {

StandardPreferencesPage::StandardPreferencesPage(QWidget* parent)
    : QWidget(parent), m_saveID3TagBox(new QCheckBox(tr("&Save  ID3 tag to output mp3 file"))) {
    setWindowTitle(tr("Standard"));  // the label of its tab
    auto* layout = new QVBoxLayout(this);
    // Boxes are added in tab order.
    auto* tag = new QGroupBox(tr("ID3 tag options:"), this);
    (new QVBoxLayout(tag))->addWidget(m_saveID3TagBox);
    layout->addWidget(tag);
    auto* joined = new QGroupBox(tr("Joined file:"), this);
    auto* choices = new QVBoxLayout(joined);
    QHBoxLayout* previous = nullptr;
    for (const tessaro::JoinChoice& choice : tessaro::JoinChoices()) {
        if (choice.kind == tessaro::JoinChoice::Kind::ToolOnly) {
            continue;
        }
        QHBoxLayout* row = AddChoice(choice);
        // Levelling as one album is a way of levelling: its box stands beside that one's
        // number, before the stretch behind it.
        if (previous && choice.Switched() && std::strcmp(choice.key, "levelAlbum") == 0) {
            previous->insertLayout(previous->count() - 1, row);
        } else {
            choices->addLayout(row);
            previous = row;
        }
    }
    layout->addWidget(joined);
    // Chapters grouped by title are chapters first, the first input's values a copied
    // tag, an album levelled is levelled first.
    EnableWith("chaptersByTitle", "chapters");
    EnableWith("copyTagsFirst", "copyTags");
    EnableWith("levelAlbum", "level");
    layout->addStretch();
}

void StandardPreferencesPage::EnableWith(const char* dependent, const char* key) {
    QCheckBox* box = Box(dependent);
    connect(Box(key), &QCheckBox::toggled, box, &QCheckBox::setEnabled);
    box->setEnabled(false);
}

QHBoxLayout* StandardPreferencesPage::AddChoice(const tessaro::JoinChoice& choice) {
    auto* row = new QHBoxLayout;
    // A choice that is its value alone is labelled, not turned on and off.
    QCheckBox* box = choice.Switched() ? new QCheckBox(tr(choice.label)) : nullptr;
    QLabel* label = box ? nullptr : new QLabel(tr(choice.label));
    row->addWidget(box ? static_cast<QWidget*>(box) : label);
    QDoubleSpinBox* number = nullptr;
    if (const tessaro::ChoiceValue* value = choice.WindowValue();
        value && value->kind == tessaro::ChoiceValue::Kind::Number) {
        number = new QDoubleSpinBox;
        number->setRange(value->lowest, value->highest);
        number->setDecimals(value->decimals);
        number->setSuffix(QLatin1Char(' ') + QLatin1String(value->unit));
        number->setAccessibleName(tr(choice.label).remove(QLatin1Char('&')));
        if (box) {
            // Used only while the choice is on.
            number->setEnabled(false);
            connect(box, &QCheckBox::toggled, number, &QWidget::setEnabled);
        } else {
            label->setBuddy(number);
        }
        row->addWidget(number);
        row->addStretch();
    }
    m_offered.push_back({&choice, box, number});
    return row;
}

QCheckBox* StandardPreferencesPage::Box(const char* key) const {
    for (const Offered& offered : m_offered) {
        if (offered.choice->Switched() && std::strcmp(offered.choice->key, key) == 0) {
            return offered.box;
        }
    }
    return nullptr;
}

void StandardPreferencesPage::SetPreferences(const tessaro::JoinPreferences& preferences) {
    m_preferences = preferences;
    m_saveID3TagBox->setChecked(preferences.saveID3Tag);
    for (const Offered& offered : m_offered) {
        if (offered.box) {
            offered.box->setChecked(offered.choice->isOn(preferences.options));
        }
        if (offered.number) {
            offered.number->setValue(offered.choice->value->read(preferences.options).toDouble());
        }
    }
}

void StandardPreferencesPage::UpdateData() {
    m_preferences.saveID3Tag = m_saveID3TagBox->isChecked();
    for (const Offered& offered : m_offered) {
        if (offered.box) {
            offered.choice->turn(m_preferences.options, offered.box->isChecked());
        }
        if (offered.number) {
            offered.choice->value->write(m_preferences.options,
                                         QString::number(offered.number->value()));
        }
    }
}

}  // namespace tessaro

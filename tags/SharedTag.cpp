#include "tags/Tags.h"

#include <QHash>
#include <QSet>
#include <algorithm>

#include "io/Files.h"
#include "mp3/TagInflation.h"

namespace tessaro {
namespace {

bool OfOneInput(const mp3::TextFrame& frame) {
    static const QByteArray kOwnIds[] = {"TIT2", "TIT3", "TRCK", "TPOS", "TLEN", "TSIZ", "TSRC"};
    if (std::find(std::begin(kOwnIds), std::end(kOwnIds), frame.id) != std::end(kOwnIds)) {
        return true;
    }
    // Levelling gives the joined file a ReplayGain of its own.
    return (frame.id == "TXXX" &&
            frame.description.startsWith(QLatin1String("REPLAYGAIN_"), Qt::CaseInsensitive)) ||
           (frame.id == "COMM" &&
            frame.description.startsWith(QLatin1String("iTun"), Qt::CaseInsensitive));
}

using Field = mp3::TextFrame::FieldKey;

// Values shown longer than this are cut short: a comment may run to pages.
constexpr qsizetype kShownCharacters = 60;
// A frame each input gives its own value (a comment per episode) names this many of them.
constexpr size_t kNamedValues = 3;

// What a warning calls the field.
QString FieldName(const Field& field) {
    static const QHash<QByteArray, QString> kNames{
        {"TALB", QStringLiteral("album")},        {"TPE1", QStringLiteral("artist")},
        {"TPE2", QStringLiteral("album artist")}, {"TCON", QStringLiteral("genre")},
        {"TDRC", QStringLiteral("year")},         {"TYER", QStringLiteral("year")},
        {"TCOM", QStringLiteral("composer")},     {"TPUB", QStringLiteral("publisher")},
        {"TLAN", QStringLiteral("language")},     {"TCOP", QStringLiteral("copyright")},
        {"COMM", QStringLiteral("comment")},      {"TXXX", QStringLiteral("user text")}};
    const QString name = kNames.value(field.first, QString::fromLatin1(field.first));
    return field.second.isEmpty() ? name : QStringLiteral("%1 \"%2\"").arg(name, field.second);
}

// The inputs that hold one value of a field (none: `text` null), from the first of them on.
struct Holders {
    const QStringList* text;
    size_t first;
    int count;
};

QString Said(const Holders& holders, const std::vector<TaggedInput>& inputs) {
    QString value = QStringLiteral("none");
    if (holders.text) {
        const QString text = holders.text->join(QStringLiteral("; "));
        value =
            QLatin1Char('"') +
            (text.size() > kShownCharacters ? text.left(kShownCharacters) + QChar(0x2026) : text) +
            QLatin1Char('"');
    }
    const QString more =
        holders.count > 1 ? QStringLiteral(" and %1 more").arg(holders.count - 1) : QString();
    return QStringLiteral("%1 in %2%3").arg(value, Quoted(inputs[holders.first].path), more);
}

// Says which values of `field` were left out for differing from the first input's that holds one.
QString Disagreement(const Field& field, const std::vector<Holders>& values,
                     const std::vector<TaggedInput>& inputs) {
    const auto kept = std::find_if(values.begin(), values.end(),
                                   [](const Holders& holders) { return holders.text; });
    // All named, unless that would leave more than one unnamed.
    const size_t others = values.size() - 1;
    const size_t named = others <= kNamedValues + 1 ? others : kNamedValues;
    QStringList differing;
    for (auto value = values.begin(); value != values.end(); ++value) {
        if (value != kept && size_t(differing.size()) < named) {
            differing << Said(*value, inputs);
        }
    }
    if (others > named) {
        differing << QStringLiteral("%1 other values").arg(others - named);
    }
    return QStringLiteral("%1 left out: %2 %3 from %4; --copy-tags=first keeps the first input's")
        .arg(FieldName(field), differing.join(QStringLiteral(", ")),
             others > 1 ? QStringLiteral("differ") : QStringLiteral("differs"),
             Said(*kept, inputs));
}

// The values each input holds of `field`, in the order they first come.
std::vector<Holders> ValuesOf(const Field& field,
                              const std::vector<QHash<Field, const mp3::TextFrame*>>& held) {
    std::vector<Holders> values;
    // Where each value stands among them; no text stands for none, which no frame held has.
    QHash<QStringList, size_t> indexOf;
    for (size_t i = 0; i < held.size(); ++i) {
        const mp3::TextFrame* frame = held[i].value(field);
        const QStringList text = frame ? frame->text : QStringList();
        if (const auto found = indexOf.constFind(text); found != indexOf.constEnd()) {
            ++values[*found].count;
        } else {
            indexOf.insert(text, values.size());
            values.push_back({frame ? &frame->text : nullptr, i, 1});
        }
    }
    return values;
}

}  // namespace

CopiedFrames CopyFrames(const std::vector<TaggedInput>& inputs, bool firstWins) {
    // Each input's fields looked up in one step however many it holds, and every field that any
    // holds, in the order they first come.
    std::vector<QHash<Field, const mp3::TextFrame*>> held(inputs.size());
    std::vector<const mp3::TextFrame*> fields;
    QSet<Field> seen;
    for (size_t i = 0; i < inputs.size(); ++i) {
        held[i].reserve(qsizetype(inputs[i].frames.size()));
        for (const mp3::TextFrame& frame : inputs[i].frames) {
            if (OfOneInput(frame) || frame.text.join(QString()).isEmpty()) {
                continue;
            }
            held[i].insert(frame.Field(), &frame);
            if (!seen.contains(frame.Field())) {
                seen.insert(frame.Field());
                fields.push_back(&frame);
            }
        }
    }
    CopiedFrames copied;
    for (const mp3::TextFrame* first : fields) {
        const std::vector<Holders> values =
            firstWins ? std::vector<Holders>() : ValuesOf(first->Field(), held);
        if (values.size() > 1) {
            copied.disagreements << Disagreement(first->Field(), values, inputs);
        } else {
            copied.frames.push_back(*first);
        }
    }
    return copied;
}

QString LeftOut(const QString& path, const mp3::OversizedFrame& frame) {
    return QStringLiteral(
               "Left out the %1 frame of the tag of %2: it would take up to %3 bytes, more than "
               "the %4 an ID3v2 tag can hold")
        .arg(QString::fromLatin1(frame.id), Quoted(path))
        .arg(frame.bytes)
        .arg(mp3::kMaxId3v2TagBytes);
}

}  // namespace tessaro

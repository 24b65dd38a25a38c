#include "merge/SharedTag.h"

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

}  // namespace

std::vector<mp3::TextFrame> SharedFrames(const std::vector<std::vector<mp3::TextFrame>>& inputs) {
    std::vector<mp3::TextFrame> shared;
    if (inputs.empty()) {
        return shared;
    }
    // Each later input's fields with their values, looked up in one step however many it holds.
    using Held = std::pair<mp3::TextFrame::FieldKey, QStringList>;
    std::vector<QSet<Held>> later;
    for (auto input = inputs.begin() + 1; input != inputs.end(); ++input) {
        QSet<Held>& held = later.emplace_back();
        held.reserve(qsizetype(input->size()));
        for (const mp3::TextFrame& frame : *input) {
            held.insert({frame.Field(), frame.text});
        }
    }
    for (const mp3::TextFrame& frame : inputs.front()) {
        const Held field{frame.Field(), frame.text};
        const auto heldBy = [&field](const QSet<Held>& held) { return held.contains(field); };
        if (!OfOneInput(frame) && !frame.text.join(QString()).isEmpty() &&
            std::all_of(later.begin(), later.end(), heldBy)) {
            shared.push_back(frame);
        }
    }
    return shared;
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

#include "merge/JoinChoices.h"

#include <QtGlobal>
#include <cstring>
#include <stdexcept>

namespace tessaro {
namespace {

// A choice that is one flag of the options.
template <bool JoinOptions::*flag>
bool IsOn(const JoinOptions& options) {
    return options.*flag;
}
template <bool JoinOptions::*flag>
void Turn(JoinOptions& options, bool on) {
    options.*flag = on;
}

}  // namespace

const std::vector<JoinChoice>& JoinChoices() {
    static const std::vector<JoinChoice> choices{
        {"chapters", "title",
         "Add a chapter for each joined input to the output's tag, titled with the input's own "
         "title or, without one, its file name. With =title, one chapter for each run of inputs "
         "whose titles agree once a trailing part or track number is left out (\"Chapter 3 "
         "(1/2)\", \"Chapter 3 - Part 2\").",
         QT_TRANSLATE_NOOP("CPrefStandardPage", "Add a &chapter for each input file"), "chapters",
         IsOn<&JoinOptions::chapters>, Turn<&JoinOptions::chapters>},
        {nullptr, nullptr, nullptr,
         QT_TRANSLATE_NOOP("CPrefStandardPage",
                           "&One chapter for the parts of a title (\"Chapter 3 (1/2)\", \"Chapter "
                           "3 (2/2)\")"),
         "chaptersByTitle", IsOn<&JoinOptions::chaptersByTitle>,
         Turn<&JoinOptions::chaptersByTitle>},
        {"copy-cover", nullptr,
         "Carry the picture of the first joined input that has one (its front cover, else its "
         "first) into the output's tag.",
         QT_TRANSLATE_NOOP("CPrefStandardPage", "Copy the first input's co&ver picture"),
         "copyCover", IsOn<&JoinOptions::copyCover>, Turn<&JoinOptions::copyCover>},
        {"seamless", nullptr,
         "Join the inputs without the silence their encoders put at both ends: the few frames "
         "around each join are decoded and encoded anew. Inputs whose headers do not tell that "
         "silence, or of different formats, are joined as they are, with a warning.",
         QT_TRANSLATE_NOOP("CPrefStandardPage",
                           "&Join seamlessly (re-encodes a few frames at each join)"),
         "seamless", IsOn<&JoinOptions::seamless>, Turn<&JoinOptions::seamless>},
        {"level", "LUFS",
         "Level the loudness of the inputs to LUFS (alone, --level aims at -18, ReplayGain 2.0's "
         "reference) by changing the gain their frames carry, in steps of 1.5 dB: no "
         "re-encoding. An input gets less gain where more would clip its peaks. The output's tag "
         "tells its ReplayGain.",
         QT_TRANSLATE_NOOP("CPrefStandardPage",
                           "&Level the loudness of the inputs (changes gain only, no re-encoding)"),
         "level", [](const JoinOptions& options) { return options.level.has_value(); },
         // The window aims at the reference loudness; the tool may be told another.
         [](JoinOptions& options, bool on) {
             options.level =
                 on ? std::optional(options.level.value_or(kReferenceLoudness)) : std::nullopt;
         }},
        {"conform", nullptr,
         "Re-encode inputs of another format (MPEG version, layer, sampling rate or channel "
         "count), or whose frames change format, to match the first input, which must be of "
         "Layer III: each is decoded, "
         "resampled, mixed to its channels and encoded in its format, and runs into its "
         "neighbours without gap. The other inputs are copied as ever.",
         QT_TRANSLATE_NOOP("CPrefStandardPage",
                           "&Re-encode inputs of another format to match the first"),
         "conform", IsOn<&JoinOptions::conform>, Turn<&JoinOptions::conform>},
        {"copy-tags", nullptr,
         "Copy into the output's tag every text frame all joined inputs share (album, artist, "
         "album artist, genre, year, composer, comment, ...), but their titles, track and disc "
         "numbers and ReplayGain; a tag without a title is titled with the album. The values "
         "typed above win.",
         QT_TRANSLATE_NOOP("CPrefStandardPage",
                           "Copy the &tag the inputs share (album, artist, genre, \u2026)"),
         "copyTags", IsOn<&JoinOptions::copyTags>, Turn<&JoinOptions::copyTags>},
        {"id3v2.3", nullptr,
         "Write the tag, chapters and cover included, as ID3v2.3, which Windows and many older "
         "players read, instead of ID3v2.4.",
         QT_TRANSLATE_NOOP("CPrefStandardPage",
                           "&Write the tag as ID3v2.3 (for Windows and older players)"),
         "id3v23", IsOn<&JoinOptions::id3v23>, Turn<&JoinOptions::id3v23>},
    };
    return choices;
}

size_t JoinChoiceIndex(const char* key) {
    const std::vector<JoinChoice>& choices = JoinChoices();
    for (size_t i = 0; i < choices.size(); ++i) {
        if (std::strcmp(choices[i].key, key) == 0) {
            return i;
        }
    }
    throw std::out_of_range(key);
}

}  // namespace tessaro

#include "merge/JoinChoices.h"

#include <QCoreApplication>
#include <QtGlobal>
#include <cmath>

#include "chapters/Chapters.h"

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

// A value that is one number of the options.
template <double JoinOptions::*number>
QString ReadNumber(const JoinOptions& options) {
    return QString::number(options.*number);
}
template <double JoinOptions::*number>
void WriteNumber(JoinOptions& options, const QString& value) {
    options.*number = value.toDouble();
}

// Chapters by title, or by silence with or without a number of seconds; no word for neither.
void WriteChaptersBy(JoinOptions& options, const QString& value) {
    options.chaptersByTitle = value == QLatin1String("title");
    options.chapterSilence.reset();
    if (value.startsWith(QLatin1String("silence"))) {
        SilenceRule rule;
        const QString seconds = value.section(QLatin1Char('='), 1);
        rule.minSeconds = seconds.isEmpty() ? rule.minSeconds : seconds.toDouble();
        options.chapterSilence = rule;
    }
}

// What the help says a silence is by default.
QString DefaultSilenceSeconds() {
    return QString::number(SilenceRule().minSeconds);
}
QString DefaultSilenceThreshold() {
    return QString::number(SilenceRule().thresholdDb);
}

// A value that is the one word of its list, which turns one flag of the options on; its fallback,
// no word, turns it off.
template <bool JoinOptions::*flag>
void WriteWord(JoinOptions& options, const QString& value) {
    options.*flag = !value.isEmpty();
}

// Quieter than this, loudness meters measure nothing but gated-out silence.
constexpr double kLowestTarget = -70;
// Longer silence between parts than any book or album puts there.
constexpr double kLongestGap = 60;
// Far below the noise of any recording: lower, a silence would have to be digital silence.
constexpr double kLowestSilenceThreshold = -120;

// "a, b or c", the last two joined by `pair` ("%1 or %2").
QString ListOf(QStringList items, const QString& pair) {
    const QString last = items.takeLast();
    return items.isEmpty() ? last : pair.arg(items.join(QStringLiteral(", ")), last);
}

// What --chapter-format takes.
QStringList ChapterFormWords() {
    QStringList words;
    for (const ChapterFormInfo& form : ChapterForms()) {
        words << QLatin1String(form.word);
    }
    return words;
}

// Each of them, and what it names: "cue (a CUE sheet)".
QString GlossedChapterFormWords() {
    return ChapterFormsListed([](const ChapterFormInfo& form) {
        return QLatin1String(form.word) + QLatin1Char(' ') +
               QCoreApplication::translate("TessaroJoin", form.gloss);
    });
}

}  // namespace

QString ChapterFormsListed(QString (*item)(const ChapterFormInfo& form)) {
    QStringList items;
    for (const ChapterFormInfo& form : ChapterForms()) {
        items << item(form);
    }
    return ListOf(items, QCoreApplication::translate("TessaroJoin", "%1 or %2"));
}

// What `text` gives the numbered word of `value` behind its "="; none where it is not that word
// so followed.
std::optional<QString> NumberBehindWord(const ChoiceValue& value, const QString& text) {
    const QString word = QLatin1String(value.numbered) + QLatin1Char('=');
    return value.numbered && text.startsWith(word) ? std::optional(text.mid(word.size()))
                                                   : std::nullopt;
}

bool ChoiceValue::Accepts(const QString& text) const {
    if (optional && text == fallback) {
        return true;
    }
    bool number = false;
    if (const std::optional<QString> behind = NumberBehindWord(*this, text)) {
        const double value = behind->toDouble(&number);
        return number && std::isfinite(value) && value > 0;
    }
    if (kind == Kind::Word) {
        return words.contains(text);
    }
    const double value = text.toDouble(&number);
    // So written that "nan" is refused too.
    return number && value >= lowest && value <= highest;
}

bool ChoiceValue::TakesAsValue(const QString& argument) const {
    if (kind == Kind::Word) {
        return words.contains(argument) || NumberBehindWord(*this, argument);
    }
    bool number = false;
    return std::isfinite(argument.toDouble(&number)) && number;
}

QString ChoiceValue::Refusal(const QString& option, const QString& text) const {
    if (const std::optional<QString> behind = NumberBehindWord(*this, text)) {
        return QStringLiteral("--%1=%2 needs a positive number of %3, not \"%4\"")
            .arg(option, QLatin1String(numbered), QLatin1String(what), *behind);
    }
    if (kind == Kind::Number) {
        return QStringLiteral("--%1 needs %2 from %3 to %4, not \"%5\"")
            .arg(option, QLatin1String(what), QString::number(lowest), QString::number(highest),
                 text);
    }
    QStringList allowed;
    if (optional) {
        allowed << QStringLiteral("no value");
    }
    for (const QString& word : words) {
        allowed << QLatin1Char('"') + word + QLatin1Char('"');
    }
    return QStringLiteral("--%1 %2 %3, not \"%4\"")
        .arg(option, optional ? QStringLiteral("takes") : QStringLiteral("needs"),
             ListOf(allowed, QStringLiteral("%1 or %2")), text);
}

bool JoinChoice::Switched() const {
    switch (kind) {
        case Kind::Switch:
        case Kind::SwitchWithValue:
            return true;
        case Kind::ValueAlone:
        case Kind::ToolOnly:
            return false;
    }
    return false;
}

const ChoiceValue* JoinChoice::WindowValue() const {
    switch (kind) {
        case Kind::SwitchWithValue:
        case Kind::ValueAlone:
            return &*value;
        case Kind::Switch:
        case Kind::ToolOnly:
            return nullptr;
    }
    return nullptr;
}

const std::vector<JoinChoice>& JoinChoices() {
    static const std::vector<JoinChoice> choices{
        {.kind = JoinChoice::Kind::Switch,
         .option = "chapters",
         .help = QT_TRANSLATE_NOOP(
             "TessaroJoin",
             "Add a chapter for each joined input to the output's tag, titled with the "
             "input's own title or, without one, its file name. With =title, one chapter for "
             "each run of inputs whose titles agree once a trailing part or track number is "
             "left out (\"Chapter 3 (1/2)\", \"Chapter 3 - Part 2\"). With =silence, a chapter "
             "where the audio starts and one in the middle of each silence of an input that "
             "lasts %1 seconds or more (=silence=SECONDS: SECONDS or more), titled \"Chapter "
             "1\", \"Chapter 2\", ..., as one long recording pauses between its parts."),
         .helpList = DefaultSilenceSeconds,
         .label = QT_TRANSLATE_NOOP("tessaro::StandardPreferencesPage",
                                    "Add a &chapter for each input file"),
         .key = "chapters",
         .isOn = IsOn<&JoinOptions::chapters>,
         .turn = Turn<&JoinOptions::chapters>,
         // The window has a box of its own for chapters by title.
         .value = ChoiceValue{.kind = ChoiceValue::Kind::Word,
                              .name = "title|silence",
                              .optional = true,
                              .what = "seconds",
                              .words = {QStringLiteral("title"), QStringLiteral("silence")},
                              .numbered = "silence",
                              .write = WriteChaptersBy}},
        // Behind chapters, whose value makes the rule it changes.
        {.kind = JoinChoice::Kind::ToolOnly,
         .option = "silence-threshold",
         .help = QT_TRANSLATE_NOOP(
             "TessaroJoin",
             "With --chapters=silence: what is quieter than DB dBFS (0 being full scale; %1 "
             "without this option) is silence, the level of the loudest channel measured in "
             "blocks of 10 ms, so that neither dither nor a single click breaks a silence."),
         .helpList = DefaultSilenceThreshold,
         .value = ChoiceValue{.kind = ChoiceValue::Kind::Number,
                              .name = "DB",
                              .lowest = kLowestSilenceThreshold,
                              .highest = 0,
                              .what = "a level in dBFS",
                              .write =
                                  [](JoinOptions& options, const QString& value) {
                                      if (options.chapterSilence) {
                                          options.chapterSilence->thresholdDb = value.toDouble();
                                      }
                                  }}},
        {.kind = JoinChoice::Kind::Switch,
         .option = nullptr,
         .help = nullptr,
         .label = QT_TRANSLATE_NOOP("tessaro::StandardPreferencesPage",
                                    "&One chapter for the parts of a title (\"Chapter 3 (1/2)\", "
                                    "\"Chapter 3 (2/2)\")"),
         .key = "chaptersByTitle",
         .isOn = IsOn<&JoinOptions::chaptersByTitle>,
         .turn = Turn<&JoinOptions::chaptersByTitle>},
        {.kind = JoinChoice::Kind::ToolOnly,
         .option = "chapter-format",
         .help = QT_TRANSLATE_NOOP(
             "TessaroJoin",
             "Read the chapter file and write the exported chapters as FORMAT: %1. Without it, "
             "the chapter file's contents and the exported file's extension tell."),
         .helpList = GlossedChapterFormWords,
         .value = ChoiceValue{.kind = ChoiceValue::Kind::Word,
                              .name = "FORMAT",
                              .words = ChapterFormWords(),
                              .write =
                                  [](JoinOptions& options, const QString& value) {
                                      options.chapterForm = ChapterFormNamed(value);
                                  }}},
        {.kind = JoinChoice::Kind::Switch,
         .option = "copy-cover",
         .help = QT_TRANSLATE_NOOP(
             "TessaroJoin",
             "Carry the picture of the first joined input that has one (its front cover, "
             "else its first) into the output's tag."),
         .label = QT_TRANSLATE_NOOP("tessaro::StandardPreferencesPage",
                                    "Copy the first input's co&ver picture"),
         .key = "copyCover",
         .isOn = IsOn<&JoinOptions::copyCover>,
         .turn = Turn<&JoinOptions::copyCover>},
        {.kind = JoinChoice::Kind::Switch,
         .option = "seamless",
         .help = QT_TRANSLATE_NOOP(
             "TessaroJoin",
             "Join the inputs without the silence their encoders put at both ends: the few "
             "frames around each join are decoded and encoded anew. Inputs whose headers do "
             "not tell that silence, or of different formats, are joined as they are, with a "
             "warning."),
         .label = QT_TRANSLATE_NOOP("tessaro::StandardPreferencesPage",
                                    "&Join seamlessly (re-encodes a few frames at each join)"),
         .key = "seamless",
         .isOn = IsOn<&JoinOptions::seamless>,
         .turn = Turn<&JoinOptions::seamless>},
        {.kind = JoinChoice::Kind::ValueAlone,
         .option = "gap",
         .help = QT_TRANSLATE_NOOP(
             "TessaroJoin",
             "Put SECONDS of silence between every two inputs: frames of digital silence "
             "encoded in the first input's format, never a chapter of their own. The silence "
             "the inputs' encoders left at their ends counts towards it, so that what is heard "
             "between two inputs is SECONDS within a frame, and to the sample with "
             "--seamless."),
         .label = QT_TRANSLATE_NOOP("tessaro::StandardPreferencesPage", "Silence &between inputs:"),
         .value = ChoiceValue{.kind = ChoiceValue::Kind::Number,
                              .name = "SECONDS",
                              .key = "gapSeconds",
                              .fallback = QStringLiteral("0"),
                              .lowest = 0,
                              .highest = kLongestGap,
                              .what = "seconds",
                              .unit = "s",
                              .decimals = 2,
                              .read = ReadNumber<&JoinOptions::gapSeconds>,
                              .write = WriteNumber<&JoinOptions::gapSeconds>}},
        {.kind = JoinChoice::Kind::SwitchWithValue,
         .option = "level",
         .help = QT_TRANSLATE_NOOP(
             "TessaroJoin",
             "Level the loudness of the inputs to LUFS (alone, --level aims at -18, "
             "ReplayGain 2.0's reference) by changing the gain their frames carry, in steps "
             "of 1.5 dB: no re-encoding. An input gets less gain where more would clip its "
             "peaks. The output's tag tells its ReplayGain."),
         .label = QT_TRANSLATE_NOOP(
             "tessaro::StandardPreferencesPage",
             "&Level the loudness of the inputs (changes gain only, no re-encoding)"),
         .key = "level",
         .isOn = IsOn<&JoinOptions::level>,
         .turn = Turn<&JoinOptions::level>,
         .value = ChoiceValue{.kind = ChoiceValue::Kind::Number,
                              .name = "LUFS",
                              .key = "levelTarget",
                              .optional = true,
                              .fallback = QString::number(kReferenceLoudness),
                              .lowest = kLowestTarget,
                              .highest = 0,
                              .what = "a loudness in LUFS",
                              .unit = "LUFS",
                              .read = ReadNumber<&JoinOptions::levelTarget>,
                              .write = WriteNumber<&JoinOptions::levelTarget>}},
        {.kind = JoinChoice::Kind::Switch,
         .option = "level-mode",
         .help = QT_TRANSLATE_NOOP(
             "TessaroJoin",
             "With --level: track (as without this option) levels each input alone; album "
             "gives every input the one gain that brings the whole join, gated over all inputs "
             "as ReplayGain's album gain is, nearest to the target, less where more would clip "
             "the highest peak. An album's quiet pieces stay as much quieter as they were."),
         .label = QT_TRANSLATE_NOOP("tessaro::StandardPreferencesPage", "Level as one &album"),
         .key = "levelAlbum",
         .isOn = IsOn<&JoinOptions::levelAlbum>,
         .turn = Turn<&JoinOptions::levelAlbum>,
         // The option given turns the choice on; its word says whether it stays on.
         .value = ChoiceValue{.kind = ChoiceValue::Kind::Word,
                              .name = "MODE",
                              .words = {QStringLiteral("track"), QStringLiteral("album")},
                              .write =
                                  [](JoinOptions& options, const QString& value) {
                                      options.levelAlbum = value == QLatin1String("album");
                                  }}},
        {.kind = JoinChoice::Kind::Switch,
         .option = "conform",
         .help = QT_TRANSLATE_NOOP(
             "TessaroJoin",
             "Re-encode inputs of another format (MPEG version, layer, sampling rate or "
             "channel count), or whose frames change format, to match the first input, which "
             "must be of Layer III: each is decoded, resampled, mixed to its channels and "
             "encoded in its format, and runs into its neighbours without gap. The other "
             "inputs are copied as ever."),
         .label = QT_TRANSLATE_NOOP("tessaro::StandardPreferencesPage",
                                    "&Re-encode inputs of another format to match the first"),
         .key = "conform",
         .isOn = IsOn<&JoinOptions::conform>,
         .turn = Turn<&JoinOptions::conform>},
        {.kind = JoinChoice::Kind::Switch,
         .option = "copy-tags",
         .help = QT_TRANSLATE_NOOP(
             "TessaroJoin",
             "Copy into the output's tag every text frame all joined inputs share (album, "
             "artist, album artist, genre, year, composer, comment, ...), but their titles, "
             "track and disc numbers and ReplayGain; a tag without a title is titled with the "
             "album. A frame the inputs disagree on, or that some lack, is left out with a "
             "warning naming the values; with =first, it is taken from the first input that "
             "has it. The values typed above win."),
         .label =
             QT_TRANSLATE_NOOP("tessaro::StandardPreferencesPage",
                               "Copy the &tag the inputs share (album, artist, genre, \u2026)"),
         .key = "copyTags",
         .isOn = IsOn<&JoinOptions::copyTags>,
         .turn = Turn<&JoinOptions::copyTags>,
         // The window has a box of its own for the first input's values.
         .value = ChoiceValue{.kind = ChoiceValue::Kind::Word,
                              .name = "first",
                              .optional = true,
                              .words = {QStringLiteral("first")},
                              .write = WriteWord<&JoinOptions::copyTagsFirst>}},
        {.kind = JoinChoice::Kind::Switch,
         .option = nullptr,
         .help = nullptr,
         .label =
             QT_TRANSLATE_NOOP("tessaro::StandardPreferencesPage",
                               "Where the inputs' tags differ, copy the &first input's values"),
         .key = "copyTagsFirst",
         .isOn = IsOn<&JoinOptions::copyTagsFirst>,
         .turn = Turn<&JoinOptions::copyTagsFirst>},
        {.kind = JoinChoice::Kind::Switch,
         .option = "id3v2.3",
         .help = QT_TRANSLATE_NOOP(
             "TessaroJoin",
             "Write the tag, chapters and cover included, as ID3v2.3, which Windows and many "
             "older players read, instead of ID3v2.4."),
         .label = QT_TRANSLATE_NOOP("tessaro::StandardPreferencesPage",
                                    "&Write the tag as ID3v2.3 (for Windows and older players)"),
         .key = "id3v23",
         .isOn = IsOn<&JoinOptions::id3v23>,
         .turn = Turn<&JoinOptions::id3v23>},
    };
    return choices;
}

}  // namespace tessaro

#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

#include "merge/JoinOptions.h"

namespace tessaro {

// A value a choice carries while it is on, a number within a range or one word of a list, kept as
// the text the tool is given and the window's settings keep. Declared once: the tool parses,
// checks and explains it from here, the window shows and keeps it from here.
struct ChoiceValue {
    enum class Kind { Number, Word };

    Kind kind;
    const char* name;  // in the tool's help: "--level[=LUFS]", "--chapters[=title]"
    // Under "joinedFile/" in the window's settings, beside the choice's own key, and shown on the
    // preferences page beside its box; null where the window reaches the value another way.
    const char* key = nullptr;
    // Whether the tool's option may come without it; `fallback` then stands for it. The window
    // shows `fallback` until it keeps a value.
    bool optional = false;
    QString fallback{};
    // A number from `lowest` to `highest`, meaning `what` (the tool's complaint names it) and
    // shown in the window in `unit`.
    double lowest = 0;
    double highest = 0;
    const char* what = nullptr;
    const char* unit = nullptr;
    int decimals = 1;     // the window shows behind the point
    QStringList words{};  // what a word may be
    // The word of them that may carry a positive number of `what` behind "=" ("silence=3");
    // null for none.
    const char* numbered = nullptr;
    // The value as the options hold it; null where the window does not keep it.
    QString (*read)(const JoinOptions& options) = nullptr;
    void (*write)(JoinOptions& options, const QString& value) = nullptr;

    // Whether `text` is a value it may have (`fallback` included).
    bool Accepts(const QString& text) const;
    // Whether the option given alone takes the argument behind it as its value: one of its
    // words (the numbered one with any text behind its "="), or any number, which may then be
    // refused as out of range.
    bool TakesAsValue(const QString& argument) const;
    // The tool's complaint of `--option` given `text`, which it does not accept.
    QString Refusal(const QString& option, const QString& text) const;
};

// A choice of what the joined file carries, declared once for all who offer it: the tool as an
// option, the window as a box on its preferences page, kept in the window's settings.
struct JoinChoice {
    // Which of the fields below a choice has; every reader goes by it.
    enum class Kind {
        Switch,           // on or off: label, key, isOn and turn; a value, if any, the tool's alone
        SwitchWithValue,  // a switch whose value the window shows beside its box and keeps
        ValueAlone,       // its value alone, set whenever its option is given: label, no key
        ToolOnly,         // the tool's alone: no label, key, isOn or turn
    };

    Kind kind;
    const char* option;  // the tool's --option; null where the tool has another way to it
    // The tool's explanation of the option, which the tool translates in the context
    // "TessaroJoin".
    const char* help;
    // What fills the %1 of `help`, in the user's language; null where it has none.
    QString (*helpList)() = nullptr;
    // The window's box, its access key marked with '&', or the label of a value alone; the key is
    // where the window's settings keep the box, under "joinedFile/".
    const char* label = nullptr;
    const char* key = nullptr;
    bool (*isOn)(const JoinOptions& options) = nullptr;
    void (*turn)(JoinOptions& options, bool on) = nullptr;
    std::optional<ChoiceValue> value{};  // none for a choice that is only on or off

    // Whether the window shows a box for it and keeps it on or off.
    bool Switched() const;
    // The value the window shows beside the box and keeps; null where it has none.
    const ChoiceValue* WindowValue() const;
};

// In the order the window shows them.
const std::vector<JoinChoice>& JoinChoices();

// Every chapter form as `item` tells it, listed for a help text ("a, b or c"), in the user's
// language.
QString ChapterFormsListed(QString (*item)(const ChapterFormInfo& form));

}  // namespace tessaro

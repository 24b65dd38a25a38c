#include "cli/Options.h"

#include <algorithm>

namespace tessaro::cli {

std::vector<ChoiceOption> ChoiceOptions() {
    std::vector<ChoiceOption> offered;
    for (const JoinChoice& choice : JoinChoices()) {
        if (choice.option) {
            const QString help = QCoreApplication::translate("TessaroJoin", choice.help);
            offered.push_back(
                {&choice, QCommandLineOption(
                              QString::fromLatin1(choice.option),
                              choice.helpList ? help.arg(choice.helpList()) : help,
                              choice.value ? QString::fromLatin1(choice.value->name) : QString())});
        }
    }
    return offered;
}

const QCommandLineOption& Options::Choice(const char* name) const {
    return std::find_if(choices.begin(), choices.end(),
                        [name](const ChoiceOption& offered) {
                            return offered.Name() == QLatin1String(name);
                        })
        ->option;
}

void Options::AddTo(QCommandLineParser& parser) const {
    parser.addOptions({output, workspaceFile, quiet, tag, album, artist, title, year, comment,
                       genre, albumArtist, composer});
    for (const ChoiceOption& offered : choices) {
        parser.addOption(offered.option);
    }
    parser.addOptions({chapterFile, exportChapters, cover, sort});
    parser.addOptions({forceName, batch});
}

std::vector<const QCommandLineOption*> Options::TagValueOptions() const {
    return {&album, &artist, &title, &year, &comment, &genre, &albumArtist, &composer};
}

QStringList Options::WithOptionalValues(QStringList arguments) const {
    for (qsizetype i = 0; i < arguments.size() && arguments[i] != QLatin1String("--"); ++i) {
        for (const ChoiceOption& offered : choices) {
            const ChoiceValue* value = offered.OptionalValue();
            if (!value || arguments[i] != QLatin1String("--") + offered.Name()) {
                continue;
            }
            const bool valueFollows =
                i + 1 < arguments.size() && value->TakesAsValue(arguments[i + 1]);
            arguments[i] +=
                QLatin1Char('=') + (valueFollows ? arguments.takeAt(i + 1) : value->fallback);
        }
    }
    return arguments;
}

QString Options::HelpText(const QCommandLineParser& parser) const {
    QString help = parser.helpText();
    for (const ChoiceOption& offered : choices) {
        if (const ChoiceValue* value = offered.OptionalValue()) {
            const QString name = QLatin1String("--") + offered.Name();
            const QString valueName = QLatin1String(value->name);
            help.replace(name + QStringLiteral(" <") + valueName + QLatin1Char('>'),
                         name + QStringLiteral("[=") + valueName + QLatin1Char(']'));
        }
    }
    return help;
}

QString Options::RefusedChoiceValue(const QCommandLineParser& parser) const {
    for (const ChoiceOption& offered : choices) {
        const QString given = parser.value(offered.option);
        if (offered.choice->value && parser.isSet(offered.option) &&
            !offered.choice->value->Accepts(given)) {
            return offered.choice->value->Refusal(offered.Name(), given);
        }
    }
    return QString();
}

void Options::TurnChoices(const QCommandLineParser& parser, JoinOptions& join) const {
    for (const ChoiceOption& offered : choices) {
        const bool given = parser.isSet(offered.option);
        if (offered.choice->Switched()) {
            offered.choice->turn(join, given);
        }
        if (given && offered.choice->value) {
            offered.choice->value->write(join, parser.value(offered.option));
        }
    }
}

}  // namespace tessaro::cli

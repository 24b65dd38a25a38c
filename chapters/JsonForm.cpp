#include "chapters/ChapterForms.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tessaro::chapter_forms {
namespace {

// Seconds an entry gives at `key`, in milliseconds: none where it gives none; false, with *error,
// for what is not a number of seconds.
bool TakeJsonSeconds(const QJsonObject& entry, const char* key, const QString& where,
                     std::optional<quint64>* ms, QString* error) {
    const QJsonValue value = entry.value(QLatin1String(key));
    if (value.isUndefined()) {
        return true;
    }
    if (!value.isDouble()) {
        return Fault(error, where,
                     QStringLiteral("\"%1\" is not a number of seconds").arg(QLatin1String(key)));
    }
    if (value.toDouble() < 0) {
        return Fault(
            error, where,
            QStringLiteral("\"%1\" %2 is negative").arg(QLatin1String(key)).arg(value.toDouble()));
    }
    *ms = MsOf(value.toDouble());
    return true;
}

// The text an entry gives at `key`, empty where it gives none; false, with *error, for what is
// not text.
bool TakeJsonText(const QJsonObject& entry, const char* key, const QString& where, QString* text,
                  QString* error) {
    const QJsonValue value = entry.value(QLatin1String(key));
    if (!value.isUndefined() && !value.isString()) {
        return Fault(error, where, QStringLiteral("\"%1\" is not text").arg(QLatin1String(key)));
    }
    *text = value.toString();
    return true;
}

// The entry `value` at `where`; false, with *error, for one that is not a chapter's.
bool TakeJsonEntry(const QJsonValue& value, const QString& where, Entries& entries,
                   QString* error) {
    if (!value.isObject()) {
        return Fault(error, where, QStringLiteral("it is not an object"));
    }
    const QJsonObject object = value.toObject();
    const QJsonValue toc = object.value(QLatin1String("toc"));
    Entry entry{where, 0, QString()};
    std::optional<quint64> start;
    if (!TakeJsonSeconds(object, "startTime", where, &start, error) ||
        !TakeJsonSeconds(object, "endTime", where, &entry.endMs, error) ||
        !TakeJsonText(object, "title", where, &entry.title, error) ||
        !TakeJsonText(object, "url", where, &entry.links.page, error) ||
        !TakeJsonText(object, "img", where, &entry.links.picture, error)) {
        return false;
    }
    if (!start) {
        return Fault(error, where, QStringLiteral("\"startTime\" is not a number of seconds"));
    }
    if (!toc.isUndefined() && !toc.isBool()) {
        return Fault(error, where, QStringLiteral("\"toc\" is neither true nor false"));
    }
    entry.ms = *start;
    entry.listed = toc.toBool(true);
    entries.push_back(entry);
    return true;
}

bool StartsAsJson(const QString& line) {
    return line.trimmed().startsWith(QLatin1Char('{'));
}

std::optional<Entries> ReadJson(const QString& text, std::vector<CueFile>*, QString* error) {
    const QByteArray bytes = text.toUtf8();
    QJsonParseError parse;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError) {
        Fault(error, LineNumber(bytes.left(parse.offset).count('\n')),
              QStringLiteral("it is not JSON (%1)").arg(parse.errorString()));
        return std::nullopt;
    }
    const QJsonValue chapters = document.object().value(QLatin1String("chapters"));
    if (!chapters.isArray()) {
        *error = QStringLiteral("it holds no \"chapters\" list");
        return std::nullopt;
    }
    Entries entries;
    const QJsonArray list = chapters.toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!TakeJsonEntry(list[i], QStringLiteral("entry %1 of \"chapters\"").arg(i + 1), entries,
                           error)) {
            return std::nullopt;
        }
    }
    return entries;
}

std::optional<QString> WriteJson(const std::vector<Chapter>& chapters, const ChapterSheet&,
                                 QString*) {
    QJsonArray list;
    for (const Chapter& chapter : chapters) {
        QJsonObject entry{{QStringLiteral("startTime"), chapter.startMs / 1000.0}};
        const auto text = [&entry](const char* key, const QString& value) {
            if (!value.isEmpty()) {
                entry.insert(QLatin1String(key), value);
            }
        };
        text("title", chapter.title);
        text("url", chapter.links.page);
        text("img", chapter.links.picture);
        if (chapter.endTold) {
            entry.insert(QStringLiteral("endTime"), chapter.endMs / 1000.0);
        }
        if (!chapter.listed) {
            entry.insert(QStringLiteral("toc"), false);
        }
        list.append(entry);
    }
    const QJsonObject root{{QStringLiteral("version"), QStringLiteral("1.2.0")},
                           {QStringLiteral("chapters"), list}};
    return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
}

}  // namespace

const ChapterFormat& JsonFormat() {
    static const ChapterFormat format{
        {ChapterForm::Json,
         "json",
         QT_TRANSLATE_NOOP("tessaro::MainWindow", "Podcasting 2.0 chapters"),
         {QStringLiteral("json")},
         QT_TRANSLATE_NOOP("TessaroJoin", "Podcasting 2.0 JSON chapters"),
         QT_TRANSLATE_NOOP("TessaroJoin", "(Podcasting 2.0 chapters)")},
        StartsAsJson,
        ReadJson,
        WriteJson};
    return format;
}

}  // namespace tessaro::chapter_forms

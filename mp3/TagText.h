#pragma once

#include <taglib/tstring.h>
#include <taglib/tstringlist.h>

#include <QString>
#include <QStringList>
#include <algorithm>

namespace mp3 {

// Text between Qt and TagLib: TagLib holds UTF-16 units, one to a wchar_t, which are taken as
// they are; it takes text back by way of UTF-8.
inline QString FromTagString(const TagLib::String& text) {
    QString units(qsizetype(text.size()), Qt::Uninitialized);
    std::transform(text.begin(), text.end(), units.begin(),
                   [](wchar_t unit) { return QChar(char16_t(unit)); });
    return units;
}

inline QStringList FromTagStrings(const TagLib::StringList& texts) {
    QStringList list;
    for (const TagLib::String& text : texts) {
        list << FromTagString(text);
    }
    return list;
}

inline TagLib::String ToTagString(const QString& text) {
    return TagLib::String(text.toStdString(), TagLib::String::UTF8);
}

inline TagLib::StringList ToTagStrings(const QStringList& texts) {
    TagLib::StringList list;
    for (const QString& text : texts) {
        list.append(ToTagString(text));
    }
    return list;
}

}  // namespace mp3

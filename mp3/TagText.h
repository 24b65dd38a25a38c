#pragma once

#include <taglib/tstring.h>
#include <taglib/tstringlist.h>

#include <QString>
#include <QStringList>

namespace mp3 {

// Text between Qt and TagLib, by way of UTF-8 in both directions.
inline QString FromTagString(const TagLib::String& text) {
    return QString::fromStdString(text.to8Bit(true));
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

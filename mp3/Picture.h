#pragma once

#include <QByteArray>
#include <QString>

namespace mp3 {

// An attached picture as ID3v2 carries it.
struct Picture {
    static constexpr int kFrontCover = 3;

    int type = kFrontCover;  // the ID3v2 picture type
    QString mimeType;
    QString description;
    QByteArray data;
    quint8 textEncoding = 3;  // of the description, as ID3v2 numbers them: UTF-8 by default
};

}  // namespace mp3

#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

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

// What an input's own tags tell of it: its title (the ID3v2 one, else the ID3v1 one) and its
// picture (the front cover, else the first attached). A damaged tag costs what it holds, never
// more: an input that cannot be read has neither.
struct InputTags {
    QString title;
    std::optional<Picture> picture;
};
InputTags ReadInputTags(const QString& path);

// A picture file as a front cover, recognised as JPEG or PNG by its first bytes, never by its
// name. Empty, with the reason in *error, for anything else or a file that cannot be read.
std::optional<Picture> ReadPictureFile(const QString& path, QString* error);

}  // namespace mp3

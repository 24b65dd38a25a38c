#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tessaro {
class InputFile;
}

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
// more: an input that cannot be read, or is not a regular file, has neither.
struct InputTags {
    QString title;
    std::optional<Picture> picture;
};
InputTags ReadInputTags(const QString& path);
InputTags ReadInputTags(const tessaro::InputFile& file);

// The figures the list shows of a file, from its first frame with a table bitrate.
struct Figures {
    qint32 bitrate = 0;     // bits per second
    qint32 channels = 0;    // 1 for single channel, else 2
    qint32 sampleRate = 0;  // Hz; -1 for a reserved value
    qint32 duration = 0;    // whole seconds: file size x 8 / bitrate
    // Why the figures are missing (the file cannot be opened or has no usable frame); empty
    // when they are there.
    QString problem;
};
Figures ProbeFigures(const QString& path);

// The largest picture file taken as a cover: far above any real cover, far below what the tag
// can hold.
constexpr qint64 kMaxPictureFileBytes = 64 << 20;

// A picture file as a front cover, recognised as JPEG or PNG by its first bytes, never by its
// name. Empty, with the reason in *error, for anything else, a file that cannot be read, is not a
// regular file or is larger than kMaxPictureFileBytes.
std::optional<Picture> ReadPictureFile(const QString& path, QString* error);

}  // namespace mp3

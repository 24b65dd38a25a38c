#pragma once

#include <QString>

namespace mp3 {

// Where the audio of the file open at `fd`, `size` bytes long, ends: before the tags appended to
// it, found from the end in any order and as often as they repeat: ID3v1, APEv2 (with its header
// when the footer tells of one), Lyrics3v2 and an appended ID3v2 tag (with its footer). Their
// bytes may look like frames, so the frame scan stops there. An APEv2 or ID3v2 footer counts
// only where its tag starts where the footer says (the header, or else an APE item): a footer
// alone would cut off the audio it claims. Its kind ("APEv2", "ID3v2") is then in
// *unconfirmed, which is empty otherwise. -1 with the system's reason in *error when the file
// cannot be read.
// The file's bytes may start `base` bytes into what `fd` reads.
[[nodiscard]] qint64 FindAudioEnd(int fd, qint64 size, QString* error,
                                  QString* unconfirmed = nullptr, qint64 base = 0);

// The length of the ID3v2 tag whose 10-byte header is `header`, padding and footer included; 0
// when it is none. id3lib judges the header; the tag's frames are not parsed, as id3lib corrupts
// its heap on some damaged compressed frames.
qint64 LeadingTagLength(const quint8* header);

// The bytes of the file open at `fd`, `size` bytes long, between its leading ID3v2 tags and its
// trailing tags: what a join of it reads frames from. 0 when it cannot be read, and then the
// system's reason in *error.
qint64 AudioPartLength(int fd, qint64 size, QString* error);

}  // namespace mp3

#include "seam/SeamPacking.h"

#include <algorithm>
#include <cstring>

#include "mp3/FrameHeader.h"
#include "mp3/LayerIII.h"

namespace tessaro {

using mp3::FrameHeader;

QByteArray ReservedBytes(const std::vector<QByteArray>& frames, size_t first, bool* fits) {
    qint32 needed = 0;
    qint32 since = 0;  // main data bytes from frame `first` up to the frame looked at
    for (size_t i = first; i < frames.size() && since < mp3::FarthestBack(mp3::HeaderOf(frames[i]));
         ++i) {
        needed = std::max(needed, mp3::MainDataBegin(frames[i]) - since);
        since += mp3::MainDataRoom(frames[i]);
    }
    QByteArray before;
    for (size_t i = 0; i < first; ++i) {
        before += frames[i].mid(mp3::MainDataStart(mp3::HeaderOf(frames[i])));
    }
    *fits = before.size() >= needed;
    return *fits ? before.right(needed) : QByteArray();
}

bool Pack(std::vector<QByteArray>* frames, const QByteArray& reserved, size_t widened) {
    QByteArray stream;  // the main data of all the frames, one behind the other
    std::vector<QByteArray> packed;
    qint64 end = 0;  // of the main data placed so far
    for (size_t i = 0; i < frames->size(); ++i) {
        const QByteArray& frame = (*frames)[i];
        FrameHeader header = mp3::HeaderOf(frame);
        const qint32 start = mp3::MainDataStart(header);
        if (i + widened >= frames->size()) {
            header.bitrateIndex = 14;
            header.padding = 0;
        }
        const qint64 areaStart = stream.size();
        const qint64 room = header.GetFrameLength() - start;
        const qint32 own = mp3::MainDataLength(frame);
        const qint64 begin = std::max(end, areaStart - mp3::FarthestBack(header));
        if (begin + own > areaStart + room) {
            return false;
        }
        stream.append(QByteArray(room, '\0'));
        std::memcpy(stream.data() + begin, frame.constData() + start, size_t(own));
        end = begin + own;
        QByteArray head = frame.left(start);
        head[2] =
            char((quint8(frame[2]) & 0x0D) | (header.bitrateIndex << 4) | (header.padding << 1));
        mp3::SetMainDataBegin(&head, qint32(areaStart - begin));
        packed.push_back(head);
    }
    if (end + reserved.size() > stream.size()) {
        return false;
    }
    stream.replace(stream.size() - reserved.size(), reserved.size(), reserved);
    for (qint64 i = 0, at = 0; i < qint64(packed.size()); ++i) {
        const qint64 room =
            mp3::HeaderOf(packed[size_t(i)]).GetFrameLength() - packed[size_t(i)].size();
        (*frames)[size_t(i)] = packed[size_t(i)] + stream.mid(at, room);
        at += room;
    }
    return true;
}

}  // namespace tessaro

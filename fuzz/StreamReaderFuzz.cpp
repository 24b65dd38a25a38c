// Any bytes as an MP3 file: the reader must not crash or read outside its buffers, must yield
// exactly the units the plain byte scan finds from where it starts, and a merge of the file
// must copy exactly those bytes behind the tag it puts in front.

#include <cstdint>

#include "FuzzCheck.h"
#include "ReferenceScan.h"
#include "TestFiles.h"
#include "io/Files.h"
#include "merge/MergeJob.h"
#include "mp3/InputTags.h"
#include "mp3/StreamReader.h"

using fuzzing::Require;
using testing_files::Unit;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString path = fuzzing::WriteInput(bytes, QStringLiteral("input.mp3"));
    Require(tessaro::GetFileSize64(path) == bytes.size(), "the size is the number of bytes");

    mp3::StreamReader reader(path);
    Require(reader.IsOpen(), "the file opens");
    const qint64 start = reader.StartOffset();
    Require(start >= 0 && start <= bytes.size(), "the scan starts inside the file");
    Require(start == 0 || bytes.startsWith("ID3"), "only a leading ID3v2 tag is skipped");

    std::vector<Unit> units;
    for (; !reader.AtEnd(); reader.Advance()) {
        Require(reader.FrameIndex() == qint32(units.size()), "frames are counted from 0");
        Require(
            reader.FrameLength() >= 4 && reader.FrameLength() <= mp3::StreamReader::kMaxFrameLength,
            "a unit holds its header and no more than a frame can");
        units.push_back(
            {reader.Header().offset,
             QByteArray(reinterpret_cast<const char*>(reader.Frame()), reader.FrameLength())});
    }
    Require(units == testing_files::ReferenceScan(bytes, start),
            "the reader yields what the byte scan yields");

    // Its title and picture, as chapters and covers take them: whatever the tag, no crash.
    const mp3::InputTags tags = mp3::ReadInputTags(path);
    Require(!tags.picture || tags.picture->data.size() <= bytes.size(), "a picture is in the file");

    // Joined twice, so that the second copy's header frame is left out or one is put in front.
    testing_files::RecordingHost host;
    const QString output = fuzzing::WriteInput(QByteArray(), QStringLiteral("output.mp3"));
    const tessaro::MergeResult result =
        tessaro::RunMerge({.inputs = {path, path}, .output = output}, host);
    Require(result.Succeeded() == !units.empty(), "the merge fails only without frames");
    const QByteArray expected =
        units.empty() ? QByteArray() : testing_files::MergeOutput({units, units});
    Require(testing_files::ReadBehindTag(output) == expected, "the merge writes exactly the units");
    Require(result.written == expected.size(), "the merge counts the bytes");
    return 0;
}

#include "mp3/InputPass.h"

#include "io/Files.h"
#include "io/InputFile.h"
#include "mp3/XingHeader.h"

namespace tessaro {

QString CannotRead(const QString& input, const QString& reason) {
    return QStringLiteral("Cannot read %1: %2").arg(Quoted(input), reason);
}

QString ChangedWhileRead(const QString& input) {
    return QStringLiteral("%1 was changed or removed while it was being read; join it again")
        .arg(Quoted(input));
}

bool IsHeaderFrame(const mp3::StreamReader& reader) {
    return reader.FrameIndex() == 0 &&
           mp3::XingHeader::IsEncoderHeader(reader.Frame(), reader.FrameLength());
}

InputPass::InputPass(std::shared_ptr<InputFile> opened, const QString& path,
                     mp3::StreamReader::Reach reach)
    : file(opened ? std::move(opened) : InputFile::Open(path, &openError)),
      reader(file, path, reach) {}

PassEnd InputPass::End() const {
    PassEnd end;
    end.whole = reader.AtEnd();
    if (!reader.IsOpen()) {
        return end;
    }
    if (!reader.ReadError().isEmpty()) {
        end.failure = CannotRead(reader.Path(), reader.ReadError());
    } else if (reader.Changed()) {
        end.failure = ChangedWhileRead(reader.Path());
    }
    return end;
}

}  // namespace tessaro

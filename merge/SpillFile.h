#pragma once

#include <QString>
#include <memory>
#include <mutex>

namespace tessaro {

class InputFile;

// What re-encoding makes of the inputs, held on disk beside the output rather than in memory, in
// files without a name, which go with the process however it ends. Each encoding writes a
// scratch file of its own (as many at once as encodings run), then moves what it made into the
// one spill file, whose part for it is read as a file of its own and handed back to the system
// once copied: the join holds two descriptors for all the inputs it re-encoded, not one each.
class SpillFile {
public:
    explicit SpillFile(const QString& outputPath);
    ~SpillFile();
    SpillFile(const SpillFile&) = delete;
    SpillFile& operator=(const SpillFile&) = delete;

    // A new scratch file, open for reading and writing; -1 with the system's reason in *error.
    int Scratch(QString* error) const;
    // Moves the first `length` bytes of `scratch` into the spill file and closes it: their part
    // of the spill file, or null with the system's reason in *error.
    std::shared_ptr<InputFile> Take(int scratch, qint64 length, QString* error);

private:
    const QString folder;  // of the output
    std::mutex lock;
    std::shared_ptr<const InputFile> whole;  // made when the first encoding is taken
    qint64 end = 0;                          // of the parts handed out
};

}  // namespace tessaro

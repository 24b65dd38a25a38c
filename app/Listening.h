#pragma once

#include <QObject>
#include <QStringList>
#include <atomic>
#include <memory>
#include <vector>

#include "app/SoundOutput.h"
#include "merge/JoinOptions.h"

class QThread;

namespace tessaro {

class FileDecoder;

// Play > Play Entry and Listen to the Join: an entry from its start, or the seconds around its
// join to the next as the merge will join them, decoded off the GUI thread by the join's own
// decoder and handed to the sound output. One sound at a time: each play stops the one before.
//
// Errors: what cannot be played is told(), once for each play, never in a box.
class Listening : public QObject {
    Q_OBJECT

public:
    explicit Listening(std::unique_ptr<SoundOutput> output, QObject* parent = nullptr);
    // Stops, and waits for the decoding thread.
    ~Listening() override;

    // Seconds of each entry heard on either side of a join.
    static constexpr double kJoinSeconds = 4;

    // Tests record what is played instead; stops what plays.
    void SetOutput(std::unique_ptr<SoundOutput> output);
    void PlayEntry(const QString& path);
    // The entry at `entry` of `list` joined to the next, with `options` as a merge would take
    // them.
    void PlayJoin(const QStringList& list, int entry, const JoinOptions& options);
    void Stop();
    // From the play's start to the end of its sound, or Stop().
    bool IsPlaying() const { return m_playing; }

Q_SIGNALS:
    // A message for the status bar.
    void told(const QString& message);

private:
    // Starts a play: stops the one before; false, telling so, where there is no sound device.
    bool Begin();
    // On the worker thread: the next stretch of the entry decoded, handed to Deliver.
    void DecodeEntry(quint64 play, bool first);
    // On the GUI thread: samples of the play `play`, the first of it, the last when `last`.
    void Deliver(quint64 play, PcmFormat format, const std::vector<float>& samples, bool first,
                 bool last);
    void Fail(quint64 play, const QString& message);
    void NoDevice();
    void OnWanting();
    void Connect();

    std::unique_ptr<SoundOutput> m_output;
    QThread* m_thread;
    QObject* m_worker;                       // lives on m_thread: what is invoked on it runs there
    std::unique_ptr<FileDecoder> m_decoder;  // used on m_thread alone
    std::atomic<quint64> m_play{0};          // the play going on; those before it are given up
    bool m_playing = false;
    bool m_more = false;   // the entry has more to decode
    bool m_asked = false;  // a stretch is being decoded
};

}  // namespace tessaro

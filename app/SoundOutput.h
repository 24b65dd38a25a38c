#pragma once

#include <QObject>
#include <memory>
#include <vector>

class QAudioSink;

namespace tessaro {

// Samples of one sampling rate and number of channels, interleaved, as floats.
struct PcmFormat {
    qint32 sampleRate = 0;
    qint32 channels = 0;
};

// Where the window's sound goes: the desktop's sound device, or what a test records.
//
// Errors: a device that is missing or fails says so by Play()'s false and failed(); there is no
// other report.
class SoundOutput : public QObject {
    Q_OBJECT

public:
    // Whether there is a sound device to play on.
    virtual bool Ready() const = 0;
    // Plays `samples` of `format` in place of anything playing; false where no device takes them.
    virtual bool Play(const PcmFormat& format, const std::vector<float>& samples) = 0;
    // Queues more samples of the same format behind those playing.
    virtual void Append(const std::vector<float>& samples) = 0;
    // Stops at once, forgetting what was queued.
    virtual void Stop() = 0;

Q_SIGNALS:
    // It holds less than a few seconds: more are wanted, to play on without a break.
    void wanting();
    // It has played all it was handed.
    void drained();
    // The device stopped with an error.
    void failed();
};

// The desktop's default sound device, through Qt Multimedia.
class DeviceSoundOutput : public SoundOutput {
    Q_OBJECT

public:
    DeviceSoundOutput();
    ~DeviceSoundOutput() override;

    bool Ready() const override;
    bool Play(const PcmFormat& format, const std::vector<float>& samples) override;
    void Append(const std::vector<float>& samples) override;
    void Stop() override;

private:
    class Queue;
    void OnStateChanged();

    std::unique_ptr<QAudioSink> m_sink;
    Queue* m_queue;
};

}  // namespace tessaro

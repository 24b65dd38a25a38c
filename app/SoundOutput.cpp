#include "app/SoundOutput.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <algorithm>
#include <cstring>

namespace tessaro {

// The bytes the sink pulls, queued; those of a few seconds are kept ahead.
class DeviceSoundOutput::Queue : public QIODevice {
public:
    explicit Queue(DeviceSoundOutput& owner) : m_owner(owner) {}

    void Reset(qint64 bytesPerSecond) {
        m_bytes.clear();
        m_read = 0;
        m_bytesPerSecond = bytesPerSecond;
    }
    void Add(const std::vector<float>& samples) {
        m_bytes.append(reinterpret_cast<const char*>(samples.data()),
                       qsizetype(samples.size() * sizeof(float)));
        AskIfShort();
    }
    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override {
        return m_bytes.size() - m_read + QIODevice::bytesAvailable();
    }

protected:
    qint64 readData(char* data, qint64 size) override {
        const qint64 count = std::min(size, m_bytes.size() - m_read);
        std::memcpy(data, m_bytes.constData() + m_read, size_t(count));
        m_read += count;
        // Now and then the bytes played go, not at every read.
        if (m_read > (1 << 20)) {
            m_bytes.remove(0, m_read);
            m_read = 0;
        }
        AskIfShort();
        return count;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    void AskIfShort() {
        if (m_bytes.size() - m_read < kAhead * m_bytesPerSecond) {
            QMetaObject::invokeMethod(&m_owner, &SoundOutput::wanting, Qt::QueuedConnection);
        }
    }

    static constexpr qint64 kAhead = 3;  // seconds
    DeviceSoundOutput& m_owner;
    QByteArray m_bytes;
    qint64 m_read = 0;
    qint64 m_bytesPerSecond = 0;
};

DeviceSoundOutput::DeviceSoundOutput() : m_queue(new Queue(*this)) {
    m_queue->setParent(this);
    m_queue->open(QIODevice::ReadOnly);
}

DeviceSoundOutput::~DeviceSoundOutput() {
    Stop();
}

bool DeviceSoundOutput::Ready() const {
    return !QMediaDevices::defaultAudioOutput().isNull();
}

bool DeviceSoundOutput::Play(const PcmFormat& pcm, const std::vector<float>& samples) {
    Stop();
    const QAudioDevice device = QMediaDevices::defaultAudioOutput();
    QAudioFormat format;
    format.setSampleRate(pcm.sampleRate);
    format.setChannelCount(pcm.channels);
    format.setSampleFormat(QAudioFormat::Float);
    if (device.isNull() || !device.isFormatSupported(format)) {
        return false;
    }
    m_sink = std::make_unique<QAudioSink>(device, format);
    connect(m_sink.get(), &QAudioSink::stateChanged, this, &DeviceSoundOutput::OnStateChanged);
    m_queue->Reset(qint64(pcm.sampleRate) * pcm.channels * qint64(sizeof(float)));
    m_queue->Add(samples);
    m_sink->start(m_queue);
    return m_sink->error() == QAudio::NoError;
}

void DeviceSoundOutput::Append(const std::vector<float>& samples) {
    m_queue->Add(samples);
}

void DeviceSoundOutput::Stop() {
    if (m_sink) {
        m_sink->disconnect(this);
        m_sink->stop();
        m_sink.reset();
    }
}

void DeviceSoundOutput::OnStateChanged() {
    const QAudio::Error error = m_sink->error();
    if (error == QAudio::UnderrunError ||
        (error == QAudio::NoError && m_sink->state() == QAudio::IdleState)) {
        Q_EMIT drained();
    } else if (error != QAudio::NoError) {
        Q_EMIT failed();
    }
}

}  // namespace tessaro

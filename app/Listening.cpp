#include "app/Listening.h"

#include <QThread>

#include "merge/FileDecoder.h"
#include "merge/JoinPreview.h"

namespace tessaro {
namespace {

// Stops the preview's join once another play has begun.
class PlayHost : public MergeHost {
public:
    PlayHost(const std::atomic<quint64>& current, quint64 play)
        : m_current(current), m_play(play) {}
    void MergeProgress(qint32, qint32) override {}
    bool MergeCancelled() override { return m_current != m_play; }

private:
    const std::atomic<quint64>& m_current;
    const quint64 m_play;
};

// Seconds of an entry decoded at a time.
constexpr double kStretch = 1;

}  // namespace

Listening::Listening(std::unique_ptr<SoundOutput> output, QObject* parent)
    : QObject(parent),
      m_output(std::move(output)),
      m_thread(new QThread(this)),
      m_worker(new QObject) {
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    m_thread->start();
    Connect();
}

Listening::~Listening() {
    Stop();
    m_thread->quit();
    m_thread->wait();
}

void Listening::SetOutput(std::unique_ptr<SoundOutput> output) {
    Stop();
    m_output = std::move(output);
    Connect();
}

void Listening::Connect() {
    connect(m_output.get(), &SoundOutput::wanting, this, &Listening::OnWanting);
    connect(m_output.get(), &SoundOutput::drained, this, [this] { m_playing = m_more; });
    connect(m_output.get(), &SoundOutput::failed, this, [this] {
        if (m_playing) {
            NoDevice();
        }
    });
}

bool Listening::Begin() {
    Stop();
    if (!m_output->Ready()) {
        NoDevice();
        return false;
    }
    m_playing = true;
    return true;
}

void Listening::PlayEntry(const QString& path) {
    if (!Begin()) {
        return;
    }
    const quint64 play = m_play;
    m_asked = true;
    QMetaObject::invokeMethod(m_worker, [this, play, path] {
        if (play != m_play) {
            return;
        }
        m_decoder = std::make_unique<FileDecoder>(path);
        if (!m_decoder->Error().isEmpty()) {
            Fail(play, tr("Cannot play %1: %2").arg(path, m_decoder->Error()));
            return;
        }
        DecodeEntry(play, true);
    });
}

void Listening::DecodeEntry(quint64 play, bool first) {
    if (play != m_play) {
        return;
    }
    const PcmFormat format{m_decoder->SampleRate(), m_decoder->Channels()};
    std::vector<float> samples = m_decoder->Next(qint64(kStretch * format.sampleRate));
    const bool last = m_decoder->AtEnd();
    QMetaObject::invokeMethod(
        this,
        [=, this, samples = std::move(samples)] { Deliver(play, format, samples, first, last); },
        Qt::QueuedConnection);
}

void Listening::PlayJoin(const QStringList& list, int entry, const JoinOptions& options) {
    if (!Begin()) {
        return;
    }
    if (PreviewMeasuresList(options, list.size())) {
        Q_EMIT told(tr("Measuring loudness\u2026"));
    }
    const quint64 play = m_play;
    QMetaObject::invokeMethod(m_worker, [=, this] {
        PlayHost host(m_play, play);
        JoinPreview preview = PreviewJoin(list, entry, options, kJoinSeconds, host);
        if (!preview.error.isEmpty()) {
            Fail(play, tr("Cannot listen to the join: %1").arg(preview.error));
            return;
        }
        QMetaObject::invokeMethod(
            this,
            [=, this, samples = std::move(preview.samples)] {
                Deliver(play, {preview.sampleRate, preview.channels}, samples, true, true);
            },
            Qt::QueuedConnection);
    });
}

void Listening::Deliver(quint64 play, PcmFormat format, const std::vector<float>& samples,
                        bool first, bool last) {
    if (play != m_play) {
        return;
    }
    m_more = !last;
    m_asked = false;
    if (!first) {
        m_output->Append(samples);
    } else if (!m_output->Play(format, samples)) {
        NoDevice();
    }
}

void Listening::OnWanting() {
    if (!m_playing || !m_more || m_asked) {
        return;
    }
    m_asked = true;
    const quint64 play = m_play;
    QMetaObject::invokeMethod(m_worker, [this, play] { DecodeEntry(play, false); });
}

void Listening::Fail(quint64 play, const QString& message) {
    QMetaObject::invokeMethod(
        this,
        [=, this] {
            if (play == m_play) {
                Stop();
                Q_EMIT told(message);
            }
        },
        Qt::QueuedConnection);
}

void Listening::NoDevice() {
    Stop();
    Q_EMIT told(tr("No sound device: nothing can be played"));
}

void Listening::Stop() {
    ++m_play;
    m_playing = m_more = m_asked = false;
    m_output->Stop();
}

}  // namespace tessaro

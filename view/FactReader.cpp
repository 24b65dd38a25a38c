#include "view/FactReader.h"

#include "io/Threads.h"
#include "mp3/InputTags.h"

namespace tessaro {
namespace {

TrackFacts ReadFile(const QString& path) {
    TrackFacts facts = mp3::ProbeFigures(path);
    const mp3::InputTags tags = mp3::ReadInputTags(path);
    facts.disc = tags.disc;
    facts.track = tags.track;
    facts.title = tags.title;
    return facts;
}

}  // namespace

FactReader::FactReader(QObject* parent) : QObject(parent) {
    connect(this, &FactReader::readyToReport, this, &FactReader::Report, Qt::QueuedConnection);
}

FactReader::~FactReader() {
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        m_stopping = true;
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void FactReader::Read(const QString& path) {
    if (m_asked.contains(path)) {
        return;
    }
    m_asked.insert(path);
    std::unique_lock<std::mutex> guard(m_lock);
    m_toRead.push_back(path);
    if (!m_running) {
        // The one before has seen the queue empty and ends.
        guard.unlock();
        if (m_thread.joinable()) {
            m_thread.join();
        }
        m_running = true;
        try {
            m_thread = StartThread("reading the files' figures", [this] { Run(); });
        } catch (const ThreadRefused& refused) {
            m_running = false;
            Refuse(refused);
        }
    }
}

void FactReader::Refuse(const ThreadRefused& refused) {
    TrackFacts facts;
    facts.problem =
        tr("Not enough memory to start a thread for %1").arg(QLatin1String(refused.what()));
    const std::lock_guard<std::mutex> guard(m_lock);
    if (m_read.empty() && !m_toRead.empty()) {
        Q_EMIT readyToReport(QPrivateSignal());
    }
    for (const QString& path : m_toRead) {
        m_read.push_back({path, facts});
    }
    m_toRead.clear();
}

void FactReader::Run() {
    std::unique_lock<std::mutex> guard(m_lock);
    while (true) {
        if (m_stopping || m_toRead.empty()) {
            m_running = false;
            return;
        }
        const QString path = m_toRead.front();
        m_toRead.pop_front();
        guard.unlock();
        TrackFacts facts = ReadFile(path);
        guard.lock();
        // Queued, once for all read until Report runs; dropped should the reader be gone by then.
        if (m_read.empty()) {
            Q_EMIT readyToReport(QPrivateSignal());
        }
        m_read.push_back({path, std::move(facts)});
    }
}

void FactReader::Report() {
    std::vector<FileFacts> read;
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        read.swap(m_read);
    }
    for (const FileFacts& file : read) {
        m_asked.remove(file.path);
    }
    Q_EMIT factsRead(read);
}

}  // namespace tessaro

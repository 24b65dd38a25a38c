#pragma once

#include <QtGlobal>
#include <atomic>
#include <functional>

#include "merge/MergeJob.h"

namespace tessaro {

// Hands a worker's progress to the thread of the controller that started it, each percent once:
// a queued call costs far more than copying a frame.
class QueuedHost : public MergeHost {
public:
    QueuedHost(std::function<void()> announce, std::atomic<int>& percent,
               const std::atomic<bool>& cancelled)
        : m_announce(std::move(announce)), m_percent(percent), m_cancelled(cancelled) {}

    void MergeProgress(qint32 position, qint32 rangeMax) override {
        if (rangeMax != 0) {
            m_range = rangeMax;
        }
        const int percent = int(qBound(qint64(0), qint64(position) * 100 / m_range, qint64(100)));
        if (position == 0 || percent == m_shown) {
            return;
        }
        m_shown = percent;
        m_percent = percent;
        m_announce();
    }
    bool MergeCancelled() override { return m_cancelled; }

private:
    const std::function<void()> m_announce;
    std::atomic<int>& m_percent;
    const std::atomic<bool>& m_cancelled;
    qint32 m_range = 100;
    int m_shown = -1;
};

}  // namespace tessaro

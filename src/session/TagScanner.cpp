#include "session/TagScanner.h"

#include "platform/Threads.h"

#include <QTimer>
#include <utility>

namespace quarn {

namespace {
// What is read is handed over this long after the first of it.
constexpr int kBatchMs = 100;
} // namespace

TagScanner::TagScanner(QObject* parent) : QObject(parent) {
    qRegisterMetaType<TrackInfo>();
    worker_.reset(QThread::create([this] { work(); }));
    worker_->setObjectName(QStringLiteral("tag scanner"));
    worker_->start();
}

TagScanner::~TagScanner() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
        pending_.clear();
    }
    wake_.notify_one();
    worker_->wait(); // at most the one file being read
}

void TagScanner::Scan(const std::vector<Job>& jobs) {
    {
        const std::lock_guard lock(mutex_);
        pending_.insert(pending_.end(), jobs.begin(), jobs.end());
    }
    wake_.notify_one();
}

void TagScanner::Replace(const std::vector<Job>& jobs) {
    {
        const std::lock_guard lock(mutex_);
        ++generation_;
        pending_.assign(jobs.begin(), jobs.end());
        read_.clear();
    }
    wake_.notify_one();
}

void TagScanner::Cancel() {
    Replace({});
}

qsizetype TagScanner::Pending() const {
    const std::lock_guard lock(mutex_);
    return qsizetype(pending_.size());
}

void TagScanner::work() {
    // Reading tags never takes the processor from playback.
    platform::MakeCurrentThreadBackground();
    for (;;) {
        Job job;
        quint64 generation = 0;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (stopping_) {
                return;
            }
            job = std::move(pending_.front());
            pending_.pop_front();
            generation = generation_;
        }
        const TrackInfo info = ReadTrackInfo(job.path);
        const std::lock_guard lock(mutex_);
        // A batch dropped while the file was read never shows.
        if (generation != generation_) {
            continue;
        }
        read_.emplace_back(job.id, info);
        if (!std::exchange(deliveryDue_, true)) {
            QMetaObject::invokeMethod(
                this, [this] { QTimer::singleShot(kBatchMs, this, &TagScanner::deliver); },
                Qt::QueuedConnection);
        }
    }
}

void TagScanner::deliver() {
    Results results;
    {
        const std::lock_guard lock(mutex_);
        results.swap(read_);
        deliveryDue_ = false;
    }
    if (!results.empty()) {
        emit Read(results);
    }
}

} // namespace quarn

#pragma once

#include "session/TrackInfo.h"

#include <QObject>
#include <QThread>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

namespace quarn {

// Reads the tags of the queue's files on a worker thread of its own, at the
// lowest priority, one file at a time, and hands what it read to the
// user-interface thread in batches, at most ten a second: a queue of 100,000
// entries is read without flooding that thread with 100,000 events. It knows
// entries only by their ids and paths, never the queue itself, and keeps no
// more than the list of what is still to read and what was read since the
// last batch.
class TagScanner : public QObject {
    Q_OBJECT
public:
    struct Job {
        quint64 id = 0;
        QString path;
    };
    using Results = std::vector<std::pair<quint64, TrackInfo>>;

    explicit TagScanner(QObject* parent = nullptr);
    ~TagScanner() override;

    // Adds these files to read, after those still waiting.
    void Scan(const std::vector<Job>& jobs);
    // Reads these in place of whatever was still to read.
    void Replace(const std::vector<Job>& jobs);
    // Drops whatever was still to read. No result of a dropped batch, not
    // even of a file being read as it is dropped, arrives after this.
    void Cancel();

    // How many files wait to be read (the one being read not counted).
    qsizetype Pending() const;

signals:
    // Files' tags by their ids, in the order read, on the thread that made
    // the scanner.
    void Read(const quarn::TagScanner::Results& results);

private:
    void work();
    void deliver();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> pending_;
    Results read_;             // since the last batch
    bool deliveryDue_ = false; // a batch is on its way to the scanner's thread
    // Counts the batches dropped: a result read under an older count is
    // thrown away. Read by the worker under the mutex; written under it too.
    quint64 generation_ = 0;
    bool stopping_ = false;
    std::unique_ptr<QThread> worker_;
};

} // namespace quarn

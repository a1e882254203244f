#include "uMain13/background_run.h"

#include "generation/progress.h"
#include "generation/run.h"
#include "uGlobal/errors.h"

#include <QThread>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <new>

namespace trassolin::gui {

namespace {

// How often the window takes what the run has said: often enough for a moving bar, rarely
// enough that a road of 40 000 segments costs the status log a few dozen insertions.
constexpr int kDeliveryIntervalMs = 50;

} // namespace

struct BackgroundRun::Shared {
    std::mutex mutex;
    bool cleared = false;
    std::vector<std::string> lines;
    double done = 0.0, total = 0.0;
    bool progressed = false;
    std::atomic<bool> cancel{false};
    Outcome outcome; // the run's thread writes it; the window's reads it after the thread ended
};

namespace {

class SharedLog final : public StatusLog {
public:
    explicit SharedLog(BackgroundRun::Shared& shared) : shared_(shared) {}
    void clear() override;
    void append(std::string_view line) override;

private:
    BackgroundRun::Shared& shared_;
};

class SharedProgress final : public RunProgress {
public:
    explicit SharedProgress(BackgroundRun::Shared& shared) : shared_(shared) {}
    void advanced(double doneMetres, double totalMetres) override;
    bool cancelRequested() override;

private:
    BackgroundRun::Shared& shared_;
};

// Keeps every message with the failure behind it.
class NoteSink final : public MessageSink {
public:
    explicit NoteSink(std::vector<BackgroundRun::Note>& notes) : notes_(notes) {}
    void show(MessageKind kind, std::string_view text) override {
        notes_.push_back({kind, std::string(text), nullptr});
    }
    // Called while the failure is being handled, so that it can travel to the window.
    void showError(const TrassolinError& error) override {
        notes_.push_back({MessageKind::Error, error.what(), std::current_exception()});
    }

private:
    std::vector<BackgroundRun::Note>& notes_;
};

} // namespace

void SharedLog::clear() {
    const std::lock_guard lock(shared_.mutex);
    shared_.cleared = true;
    shared_.lines.clear();
}

void SharedLog::append(std::string_view line) {
    const std::lock_guard lock(shared_.mutex);
    shared_.lines.emplace_back(line);
}

void SharedProgress::advanced(double doneMetres, double totalMetres) {
    const std::lock_guard lock(shared_.mutex);
    shared_.done = doneMetres;
    shared_.total = totalMetres;
    shared_.progressed = true;
}

bool SharedProgress::cancelRequested() { return shared_.cancel.load(); }

BackgroundRun::BackgroundRun(QObject* parent) : QObject(parent), timer_(new QTimer(this)) {
    timer_->setInterval(kDeliveryIntervalMs);
    connect(timer_, &QTimer::timeout, this, [this] { deliver(); });
}

BackgroundRun::~BackgroundRun() {
    if (thread_ == nullptr) return;
    shared_->cancel = true;
    thread_->wait();
    delete thread_;
}

void BackgroundRun::start(Job job) {
    if (running()) return;
    shared_ = std::make_shared<Shared>();
    auto work = std::make_shared<Job>(std::move(job));
    thread_ = QThread::create([this, shared = shared_, work] {
        Job& task = *work;
        Outcome& outcome = shared->outcome;
        SharedLog log(*shared);
        SharedProgress progress(*shared);
        NoteSink notes(outcome.notes);
        const auto readEdgeFields = [&task](TRandPunkte& edge) {
            const EdgeFields& fields = edge.rightSide() ? task.right : task.left;
            if (fields.profile) edge = *fields.profile;
            if (fields.failure) std::rethrow_exception(fields.failure);
        };
        try {
            outcome.written = runGeneration(task.params, task.output, notes, log, task.random,
                                            task.decimalSeparator,
                                            {.readEdgeFields = readEdgeFields,
                                             .gltf = task.gltf,
                                             .progress = &progress});
        } catch (const RunCancelled&) {
            outcome.cancelled = true;
        } catch (const std::bad_alloc&) {
            notes.show(MessageKind::Error, kOutOfMemory);
        } catch (const std::exception& e) {
            outcome.notes.push_back({MessageKind::Error, e.what(), std::current_exception()});
        }
        outcome.params = std::move(task.params);
        outcome.random = task.random;
        // This object waits for the thread before it goes, so it is there to post to.
        QMetaObject::invokeMethod(this, [this] { finished(); }, Qt::QueuedConnection);
    });
    timer_->start();
    thread_->start();
}

void BackgroundRun::cancel() {
    if (shared_) shared_->cancel = true;
}

void BackgroundRun::cancelAndWait() {
    if (!running()) return;
    cancel();
    thread_->wait();
}

void BackgroundRun::deliver() {
    bool cleared = false, progressed = false;
    std::vector<std::string> lines;
    double done = 0.0, total = 0.0;
    {
        const std::lock_guard lock(shared_->mutex);
        std::swap(cleared, shared_->cleared);
        lines.swap(shared_->lines);
        std::swap(progressed, shared_->progressed);
        done = shared_->done;
        total = shared_->total;
    }
    if (cleared && onLogCleared) onLogCleared();
    if (!lines.empty() && onLog) {
        std::string joined;
        std::size_t bytes = lines.size();
        for (const std::string& line : lines) bytes += line.size();
        joined.reserve(bytes);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            if (i > 0) joined += '\n';
            joined += lines[i];
        }
        onLog(QString::fromUtf8(joined.data(), static_cast<qsizetype>(joined.size())));
    }
    if (progressed && onProgress) onProgress(done, total);
}

void BackgroundRun::finished() {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    timer_->stop();
    deliver();
    Outcome outcome = std::move(shared_->outcome);
    shared_.reset();
    if (onFinished) onFinished(outcome);
}

} // namespace trassolin::gui

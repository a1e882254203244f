#include "uVorschau/preview_builder.h"

#include <QThread>

#include <limits>

namespace trassolin::gui {

PreviewBuilder::PreviewBuilder(QObject* parent) : QObject(parent) {}

PreviewBuilder::~PreviewBuilder() {
    waiting_.reset();
    // No request has this number: the build under way stops at its next segment.
    newest_->store(std::numeric_limits<quint64>::max());
    if (thread_ != nullptr) {
        thread_->wait();
        delete thread_;
    }
}

void PreviewBuilder::request(PreviewRequest request) {
    ++requested_;
    if (!paused_) newest_->store(requested_);
    waiting_ = std::move(request);
    if (thread_ == nullptr) startNext();
}

void PreviewBuilder::setPaused(bool paused) {
    paused_ = paused;
    newest_->store(paused ? std::numeric_limits<quint64>::max() : requested_);
    if (!paused && thread_ == nullptr) startNext();
}

void PreviewBuilder::startNext() {
    if (!waiting_ || paused_) return;
    const quint64 generation = requested_;
    auto request = std::make_shared<PreviewRequest>(std::move(*waiting_));
    waiting_.reset();
    thread_ = QThread::create([this, generation, request, newest = newest_,
                               textures = textures_] {
        const auto cancelled = [&] { return newest->load() != generation; };
        auto result = std::make_shared<PreviewBuildResult>(
            buildPreview(std::move(*request), cancelled, textures.get()));
        // Delivered on the window's thread; dropped with this object should it go first
        // (its destructor waits for this thread, so `this` is still there to post to).
        QMetaObject::invokeMethod(
            this, [this, generation, result] { finished(generation, result); },
            Qt::QueuedConnection);
    });
    thread_->start();
}

void PreviewBuilder::finished(quint64 generation, const std::shared_ptr<PreviewBuildResult>& result) {
    thread_->wait();
    delete thread_;
    thread_ = nullptr;
    if (generation == requested_ && !result->cancelled) {
        delivered_ = generation;
        if (onBuilt) onBuilt(generation, *result);
    }
    startNext();
}

} // namespace trassolin::gui

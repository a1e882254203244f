#pragma once

#include "uVorschau/preview_build.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QThread;

namespace trassolin::gui {

// Builds the preview off the window's thread, the newest request winning: a request made
// while a build runs cancels that build at its next segment and waits its turn; of several
// waiting requests only the last is built. At most one build runs at a time.
class PreviewBuilder final : public QObject {
public:
    explicit PreviewBuilder(QObject* parent = nullptr);
    // Cancels the build under way and waits for its thread.
    ~PreviewBuilder() override;

    void request(PreviewRequest request);
    // While paused nothing is built: the build under way stops (and is not delivered), and
    // requests wait. A long run of "Go" has both cores to itself.
    void setPaused(bool paused);
    // Numbers of the requests: the last one made, and the last one whose build has been
    // handed to `onBuilt`.
    quint64 requested() const { return requested_; }
    quint64 delivered() const { return delivered_; }
    // A build runs or waits.
    bool busy() const { return thread_ != nullptr || waiting_.has_value(); }

    // On the window's thread, for the newest request only (a build that a newer request
    // overtook is dropped): the request's number and what its build gave.
    std::function<void(quint64 generation, const PreviewBuildResult& result)> onBuilt;

private:
    void startNext();
    void finished(quint64 generation, const std::shared_ptr<PreviewBuildResult>& result);

    QThread* thread_ = nullptr;
    std::optional<PreviewRequest> waiting_;
    quint64 requested_ = 0, delivered_ = 0;
    bool paused_ = false;
    // The newest request's number, read by the build under way to learn that it is outdated.
    std::shared_ptr<std::atomic<quint64>> newest_ = std::make_shared<std::atomic<quint64>>(0);
    std::shared_ptr<TextureCache> textures_ = std::make_shared<TextureCache>();
};

} // namespace trassolin::gui

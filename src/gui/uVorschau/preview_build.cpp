#include "uVorschau/preview_build.h"

#include "generation/build.h"
#include "generation/run_inputs.h"
#include "io/paths.h"
#include "settings/failure_text.h"
#include "uGlobal/errors.h"
#include "uVorschau/preview_ground.h"

#include <QImageReader>

#include <algorithm>
#include <new>
#include <system_error>

namespace trassolin::gui {

namespace {

class NoLog final : public StatusLog {
public:
    void clear() override {}
    void append(std::string_view) override {}
};

class AskingProgress final : public RunProgress {
public:
    explicit AskingProgress(const std::function<bool()>& cancelled) : cancelled_(cancelled) {}
    void advanced(double, double) override {}
    bool cancelRequested() override { return cancelled_ && cancelled_(); }

private:
    const std::function<bool()>& cancelled_;
};

// What stopped the build, as the messages said it: the last warning or error.
std::string lastWord(const CollectingMessageSink& messages) {
    for (auto m = messages.messages.rbegin(); m != messages.messages.rend(); ++m) {
        if (m->kind != MessageKind::Information) return m->text;
    }
    return {};
}

// The texture of a material beside one of the road's files. Documents name it relative to
// themselves, with either slash.
QImage findTexture(const std::string& name, const std::vector<std::filesystem::path>& folders,
                   TextureCache& cache) {
    if (name.empty()) return {};
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    for (const auto& folder : folders) {
        if (folder.empty()) continue;
        const std::filesystem::path file = folder / pathFromUtf8(relative);
        std::error_code ec;
        if (!std::filesystem::is_regular_file(file, ec)) continue;
        QImage image = cache.load(file);
        if (!image.isNull()) return image;
    }
    return {};
}

} // namespace

QImage TextureCache::load(const std::filesystem::path& file) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(file, ec);
    if (ec) return {};
    const auto size = std::filesystem::file_size(file, ec);
    if (ec) return {};
    {
        const std::lock_guard lock(mutex_);
        const auto found = entries_.find(file);
        if (found != entries_.end() && found->second.time == time && found->second.size == size) {
            return found->second.image;
        }
    }
    // Read outside the lock; a picture that Qt cannot read is remembered as none.
    QImageReader reader(QString::fromStdU16String(file.u16string()));
    // A texture of a map is a few thousand pixels wide at most; a larger one is no texture.
    reader.setAllocationLimit(256);
    QImage image = reader.read();
    if (!image.isNull()) image = image.convertToFormat(QImage::Format_RGBA8888);
    const std::lock_guard lock(mutex_);
    entries_[file] = {time, size, image};
    return image;
}

PreviewBuildResult buildPreview(PreviewRequest request, const std::function<bool()>& cancelled,
                                TextureCache* textures) {
    PreviewBuildResult result;
    ParameterSet& params = request.params;
    CollectingMessageSink messages;
    NoLog log;
    if (params.splines.count() < 2) {
        result.failure = "Zu wenig SplinePunkte";
        return result;
    }
    try {
        if (!params.splines.refine(messages, request.decimalSeparator)) {
            result.failure = lastWord(messages);
            return result;
        }
        const RunInputs in = readRunInputs(params, log, request.decimalSeparator);
        AskingProgress progress(cancelled);
        RoadBuild built = buildRoadMesh(params, in, messages, log, request.random, &progress);
        auto scene = std::make_shared<PreviewScene>(buildPreviewScene(built.mesh));
        if (request.ground) measureAgainstGround(*scene, *request.ground);
        if (textures != nullptr) {
            for (const std::string& name : scene->textures) {
                result.textures.push_back(findTexture(name, request.textureFolders, *textures));
            }
        }
        result.textures.resize(scene->textures.size());
        result.scene = std::move(scene);
    } catch (const RunCancelled&) {
        result.cancelled = true;
    } catch (const RunStopped&) {
        result.failure = lastWord(messages);
    } catch (const TrassolinError& e) {
        result.failure = describeFailure(e);
        result.error = std::current_exception();
    } catch (const std::bad_alloc&) {
        result.failure = kOutOfMemory;
    }
    return result;
}

} // namespace trassolin::gui

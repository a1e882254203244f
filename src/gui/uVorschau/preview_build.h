#pragma once

// One build of the preview: the road of a copy of the window's parameters as a mesh in
// memory, as the next "Go" would build it, without any file written and without a word to
// the user (the edit that asked for it has said what it had to say). Runs on any thread.

#include "generation/random_sequence.h"
#include "settings/parameter_set.h"
#include "terrain/height_map.h"
#include "uVorschau/preview_scene.h"

#include <QImage>

#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace trassolin::gui {

struct PreviewRequest {
    ParameterSet params; // a copy of the window's: the build refines its path
    char decimalSeparator = ',';
    RandomSequence random; // where the next run's random mirroring starts
    // Where the textures may lie: beside the output document and beside the parameter file.
    std::vector<std::filesystem::path> textureFolders;
    // The ground of a map the road is measured against, vertex by vertex; none: not measured.
    std::shared_ptr<const HeightMap> ground = nullptr;
};

struct PreviewBuildResult {
    // Null when the road cannot be built (see `failure`) or the build was cancelled.
    std::shared_ptr<const PreviewScene> scene;
    // One per material of the scene: the texture file's picture, or a null image where no
    // file that Qt can read was found (a .dds, as a rule).
    std::vector<QImage> textures;
    std::string failure; // why there is no scene, in the words a run would use
    std::exception_ptr error; // the failure itself, for a window that names the field at fault
    bool cancelled = false;
};

// Texture pictures read once and kept while their file keeps its time and size. Safe to use
// from several threads.
class TextureCache {
public:
    QImage load(const std::filesystem::path& file);

private:
    struct Entry {
        std::filesystem::file_time_type time;
        std::uintmax_t size = 0;
        QImage image;
    };
    std::mutex mutex_;
    std::map<std::filesystem::path, Entry> entries_;
};

// `cancelled` is asked before each segment of the path; true stops the build.
PreviewBuildResult buildPreview(PreviewRequest request, const std::function<bool()>& cancelled,
                                TextureCache* textures = nullptr);

} // namespace trassolin::gui

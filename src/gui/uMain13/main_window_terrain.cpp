// "Gelände": the road of the window's fields against the ground of a map.

#include "uMain13/main_window.h"

#include "common/widgets.h"
#include "generation/run_inputs.h"
#include "terrain/map_terrain.h"
#include "terrain/road_footprint.h"
#include "terrain/terrain_report.h"
#include "uGelaende/terrain_dialog.h"
#include "uVorschau/preview_panel.h"

#include <QPlainTextEdit>

namespace trassolin::gui {

void TForm1::bbnGelaendeClick() {
    const std::optional<TerrainChoice> choice = gelaende_->ask();
    if (!choice) return;
    const WaitCursor wait;
    const EdgeFieldReader readEdgeFields = fieldsForRun();
    Ground ground = loadGround({choice->mapFile, choice->heightMap, choice->placement}, messages_);
    status_->appendPlainText(QStringLiteral("Gelände: ") + fromPath(ground.heightMapFile) +
                             QStringLiteral(" – ") +
                             toQt(groundDescription(ground.map, separator_)));
    // The preview colours this road and every edit of it by the ground, even where the report
    // below stops at a point beyond the map: the road's part on the map is coloured.
    const auto map = std::make_shared<const HeightMap>(std::move(ground.map));
    preview_->setGround(map, choice->tolerance, separator_);
    showRoadInPreview();
    try {
        // The road the next Go writes: the same random draws, which this check leaves to it.
        const RoadFootprint road =
            roadFootprint(params_, messages_, random_, separator_, readEdgeFields);
        const TerrainReport report = measureClearance(road.points, *map, separator_);
        for (const std::string& line : reportLines(report, choice->tolerance, separator_)) {
            status_->appendPlainText(toQt(line));
        }
    } catch (const RunStopped&) {
        // The messages said why.
    }
}

} // namespace trassolin::gui

// "Gelände": the road of the window's fields against the ground of a map.

#include "uMain13/main_window.h"

#include "common/widgets.h"
#include "terrain/map_terrain.h"
#include "uGelaende/terrain_dialog.h"

#include <QPlainTextEdit>

namespace trassolin::gui {

void TForm1::bbnGelaendeClick() {
    const std::optional<TerrainChoice> choice = gelaende_->ask();
    if (!choice) return;
    const WaitCursor wait;
    const Ground ground =
        loadGround({choice->mapFile, choice->heightMap, choice->placement}, messages_);
    status_->appendPlainText(QStringLiteral("Gelände: ") + fromPath(ground.heightMapFile) +
                             QStringLiteral(" – ") +
                             toQt(groundDescription(ground.map, separator_)));
}

} // namespace trassolin::gui

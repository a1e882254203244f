#include "common/text_rendering.h"

namespace trassolin::gui {

void chooseTextRendering() {}

} // namespace trassolin::gui

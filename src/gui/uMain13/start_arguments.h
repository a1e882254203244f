#pragma once

#include <QString>

namespace trassolin::gui {

class TForm1;

// For scripts that check the built program as a whole (the environment variable
// TRASSOLIN_TEST_GO of main.cpp): chooses `output` as "i3d-File" does and presses Go.
void pressGoFor(TForm1& window, const QString& output);

} // namespace trassolin::gui

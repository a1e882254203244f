#pragma once

#include <QStringList>

namespace trassolin::gui {

class Presenter;
class TForm1;

// The program's command line, once the window shows: `trassolin PARAMETER.ini` loads the file
// as "Load Parameter" does, so that a parameter file dropped on the program, or opened with it
// from the file manager, comes up loaded. What goes wrong is said in the window's boxes; the
// window stays open either way.
void openCommandLine(TForm1& window, Presenter& presenter, const QStringList& arguments);

// For scripts that check the built program as a whole (the environment variable
// TRASSOLIN_TEST_GO of main.cpp): chooses `output` as "i3d-File" does and presses Go.
void pressGoFor(TForm1& window, const QString& output);

} // namespace trassolin::gui

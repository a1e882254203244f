#pragma once

namespace trassolin::gui {

// Chooses how the window draws its texts; called before the application object exists.
// Wine's DirectWrite and GDI leave the texts of entry fields blank, so under Wine (a modder's
// Linux machine running the Windows package) the window draws with FreeType. On Windows itself
// and on Linux Qt's own choice stays, and a platform named in QT_QPA_PLATFORM always wins.
void chooseTextRendering();

} // namespace trassolin::gui

#pragma once

class QCoreApplication;

namespace trassolin::gui {

// Qt's own texts in German ("Abbrechen", "Öffnen", "Ja"), from the translations Qt ships
// (built into the program with a static Qt).
// False when they are not installed; the program then runs with Qt's English texts.
bool installGermanTranslations(QCoreApplication& app);

} // namespace trassolin::gui

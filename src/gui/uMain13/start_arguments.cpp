// How the program starts: the parameter file of its command line, and the hook that presses Go
// for scripts.

#include "uMain13/start_arguments.h"

#include "uMain13/main_window.h"

#include <QPushButton>

namespace trassolin::gui {

void TForm1::openCommandLine(const QStringList& arguments) {
    if (arguments.isEmpty()) return;
    guarded(messages_, [&] {
        if (arguments.size() > 1) {
            // Several files dropped at once: which one was meant is anybody's guess.
            messages_.show(MessageKind::Error,
                           QStringLiteral("Beim Start kann nur eine Parameterdatei geladen "
                                          "werden, nicht %1; keine geladen.")
                               .arg(arguments.size())
                               .toStdString());
            return;
        }
        openRoad(arguments.front());
    });
}

void pressGoFor(TForm1& window, const QString& output) {
    window.chooseOutput(output);
    window.findChild<QPushButton*>(QStringLiteral("bbnGo"))->click();
}

} // namespace trassolin::gui

#include "uMain13/start_arguments.h"

#include "common/presenter.h"
#include "uMain13/main_window.h"

#include <QPushButton>

namespace trassolin::gui {

void openCommandLine(TForm1& window, Presenter& presenter, const QStringList& arguments) {
    if (arguments.isEmpty()) return;
    PresenterMessageSink messages(presenter, &window);
    if (arguments.size() > 1) {
        // Several files dropped at once: which one was meant is anybody's guess.
        messages.show(MessageKind::Error,
                      QStringLiteral("Beim Start kann nur eine Parameterdatei geladen werden, "
                                     "nicht %1; keine geladen.")
                          .arg(arguments.size())
                          .toStdString());
        return;
    }
    guarded(messages, [&] { window.loadParameters(arguments.front()); });
}

void pressGoFor(TForm1& window, const QString& output) {
    window.chooseOutput(output);
    window.findChild<QPushButton*>(QStringLiteral("bbnGo"))->click();
}

} // namespace trassolin::gui

#pragma once

#include "common/presenter.h"

#include "support/test_support.h"

#include <QDialog>
#include <QLineEdit>
#include <QStringList>

#include <filesystem>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QWidget;

namespace trassolin::gui {
class TForm1;
}

namespace trassolin::gui::test {

struct ShownMessage {
    MessageKind kind;
    QString text;
};

// Answers the windows' boxes and dialogs the way a script says: file dialogs take the next
// queued answer (nothing queued, or an empty answer: the user cancels), modal windows run `onModal` while shown.
class ScriptedPresenter final : public Presenter {
public:
    void message(QWidget*, MessageKind kind, const QString& text) override {
        messages.push_back({kind, text});
    }
    // Takes the next queued answer (a choice's text); without one, `unscriptedAnswer`.
    int choose(QWidget*, const QString& title, const QString& text,
               const QStringList& choices) override;
    void about(QWidget*, const QString& title, const QString& text) override {
        aboutTexts.push_back(title + QLatin1Char('\n') + text);
    }
    std::optional<QString> saveFileName(QWidget*, const FileDialogRequest& request) override;
    std::optional<QString> openFileName(QWidget*, const FileDialogRequest& request) override;
    std::optional<QFont> font(QWidget*, const QFont&) override { return nextFont; }
    int execModal(QDialog& dialog) override;

    QStringList texts() const;
    QStringList takeTexts();

    std::vector<ShownMessage> messages;
    QStringList aboutTexts;
    QStringList fileAnswers;
    std::vector<FileDialogRequest> fileRequests;
    std::optional<QFont> nextFont;
    QStringList questions; // the texts of the questions asked
    QStringList choiceAnswers;
    // Leaves no file behind and stops nothing: a test that does not expect a question goes on.
    QString unscriptedAnswer = QStringLiteral("Verwerfen");
    // Runs while a modal window is shown; its result is the window's result.
    std::function<int(QDialog&)> onModal = [](QDialog&) { return int(QDialog::Accepted); };
};

// The window's control of that name; fails the test when there is none.
template <class W = QLineEdit> W* control(QObject& window, const char* name) {
    auto* w = window.findChild<W*>(QString::fromLatin1(name));
    if (w == nullptr) qFatal("no control %s", name);
    return w;
}

// A fresh folder as the working directory (where the window keeps Trassolin.ini) for as long as
// the object lives.
class WorkingFolder {
public:
    WorkingFolder();
    ~WorkingFolder();
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    const std::filesystem::path& path() const { return dir_.path(); }

private:
    trassolin::test::TempDir dir_;
};

// The decimal separator of a window started now, and the village street's right verge width
// (0.15 m) as that window shows it after loading the example.
std::pair<char, QString> separatorOfANewWindow();

// Runs trassolin-cli with `arguments` and waits for it; its exit status, or -1 when it did not
// start or end normally. Its standard output goes to `output` when given, else it is dropped.
int runCommandLine(const QStringList& arguments, QString* output = nullptr);

// A main window started in a temporary working folder with a scripted presenter, shown and
// active: what a test of the window starts from.
class WindowUnderTest {
public:
    WindowUnderTest();
    ~WindowUnderTest();
    WindowUnderTest(const WindowUnderTest&) = delete;
    WindowUnderTest& operator=(const WindowUnderTest&) = delete;

    TForm1& window() { return *window_; }
    ScriptedPresenter& presenter() { return presenter_; }
    const std::filesystem::path& folder() const;
    std::filesystem::path file(const char* name) const { return folder() / name; }
    // A new window in place of the old one, as after a restart of the program.
    void restart();
    // The window's control of that name; fails the test when there is none.
    template <class W = QLineEdit> W* get(const char* name) { return control<W>(*window_, name); }
    void click(const char* name);
    // "Load Parameter" with this file.
    void load(const std::filesystem::path& file);

private:
    WorkingFolder folder_;
    ScriptedPresenter presenter_;
    std::unique_ptr<TForm1> window_;
};

// Waits until the run that "Go" started has ended and the window has taken its outcome
// (messages, status log, TexL0); false when it does not end within `timeoutMs`.
bool waitForRun(TForm1& window, int timeoutMs = 120000);

// Whether `action` showed a modal window (which is closed again at once with "OK").
bool opensModal(ScriptedPresenter& presenter, const std::function<void()>& action);

// Shows the window and makes it active, so that focus changes reach it as they would a user's.
bool showActive(QWidget& window);
// Types `text` into the field the way a user does: focus in, replace the text.
void type(QLineEdit* field, const QString& text);
// Moves the focus to `target`, leaving whatever had it.
void focus(QWidget* target);

} // namespace trassolin::gui::test

#include "gui_test_support.h"

#include "common/widgets.h"
#include "support/test_support.h"
#include "uMain13/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

namespace trassolin::gui::test {

std::optional<QString> ScriptedPresenter::saveFileName(QWidget*, const FileDialogRequest& request) {
    fileRequests.push_back(request);
    if (fileAnswers.isEmpty()) return std::nullopt;
    const QString answer = fileAnswers.takeFirst();
    if (answer.isEmpty()) return std::nullopt;
    return answer;
}

std::optional<QString> ScriptedPresenter::openFileName(QWidget* parent,
                                                       const FileDialogRequest& request) {
    return saveFileName(parent, request);
}

int ScriptedPresenter::choose(QWidget*, const QString&, const QString& text,
                              const QStringList& choices) {
    questions << text;
    const QString answer = choiceAnswers.isEmpty() ? unscriptedAnswer : choiceAnswers.takeFirst();
    return static_cast<int>(choices.indexOf(answer));
}

int ScriptedPresenter::execModal(QDialog& dialog) {
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    const int result = onModal(dialog);
    dialog.hide();
    return result;
}

QStringList ScriptedPresenter::texts() const {
    QStringList list;
    for (const ShownMessage& m : messages) list << m.text;
    return list;
}

QStringList ScriptedPresenter::takeTexts() {
    QStringList list = texts();
    messages.clear();
    return list;
}

WorkingFolder::WorkingFolder() { QDir::setCurrent(fromPath(dir_.path())); }

WorkingFolder::~WorkingFolder() {
    // A folder that is the working directory cannot be removed everywhere.
    QDir::setCurrent(QDir::tempPath());
}

std::pair<char, QString> separatorOfANewWindow() {
    ScriptedPresenter presenter;
    TForm1 window(presenter);
    window.openRoad(QString::fromUtf8(TRASSOLIN_EXAMPLES_DIR "/dorfstrasse.ini"));
    return {window.decimalSeparator(), control(window, "edtRandRBreite")->text()};
}

int runCommandLine(const QStringList& arguments, QString* output) {
    QProcess cli;
    cli.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (output == nullptr) cli.setStandardOutputFile(QProcess::nullDevice());
    cli.start(QStringLiteral(TRASSOLIN_CLI_PATH), arguments);
    if (!cli.waitForFinished(120000) || cli.exitStatus() != QProcess::NormalExit) return -1;
    if (output != nullptr) *output = QString::fromUtf8(cli.readAllStandardOutput());
    return cli.exitCode();
}

bool opensModal(ScriptedPresenter& presenter, const std::function<void()>& action) {
    bool shown = false;
    const auto previous = presenter.onModal;
    presenter.onModal = [&](QDialog&) {
        shown = true;
        return int(QDialog::Accepted);
    };
    action();
    presenter.onModal = previous;
    return shown;
}

// The window keeps its preferences in the working folder.
WindowUnderTest::WindowUnderTest() { restart(); }

void WindowUnderTest::restart() {
    window_.reset();
    window_ = std::make_unique<TForm1>(presenter_);
    window_->show();
    // Qt is told which window is active: a virtual X server has no window manager to say so.
    if (!QTest::qWaitForWindowExposed(window_.get())) qFatal("the window was not shown");
    QApplication::setActiveWindow(window_.get());
}

WindowUnderTest::~WindowUnderTest() = default;

const std::filesystem::path& WindowUnderTest::folder() const { return folder_.path(); }

void WindowUnderTest::click(const char* name) {
    QTest::mouseClick(get<QAbstractButton>(name), Qt::LeftButton);
}

void WindowUnderTest::load(const std::filesystem::path& file) {
    presenter_.fileAnswers << fromPath(file);
    click("bbnLoadPara");
}

bool waitForRun(TForm1& window, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (window.running()) {
        if (clock.elapsed() > timeoutMs) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

bool showActive(QWidget& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

void focus(QWidget* target) {
    target->setFocus(Qt::OtherFocusReason);
}

void type(QLineEdit* field, const QString& text) {
    focus(field);
    field->setText(text);
}

} // namespace trassolin::gui::test

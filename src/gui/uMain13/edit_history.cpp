#include "uMain13/edit_history.h"

#include <QScopedValueRollback>
#include <QUndoCommand>

#include <algorithm>

namespace trassolin::gui {

namespace {

// Steps beyond this are forgotten: each holds a whole road.
constexpr int kUndoLimit = 100;

bool sameFile(const WindowState& a, const WindowState& b) {
    return a.roadFile == b.roadFile && a.caption == b.caption && a.fileName == b.fileName;
}

} // namespace

class EditHistory::Step final : public QUndoCommand {
public:
    Step(EditHistory& history, std::shared_ptr<const WindowState> before,
         std::shared_ptr<const WindowState> after, const QString& text)
        : QUndoCommand(text), history_(history), before_(std::move(before)),
          after_(std::move(after)), withFile_(!sameFile(*before_, *after_)) {}

    void undo() override { history_.apply(before_, withFile_); }
    void redo() override {
        // Pushing a step happens after the edit: the window shows its result already.
        if (pushed_) history_.apply(after_, withFile_);
        pushed_ = true;
    }

private:
    EditHistory& history_;
    std::shared_ptr<const WindowState> before_, after_;
    bool withFile_;
    bool pushed_ = false;
};

EditHistory::EditHistory(Window window, QObject* parent)
    : QObject(parent), window_(std::move(window)) {
    stack_.setUndoLimit(kUndoLimit);
}

void EditHistory::restart() {
    stack_.clear();
    last_ = std::make_shared<const WindowState>(window_.capture());
    scheduled_ = false;
}

void EditHistory::scheduleRecord() {
    if (scheduled_ || applying_) return;
    scheduled_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (scheduled_) recordNow();
        },
        Qt::QueuedConnection);
}

void EditHistory::recordNow(const QString& name) {
    scheduled_ = false;
    if (applying_ || !last_) return;
    auto now = std::make_shared<const WindowState>(window_.capture());
    if (!firstDifference(last_->params, now->params)) {
        last_ = std::move(now);
        return;
    }
    const QString text = name.isEmpty() ? window_.describe(*last_, *now) : name;
    auto before = std::exchange(last_, now);
    stack_.push(new Step(*this, std::move(before), std::move(now), text));
}

void EditHistory::markSaved() {
    recordNow();
    stack_.setClean();
}

bool EditHistory::unsaved() {
    recordNow();
    return !stack_.isClean();
}

QStringList EditHistory::stepsSinceSaved() const {
    QStringList names;
    // A clean state that fell off the stack's bottom counts as the oldest step kept.
    for (int i = std::max(stack_.cleanIndex(), 0); i < stack_.index(); ++i) {
        if (!names.contains(stack_.text(i))) names << stack_.text(i);
    }
    return names;
}

void EditHistory::apply(const std::shared_ptr<const WindowState>& state, bool withFile) {
    const QScopedValueRollback<bool> applying(applying_, true);
    window_.apply(*state, withFile);
    if (withFile || !last_) {
        last_ = state;
    } else {
        auto shown = std::make_shared<WindowState>(*state);
        shown->caption = last_->caption;
        shown->fileName = last_->fileName;
        shown->roadFile = last_->roadFile;
        last_ = std::move(shown);
    }
    scheduled_ = false;
}

} // namespace trassolin::gui

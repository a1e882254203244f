#pragma once

#include "uMain13/window_state.h"

#include <QObject>
#include <QUndoStack>

#include <functional>
#include <memory>

namespace trassolin::gui {

// Undo and redo for the main window. After each user action the window's state is compared
// with the one recorded last; when the road changed, the pair becomes one step of the stack.
// Undo puts the earlier state back as a whole, so that a save afterwards writes the earlier
// file byte for byte. The stack's clean state is the road as last loaded or saved.
class EditHistory final : public QObject {
public:
    struct Window {
        std::function<WindowState()> capture;
        // Shows a state; the file labels and the road's file only when `withFile`.
        std::function<void(const WindowState&, bool withFile)> apply;
        // The text of a step, from the states before and after it ("Breite", "Rechter Rand").
        std::function<QString(const WindowState&, const WindowState&)> describe;
    };

    EditHistory(Window window, QObject* parent = nullptr);

    // Forgets every step; the state shown now is where the next edit starts, and it is saved.
    void restart();
    // Records at the next turn of the event loop, so that everything one user action does (a
    // box's toggle and its click, a commit and the selection that caused it) is one step.
    void scheduleRecord();
    // Records now: a step named `name` (or described) when the road changed; otherwise only
    // the things that are no edit (the file labels) are taken over into the recorded state.
    void recordNow(const QString& name = {});
    // The state shown now is the one in the file.
    void markSaved();
    // Whether the road differs from the one last loaded or saved; records first.
    bool unsaved();
    // The names of the steps since the road was loaded or saved, each once, oldest first;
    // empty when the road got there by undoing.
    QStringList stepsSinceSaved() const;

    QUndoStack& stack() { return stack_; }

private:
    class Step;
    // A step that changed which file the road belongs to (a load) takes that back as well;
    // any other keeps the file the road was saved to meanwhile.
    void apply(const std::shared_ptr<const WindowState>& state, bool withFile);

    Window window_;
    QUndoStack stack_;
    std::shared_ptr<const WindowState> last_;
    bool scheduled_ = false;
    bool applying_ = false;
};

} // namespace trassolin::gui

#pragma once

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QWidget;

namespace trassolin::gui {

// "Leaving" a field or a group box is the focus moving from inside it to a widget outside it
// within the same window. Qt's editingFinished would fire on Return and again on focus loss,
// so exit reactions are driven from the application's focus changes instead: each runs once
// per leave, fields before the groups that contain them. Focus that moves to another window
// (a message box, a dialog) leaves nothing, so a reaction that shows a box cannot re-enter.
class FocusExits final : public QObject {
public:
    explicit FocusExits(QObject* parent = nullptr);

    // `reaction` runs whenever the focus leaves `widget` (a field, or a group: focus leaving
    // every widget inside it).
    void onLeave(QWidget* widget, std::function<void()> reaction);

    // While one exists, focus changes leave nothing: the window moves the focus itself
    // (putting a whole state back, or the cursor into a field at fault) and the fields it
    // passes hold nothing to commit.
    class Suspension {
    public:
        explicit Suspension(FocusExits& exits) : exits_(exits) { ++exits_.suspended_; }
        ~Suspension() { --exits_.suspended_; }
        Suspension(const Suspension&) = delete;
        Suspension& operator=(const Suspension&) = delete;

    private:
        FocusExits& exits_;
    };

private:
    void focusChanged(QWidget* old, QWidget* now);

    struct Entry {
        QPointer<QWidget> widget;
        std::function<void()> reaction;
    };
    std::vector<Entry> entries_;
    int suspended_ = 0;
};

} // namespace trassolin::gui

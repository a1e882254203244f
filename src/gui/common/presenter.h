#pragma once

#include "uGlobal/errors.h"
#include "uGlobal/messages.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <new>
#include <optional>
#include <vector>

class QDialog;

namespace trassolin::gui {

// What a file dialog asks for. `filter` is in Qt's form ("Parameter (*.ini);;alle Dateien (*)").
struct FileDialogRequest {
    QString title;
    QString proposedName;
    QString filter;
    QString defaultSuffix; // appended to a name typed without one; empty for none
};

// Every modal box and dialog the windows show goes through here, so that tests can answer
// them without a user; the application shows the real ones.
class Presenter {
public:
    virtual ~Presenter() = default;
    // A box with one OK button, titled "Informationen", "Warnung" or "Fehler".
    virtual void message(QWidget* parent, MessageKind kind, const QString& text) = 0;
    // A question with one button per choice; the index of the chosen one, or -1 when the box
    // is closed without a choice (Escape, the title bar's close button).
    virtual int choose(QWidget* parent, const QString& title, const QString& text,
                       const QStringList& choices) = 0;
    virtual void about(QWidget* parent, const QString& title, const QString& text) = 0;
    // The chosen path, or nothing when the user cancels. A save dialog does not ask before
    // replacing an existing file; an open dialog accepts existing files only.
    virtual std::optional<QString> saveFileName(QWidget* parent,
                                                const FileDialogRequest& request) = 0;
    virtual std::optional<QString> openFileName(QWidget* parent,
                                                const FileDialogRequest& request) = 0;
    virtual std::optional<QFont> font(QWidget* parent, const QFont& initial) = 0;
    // Shows a window of the program modally; returns QDialog::Accepted or Rejected.
    virtual int execModal(QDialog& dialog) = 0;
};

// The real modal boxes and dialogs.
class DialogPresenter final : public Presenter {
public:
    void message(QWidget* parent, MessageKind kind, const QString& text) override;
    int choose(QWidget* parent, const QString& title, const QString& text,
               const QStringList& choices) override;
    void about(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> openFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QFont> font(QWidget* parent, const QFont& initial) override;
    int execModal(QDialog& dialog) override;
};

QString messageTitle(MessageKind kind);

// What an error box says about a failure, and the field it concerns (null for none).
struct FailureText {
    QString text;
    QPointer<QWidget> field;
};

// The core's messages as boxes of the presenter, over `parent`.
//
// While a reaction to the user runs (see `guarded`), messages are collected, and the reaction
// ends with one box that lists them all, the most serious kind giving the box its kind: an
// edit that meets a dozen doubtful segments asks once, not a dozen times. A message outside
// any reaction is shown at once.
class PresenterMessageSink final : public MessageSink {
public:
    PresenterMessageSink(Presenter& presenter, QWidget* parent)
        : presenter_(presenter), parent_(parent) {}
    void show(MessageKind kind, std::string_view text) override;
    // The failure with what the window knows about it (see `describe`); the field at fault
    // gets the focus once the box is closed.
    void showError(const TrassolinError& error) override;

    void beginReaction();
    void endReaction();
    // Shows what was collected so far, before the reaction opens a window of its own.
    void flush();

    // How a failure is put into words; by default its text, with the field of a
    // FieldConversionError named.
    std::function<FailureText(const TrassolinError&)> describe;
    // Runs at the end of every outermost reaction, before its box.
    std::function<void()> afterReaction;
    // Moves the focus to the field at fault (default: QWidget::setFocus).
    std::function<void(QWidget*)> focusField;

private:
    Presenter& presenter_;
    QWidget* parent_;
    int depth_ = 0;
    std::vector<Message> pending_;
    QPointer<QWidget> faultyField_;
};

// Opens and closes a reaction of a PresenterMessageSink.
class ReactionScope {
public:
    explicit ReactionScope(PresenterMessageSink& messages) : messages_(messages) {
        messages_.beginReaction();
    }
    ~ReactionScope() { messages_.endReaction(); }
    ReactionScope(const ReactionScope&) = delete;
    ReactionScope& operator=(const ReactionScope&) = delete;

private:
    PresenterMessageSink& messages_;
};

// Discards every message: for recomputes that only bring stale geometry up to date.
class SilentMessageSink final : public MessageSink {
public:
    void show(MessageKind, std::string_view) override {}
};

// Runs a reaction to the user. A conversion, input/output or floating-point error ends the
// reaction where it stands and reaches the user as an error box; the window stays usable.
// Everything the reaction says comes in one box at its end.
template <class Reaction> void guarded(PresenterMessageSink& messages, Reaction&& reaction) {
    const ReactionScope scope(messages);
    try {
        reaction();
    } catch (const std::bad_alloc&) {
        messages.show(MessageKind::Error, kOutOfMemory);
    } catch (const TrassolinError& e) {
        messages.showError(e);
    } catch (const std::exception& e) {
        messages.show(MessageKind::Error, e.what());
    }
}

} // namespace trassolin::gui

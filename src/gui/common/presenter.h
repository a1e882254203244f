#pragma once

#include "uGlobal/errors.h"
#include "uGlobal/messages.h"

#include <QFont>
#include <QString>

#include <new>
#include <optional>

class QDialog;
class QWidget;

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
    void about(QWidget* parent, const QString& title, const QString& text) override;
    std::optional<QString> saveFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QString> openFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<QFont> font(QWidget* parent, const QFont& initial) override;
    int execModal(QDialog& dialog) override;
};

QString messageTitle(MessageKind kind);

// The core's messages as boxes of the presenter, over `parent`.
class PresenterMessageSink final : public MessageSink {
public:
    PresenterMessageSink(Presenter& presenter, QWidget* parent)
        : presenter_(presenter), parent_(parent) {}
    void show(MessageKind kind, std::string_view text) override;

private:
    Presenter& presenter_;
    QWidget* parent_;
};

// Discards every message: for recomputes that only bring stale geometry up to date.
class SilentMessageSink final : public MessageSink {
public:
    void show(MessageKind, std::string_view) override {}
};

// Runs a reaction to the user. A conversion, input/output or floating-point error ends the
// reaction where it stands and reaches the user as an error box; the window stays usable.
template <class Reaction> void guarded(MessageSink& messages, Reaction&& reaction) {
    try {
        reaction();
    } catch (const std::bad_alloc&) {
        messages.show(MessageKind::Error, kOutOfMemory);
    } catch (const std::exception& e) {
        messages.show(MessageKind::Error, e.what());
    }
}

} // namespace trassolin::gui

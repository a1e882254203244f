#include "common/presenter.h"

#include "common/widgets.h"
#include "settings/failure_text.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPushButton>

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

namespace trassolin::gui {

QString messageTitle(MessageKind kind) {
    switch (kind) {
    case MessageKind::Information:
        return QStringLiteral("Informationen");
    case MessageKind::Warning:
        return QStringLiteral("Warnung");
    case MessageKind::Error:
        break;
    }
    return QStringLiteral("Fehler");
}

void DialogPresenter::message(QWidget* parent, MessageKind kind, const QString& text) {
    const auto icon = kind == MessageKind::Information ? QMessageBox::Information
                      : kind == MessageKind::Warning   ? QMessageBox::Warning
                                                       : QMessageBox::Critical;
    QMessageBox box(icon, messageTitle(kind), text, QMessageBox::Ok, parent);
    // A run shows a wait cursor; a box that waits for the user must not.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (busy) QApplication::restoreOverrideCursor();
}

int DialogPresenter::choose(QWidget* parent, const QString& title, const QString& text,
                            const QStringList& choices) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    std::vector<QAbstractButton*> buttons;
    for (const QString& choice : choices) {
        buttons.push_back(box.addButton(choice, QMessageBox::ActionRole));
    }
    if (!buttons.empty()) {
        box.setDefaultButton(static_cast<QPushButton*>(buttons.front()));
        box.setEscapeButton(buttons.back());
    }
    box.exec();
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        if (box.clickedButton() == buttons[i]) return static_cast<int>(i);
    }
    return -1;
}

void DialogPresenter::about(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::about(parent, title, text);
}

namespace {

std::optional<QString> runFileDialog(QWidget* parent, const FileDialogRequest& request,
                                     QFileDialog::AcceptMode mode) {
    QFileDialog dialog(parent, request.title, QString(), request.filter);
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptSave) {
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (!request.defaultSuffix.isEmpty()) dialog.setDefaultSuffix(request.defaultSuffix);
    if (!request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

} // namespace

std::optional<QString> DialogPresenter::saveFileName(QWidget* parent,
                                                     const FileDialogRequest& request) {
    return runFileDialog(parent, request, QFileDialog::AcceptSave);
}

std::optional<QString> DialogPresenter::openFileName(QWidget* parent,
                                                     const FileDialogRequest& request) {
    return runFileDialog(parent, request, QFileDialog::AcceptOpen);
}

std::optional<QFont> DialogPresenter::font(QWidget* parent, const QFont& initial) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, initial, parent, QStringLiteral("Schriftart"));
    if (!ok) return std::nullopt;
    return chosen;
}

int DialogPresenter::execModal(QDialog& dialog) {
    return dialog.exec();
}

void PresenterMessageSink::show(MessageKind kind, std::string_view text) {
    pending_.push_back({kind, std::string(text)});
    if (depth_ == 0) flush();
}

void PresenterMessageSink::showError(const TrassolinError& error) {
    FailureText failure;
    if (describe) {
        failure = describe(error);
    } else if (const auto* field = dynamic_cast<const FieldConversionError*>(&error)) {
        failure = {describeField(field->field(), error.what()), field->field()};
    } else {
        failure.text = toQt(describeFailure(error));
    }
    if (failure.field) faultyField_ = failure.field;
    show(MessageKind::Error, toStd(failure.text));
}

void PresenterMessageSink::beginReaction() {
    ++depth_;
}

void PresenterMessageSink::endReaction() {
    if (--depth_ > 0) return;
    if (afterReaction) afterReaction();
    flush();
}

void PresenterMessageSink::flush() {
    if (!pending_.empty()) {
        // The same doubt raised twice in one reaction is one line of the box.
        std::vector<Message> lines;
        std::set<std::pair<MessageKind, std::string>> seen;
        MessageKind kind = MessageKind::Information;
        for (Message& m : pending_) {
            if (!seen.emplace(m.kind, m.text).second) continue;
            kind = std::max(kind, m.kind);
            lines.push_back(std::move(m));
        }
        pending_.clear();
        // A box that outgrows the screen hides its OK button; the first lines say enough.
        constexpr std::size_t kShownLines = 15;
        QString text;
        for (std::size_t i = 0; i < std::min(lines.size(), kShownLines); ++i) {
            if (!text.isEmpty()) text += QLatin1Char('\n');
            text += toQt(lines[i].text);
        }
        if (lines.size() > kShownLines) {
            text += QStringLiteral("\n… und %1 weitere Meldungen").arg(lines.size() - kShownLines);
        }
        presenter_.message(parent_, kind, text);
    }
    if (faultyField_) {
        QWidget* field = faultyField_;
        faultyField_.clear();
        if (field->isVisible() && field->isEnabled()) {
            if (focusField) {
                focusField(field);
            } else {
                field->setFocus(Qt::OtherFocusReason);
            }
        }
    }
}

} // namespace trassolin::gui

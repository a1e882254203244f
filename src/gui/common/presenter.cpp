#include "common/presenter.h"

#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>

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
    presenter_.message(parent_, kind,
                       QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

} // namespace trassolin::gui

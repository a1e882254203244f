#include "uShowParameter/parameter_display.h"

#include "common/presenter.h"
#include "common/widgets.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QStyle>
#include <QVBoxLayout>

namespace trassolin::gui {

TfrmShowParameter::TfrmShowParameter(Presenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
    setObjectName(QStringLiteral("TfrmShowParameter"));
    auto* ok = makePushButton(QStringLiteral("bbnOK"), QStringLiteral("OK"));
    auto* font = makeIconButton(QStringLiteral("SpeedButton1"), QString(),
                                QStringLiteral("Schriftart"));
    font->setIcon(QApplication::style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    font->setFocusPolicy(Qt::StrongFocus);
    memo_ = named(new QPlainTextEdit, QStringLiteral("Memo1"));
    memo_->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* top = new QHBoxLayout;
    top->addWidget(ok);
    top->addWidget(font);
    top->addStretch();
    auto* root = new QVBoxLayout(this);
    root->addLayout(top);
    root->addWidget(memo_, 1);
    resize(802, 593);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(font, &QToolButton::clicked, this, &TfrmShowParameter::chooseFont);
}

void TfrmShowParameter::showListing(const QString& caption,
                                    const std::vector<std::string>& lines) {
    memo_->clear();
    setWindowTitle(caption);
    for (const std::string& line : lines) memo_->appendPlainText(toQt(line));
    presenter_.execModal(*this);
}

void TfrmShowParameter::chooseFont() {
    if (const auto chosen = presenter_.font(this, memo_->font())) memo_->setFont(*chosen);
}

} // namespace trassolin::gui

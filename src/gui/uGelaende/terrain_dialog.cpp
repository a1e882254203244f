#include "uGelaende/terrain_dialog.h"

#include "common/presenter.h"
#include "common/widgets.h"
#include "uGlobal/errors.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QVBoxLayout>

namespace trassolin::gui {

namespace {

bool isHeightMap(const QString& file) {
    return file.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
}

} // namespace

TFormGelaende::TFormGelaende(Presenter& presenter, char decimalSeparator, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
    setObjectName(QStringLiteral("TFormGelaende"));
    setWindowTitle(QStringLiteral("Gelände"));

    auto* group = makeGroup(QStringLiteral("gboGelaende"), QStringLiteral("Gelände der Karte"));
    auto* grid = new QGridLayout(group);
    file_ = makeField(QStringLiteral("edtGelaendeDatei"));
    file_->setMinimumWidth(file_->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 40);
    file_->setToolTip(QStringLiteral("die i3d-Datei der Karte oder ihre Höhenkarte (PNG)"));
    auto* fileButton = makeFileButton(QStringLiteral("bbnGelaendeDatei"),
                                      QStringLiteral("Karte oder Höhenkarte wählen"));
    scale_ = makeField(QStringLiteral("edtHoehenskala"),
                       formatNumber(TerrainPlacement{}.heightScale, decimalSeparator));
    scale_->setToolTip(QStringLiteral("heightScale der Karte: Höhe des größten Pixelwerts"));
    spacing_ = makeField(QStringLiteral("edtEinheitenProPixel"),
                         formatNumber(TerrainPlacement{}.unitsPerPixel, decimalSeparator));
    spacing_->setToolTip(QStringLiteral("unitsPerPixel der Karte: Abstand benachbarter Pixel"));
    tolerance_ = makeField(QStringLiteral("edtToleranz"), formatNumber(0.1, decimalSeparator));
    tolerance_->setToolTip(
        QStringLiteral("so weit darf die Straße über oder unter dem Gelände liegen"));
    addRow(grid, 0, QStringLiteral("Karte oder Höhenkarte"), file_);
    grid->addWidget(fileButton, 0, 2);
    addRow(grid, 1, QStringLiteral("Höhenskala"), scale_, QStringLiteral("m"));
    addRow(grid, 2, QStringLiteral("Einheiten pro Pixel"), spacing_, QStringLiteral("m"));
    addRow(grid, 3, QStringLiteral("Toleranz"), tolerance_, QStringLiteral("m"));
    auto* hint = makeLabel(QStringLiteral("Höhenskala und Einheiten pro Pixel gelten nur für eine "
                                          "Höhenkarte;\neine Karte (i3d) nennt sie selbst."),
                           scale_);
    grid->addWidget(hint, 4, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox;
    auto* ok = named(buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole),
                     QStringLiteral("bbnOK"));
    auto* cancel =
        named(buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole),
              QStringLiteral("bbnCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* root = new QVBoxLayout(this);
    root->addWidget(group);
    root->addStretch();
    root->addWidget(buttons);

    connect(fileButton, &QPushButton::clicked, this, [this] {
        PresenterMessageSink messages(presenter_, this);
        guarded(messages, [this] { chooseFile(); });
    });
    connect(file_, &QLineEdit::textChanged, this, [this] { fileChanged(); });
    fileChanged();
}

QLineEdit* TFormGelaende::field(const char* name) const {
    return findChild<QLineEdit*>(QString::fromLatin1(name));
}

void TFormGelaende::fileChanged() {
    const bool heightMap = isHeightMap(file_->text());
    scale_->setEnabled(heightMap);
    spacing_->setEnabled(heightMap);
}

void TFormGelaende::chooseFile() {
    const auto file = presenter_.openFileName(
        this, {QStringLiteral("Karte oder Höhenkarte wählen"), file_->text(),
               QStringLiteral("Karte (*.i3d);;Höhenkarte (*.png);;alle Dateien (*)"), QString()});
    if (file) file_->setText(*file);
}

std::optional<TerrainChoice> TFormGelaende::ask() {
    if (presenter_.execModal(*this) != QDialog::Accepted) return std::nullopt;
    const QString file = file_->text().trimmed();
    if (file.isEmpty()) throw TrassolinError("Bitte die Karte oder ihre Höhenkarte wählen");
    TerrainChoice choice;
    if (isHeightMap(file)) {
        choice.heightMap = toPath(file);
        choice.placement.heightScale = parseField(scale_);
        choice.placement.unitsPerPixel = parseField(spacing_);
    } else {
        choice.mapFile = toPath(file);
    }
    choice.tolerance = parseField(tolerance_);
    return choice;
}

} // namespace trassolin::gui

#include "uMain13/road_texture_group.h"

#include "common/focus_exits.h"
#include "common/presenter.h"
#include "common/widgets.h"
#include "settings/parameter_rules.h"
#include "settings/parameter_set.h"
#include "uGlobal/checked_math.h"

#include <QApplication>
#include <QGridLayout>
#include <QStyle>

namespace trassolin::gui {

RoadTextureGroup::RoadTextureGroup(ParameterSet& params, PresenterMessageSink& messages,
                                   FocusExits& exits, char decimalSeparator, QWidget* parent)
    : QGroupBox(QStringLiteral("Fahrbahn - Textur"), parent), params_(params),
      separator_(decimalSeparator) {
    setObjectName(QStringLiteral("GroupBox3"));
    file_ = makeField(QStringLiteral("edtTextur1FileName"));
    fileButton_ = makeFileButton(QStringLiteral("bbnLoadFahrbahnTex"));
    laenge_ = makeField(QStringLiteral("edtTextur1Laenge"));
    texPxl_ = makeField(QStringLiteral("edtTexPxl"));
    start_ = makeField(QStringLiteral("edtTexStart"));
    startPxl_ = makePixelField(QStringLiteral("edtTexStartPxl"));
    ende_ = makeField(QStringLiteral("EdtTexEnde"));
    endePxl_ = makePixelField(QStringLiteral("EdtTexEndePxl"));
    backFold_ = makeCheckBox(QStringLiteral("cboRandomBackFold"),
                             QStringLiteral("zufällig spiegeln "));
    backFoldP_ = makeField(QStringLiteral("edtRandomBackfold"));
    reset_ = makeCheckBox(QStringLiteral("cboRuecksetzen"),
                          QStringLiteral("Rücksetzen statt spiegeln"));
    texL0_ = makeField(QStringLiteral("edtTexL0"));
    texL0_->setToolTip(QStringLiteral("Startpunkt in der Textur [0...1]"));
    oldTexL0_ = makeIconButton(QStringLiteral("spbOldTexL0"), QString(),
                               QStringLiteral("Alten Wert von TexL0 wieder herstellen"));
    oldTexL0_->setIcon(QApplication::style()->standardIcon(QStyle::SP_BrowserReload));
    streckung_ = makeField(QStringLiteral("edtStreckung"));

    // Columns: label, field, unit, pixel twin, "pxl" (or the row's button).
    auto* grid = new QGridLayout(this);
    grid->addWidget(makeLabel(QStringLiteral("Datei"), file_), 0, 0);
    grid->addWidget(file_, 0, 1, 1, 3);
    grid->addWidget(fileButton_, 0, 4);
    setCaption(file_, QStringLiteral("Datei"));
    addRow(grid, 1, QStringLiteral("Länge"), laenge_, QStringLiteral("m"));
    addRow(grid, 2, QStringLiteral("Texturbreite"), texPxl_, QStringLiteral("pxl"));
    addRow(grid, 3, QStringLiteral("Start"), start_, QStringLiteral("U"));
    grid->addWidget(startPxl_, 3, 3);
    addUnit(grid, 3, 4, startPxl_, QStringLiteral("pxl"));
    setCaption(startPxl_, QStringLiteral("Start (pxl)"));
    addRow(grid, 4, QStringLiteral("Ende"), ende_, QStringLiteral("U"));
    grid->addWidget(endePxl_, 4, 3);
    addUnit(grid, 4, 4, endePxl_, QStringLiteral("pxl"));
    setCaption(endePxl_, QStringLiteral("Ende (pxl)"));
    grid->addWidget(backFold_, 5, 0);
    grid->addWidget(backFoldP_, 5, 1);
    addUnit(grid, 5, 2, backFoldP_, QStringLiteral("0…1"));
    setCaption(backFoldP_, QStringLiteral("zufällig spiegeln"));
    backFoldP_->setToolTip(QStringLiteral("Wahrscheinlichkeit einer Spiegelung je Punkt"));
    grid->addWidget(reset_, 6, 0, 1, 4);
    // The next road's start coordinate has up to 15 significant digits: room for them.
    grid->addWidget(makeLabel(QStringLiteral("TexL0"), texL0_), 7, 0);
    setCaption(texL0_, QStringLiteral("TexL0"));
    grid->addWidget(texL0_, 7, 1, 1, 3);
    addUnit(grid, 7, 4, texL0_, QStringLiteral("0…1"));
    grid->addWidget(oldTexL0_, 7, 5, Qt::AlignLeft);
    addRow(grid, 8, QStringLiteral("Strecken bei Gefälle"), streckung_, QStringLiteral("Faktor"));
    streckung_->setToolTip(QStringLiteral(
        "Die Texturlänge wächst bergauf um Faktor · Steigung / 90° (0: keine Streckung)"));
    grid->setColumnStretch(1, 1);

    const auto onLeave = [this, &messages, &exits](QWidget* field,
                                                   void (RoadTextureGroup::*reaction)()) {
        exits.onLeave(field, [this, &messages, reaction] {
            guarded(messages, [&] { (this->*reaction)(); });
        });
    };
    onLeave(texPxl_, &RoadTextureGroup::texturePixelsLeft);
    onLeave(start_, &RoadTextureGroup::startLeft);
    onLeave(ende_, &RoadTextureGroup::endLeft);
    onLeave(startPxl_, &RoadTextureGroup::startPixelsLeft);
    onLeave(endePxl_, &RoadTextureGroup::endPixelsLeft);
    connect(oldTexL0_, &QToolButton::clicked, this,
            [this, &messages] { guarded(messages, [this] { restoreTexL0(); }); });
    connect(backFold_, &QCheckBox::toggled, this, [this](bool on) {
        reset_->setChecked(textureSwitchAfter(reset_->isChecked(), on));
    });
    connect(reset_, &QCheckBox::toggled, this, [this](bool on) {
        backFold_->setChecked(textureSwitchAfter(backFold_->isChecked(), on));
    });
}

void RoadTextureGroup::showPixels(const QLineEdit* coordinate, QLineEdit* pixels) {
    const int w = params_.roadTexturePixels;
    pixels->setText(QString::number(roundToInt(parseField(coordinate) * w)));
}

void RoadTextureGroup::showCoordinate(const QLineEdit* pixels, QLineEdit* coordinate) {
    const int w = params_.roadTexturePixels;
    coordinate->setText(formatNumber(static_cast<double>(integerField(pixels)) / w, separator_));
}

void RoadTextureGroup::texturePixelsLeft() {
    params_.roadTexturePixels = integerField(texPxl_);
    if (params_.roadTexturePixels <= 0) return;
    showPixels(start_, startPxl_);
    showPixels(ende_, endePxl_);
}

void RoadTextureGroup::startLeft() {
    if (params_.roadTexturePixels > 0) showPixels(start_, startPxl_);
}

void RoadTextureGroup::endLeft() {
    if (params_.roadTexturePixels > 0) showPixels(ende_, endePxl_);
}

void RoadTextureGroup::startPixelsLeft() {
    if (params_.roadTexturePixels > 0) showCoordinate(startPxl_, start_);
}

void RoadTextureGroup::endPixelsLeft() {
    if (params_.roadTexturePixels > 0) showCoordinate(endePxl_, ende_);
}

void RoadTextureGroup::restoreTexL0() {
    texL0_->setText(formatNumber(params_.previousTexL0, separator_));
}

} // namespace trassolin::gui

#include "uMain13/edge_texture_group.h"

#include "common/focus_exits.h"
#include "common/presenter.h"
#include "common/widgets.h"
#include "uGlobal/rand_punkte.h"

#include <QGridLayout>

namespace trassolin::gui {

EdgeTextureGroup::EdgeTextureGroup(TRandPunkte& profile, PresenterMessageSink& messages,
                                   FocusExits& exits, char decimalSeparator, bool right,
                                   QWidget* parent)
    : QGroupBox(parent), profile_(profile), separator_(decimalSeparator) {
    const QString side = right ? QStringLiteral("RandR") : QStringLiteral("RandL");
    setObjectName(QStringLiteral("gbo%1").arg(side));
    setTitle(right ? QStringLiteral("Rechter Rand ") : QStringLiteral("Linker Rand "));

    file_ = makeField(QStringLiteral("edt%1TexFile").arg(side));
    fileButton_ = makeFileButton(
        QStringLiteral("bbn%1LoadTex").arg(side),
        QStringLiteral("Texturdatei für %1 Rand laden (Pfade werden NICHT angepasst)")
            .arg(right ? QStringLiteral("rechten") : QStringLiteral("linken")));
    laenge_ = makeField(QStringLiteral("edt%1TexLaenge").arg(side));
    breite_ = makeField(QStringLiteral("edt%1TexBreite").arg(side));
    pixel_ = makePixelField(QStringLiteral("edt%1TexBreitePxl").arg(side));
    reset_ = makeCheckBox(QStringLiteral("cbo%1Ruecksetzen").arg(side),
                          QStringLiteral("Rücksetzen statt spiegeln"));
    calcU_ = makePushButton(QStringLiteral("btn%1calcU").arg(side), QStringLiteral("Breite -> U"));
    calcU_->setToolTip(QStringLiteral("Berechnet aus Texturbreite und Breite der Randsegmente die "
                                      "zugehörige Texturkoordinate U (Parameter \"Ende\")"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(makeLabel(QStringLiteral("Datei"), file_), 0, 0);
    grid->addWidget(file_, 0, 1, 1, 3);
    grid->addWidget(fileButton_, 0, 4);
    setCaption(file_, QStringLiteral("Datei"));
    addRow(grid, 1, QStringLiteral("Länge"), laenge_, QStringLiteral("m"));
    addRow(grid, 2, QStringLiteral("Breite"), breite_, QStringLiteral("m"));
    grid->addWidget(pixel_, 2, 3);
    addUnit(grid, 2, 4, pixel_, QStringLiteral("pxl"));
    setCaption(pixel_, QStringLiteral("Breite (pxl)"));
    grid->addWidget(calcU_, 3, 1);
    grid->addWidget(reset_, 4, 0, 1, 5);
    grid->setColumnStretch(1, 1);

    const auto commitGuarded = [this, &messages] { guarded(messages, [this] { commit(); }); };
    exits.onLeave(laenge_, commitGuarded);
    exits.onLeave(breite_, commitGuarded);
    exits.onLeave(pixel_, commitGuarded);
    exits.onLeave(this, commitGuarded);
}

void EdgeTextureGroup::commit() {
    // A switched-off edge has this group hidden: its fields hold nothing the user typed.
    if (!profile_.enabled) return;
    profile_.textureLength = parseField(laenge_);
    profile_.textureWidth = parseField(breite_);
    profile_.textureFileName = toStd(file_->text());
    profile_.resetInsteadOfMirror = reset_->isChecked();
    profile_.texturePixels = integerField(pixel_);
}

void EdgeTextureGroup::readForRun() {
    profile_.textureLength = parseField(laenge_);
    profile_.textureWidth = parseField(breite_);
    profile_.texturePixels = integerField(pixel_);
    profile_.textureFileName = toStd(file_->text());
    profile_.resetInsteadOfMirror = reset_->isChecked();
}

void EdgeTextureGroup::showTexture() {
    file_->setText(toQt(profile_.textureFileName));
    laenge_->setText(formatNumber(profile_.textureLength, separator_));
    breite_->setText(formatNumber(profile_.textureWidth, separator_));
    reset_->setChecked(profile_.resetInsteadOfMirror);
    pixel_->setText(QString::number(profile_.texturePixels));
}

} // namespace trassolin::gui

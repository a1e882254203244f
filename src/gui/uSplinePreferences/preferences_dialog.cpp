#include "uSplinePreferences/preferences_dialog.h"

#include "common/presenter.h"
#include "common/widgets.h"
#include "settings/parameter_set.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QVBoxLayout>

#include <array>

namespace trassolin::gui {

namespace {

struct RealRow {
    const char* control;
    const char* label;
    const char* unit;
    double Preferences::*member;
};

// In the order the dialog shows them and takes them back.
constexpr std::array kPreferenceRows = {
    RealRow{"edtLaenge", "minimale Länge", "m", &Preferences::minLaenge},
    RealRow{"edtWinkel", "minimaler Winkel", "°", &Preferences::minWinkel},
    RealRow{"edtSlope", "minimale Krümmung", "°", &Preferences::minSteigung},
    RealRow{"edtZrotMin", "minimale Z-Rotation", "°", &Preferences::minZRot},
    RealRow{"edtmaxSturz", "maximale Sturz", "°", &Preferences::maxSturz},
};

} // namespace

TFormPref::TFormPref(Presenter& presenter, char decimalSeparator, QWidget* parent)
    : QDialog(parent), presenter_(presenter), separator_(decimalSeparator) {
    setObjectName(QStringLiteral("TFormPref"));
    setWindowTitle(QStringLiteral("Einstellungen"));

    auto* general = makeGroup(QStringLiteral("GroupBox1"),
                              QStringLiteral("Allgemeine Einstellungen "));
    auto* grid = new QGridLayout(general);
    int row = 0;
    for (const RealRow& r : kPreferenceRows) {
        addRow(grid, row++, QString::fromUtf8(r.label), makeField(QString::fromLatin1(r.control)),
               QString::fromUtf8(r.unit));
    }
    symmetric_ = makeCheckBox(QStringLiteral("cboAlteDreiecke"),
                              QStringLiteral("symmetrische Dreiecke für Fahrbahn"));
    grid->addWidget(symmetric_, row, 0, 1, 3);
    grid->setColumnStretch(1, 1);

    auto* fill = makeGroup(QStringLiteral("GroupBox2"), QStringLiteral("Parameter für Stirnfläche"));
    auto* fillGrid = new QGridLayout(fill);
    texture_ = makeField(QStringLiteral("edtStirnTextur"));
    auto* textureButton = makeFileButton(QStringLiteral("bbnRandRLoadTex"));
    addRow(fillGrid, 0, QStringLiteral("Textur"), texture_);
    fillGrid->addWidget(textureButton, 0, 2);
    addRow(fillGrid, 1, QStringLiteral("Texturbreite"), makeField(QStringLiteral("edtStirnBreite")),
           QStringLiteral("m"));
    addRow(fillGrid, 2, QStringLiteral("Texturhöhe"), makeField(QStringLiteral("edtStirnHoehe")),
           QStringLiteral("m"));
    swap_ = makeCheckBox(QStringLiteral("cboStirnTexRot"), QStringLiteral("Breite / Höhe vertauschen"));
    fillGrid->addWidget(swap_, 3, 0, 1, 3);
    fillGrid->setColumnStretch(1, 1);

    auto* buttons = new QDialogButtonBox;
    auto* ok = named(buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole),
                     QStringLiteral("bbnOK"));
    auto* cancel = named(buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole),
                         QStringLiteral("bbnCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* root = new QVBoxLayout(this);
    root->addWidget(general);
    root->addWidget(fill);
    root->addStretch();
    root->addWidget(buttons);

    connect(textureButton, &QPushButton::clicked, this, [this] {
        PresenterMessageSink messages(presenter_, this);
        guarded(messages, [this] { chooseFillTexture(); });
    });
}

QLineEdit* TFormPref::field(const char* name) const {
    return findChild<QLineEdit*>(QString::fromLatin1(name));
}

void TFormPref::edit(Preferences& preferences, TFuellFlaeche& fill) {
    for (const RealRow& r : kPreferenceRows) {
        field(r.control)->setText(formatNumber(preferences.*r.member, separator_));
    }
    symmetric_->setChecked(preferences.dreieckeSym);
    texture_->setText(toQt(fill.textureFile));
    field("edtStirnBreite")->setText(formatNumber(fill.textureWidth, separator_));
    field("edtStirnHoehe")->setText(formatNumber(fill.textureHeight, separator_));
    swap_->setChecked(fill.swap);

    if (presenter_.execModal(*this) != QDialog::Accepted) return;

    // Each value is in force as soon as it is read.
    for (const RealRow& r : kPreferenceRows) preferences.*r.member = parseField(field(r.control));
    preferences.dreieckeSym = symmetric_->isChecked();
    fill.textureFile = toStd(texture_->text());
    fill.textureWidth = parseField(field("edtStirnBreite"));
    fill.textureHeight = parseField(field("edtStirnHoehe"));
    fill.swap = swap_->isChecked();
}

void TFormPref::chooseFillTexture() {
    const auto file = presenter_.openFileName(
        this, {QStringLiteral("Textur für Stirnfläche wählen"), texture_->text(), QString(),
               QString()});
    if (file) texture_->setText(QFileInfo(*file).fileName());
}

} // namespace trassolin::gui

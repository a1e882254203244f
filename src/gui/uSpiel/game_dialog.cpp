#include "uSpiel/game_dialog.h"

#include "common/presenter.h"
#include "common/widgets.h"
#include "generation/game_inputs.h"
#include "settings/parameter_set.h"
#include "uGlobal/numbers.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <array>
#include <utility>

namespace trassolin::gui {

namespace {

struct TextRow {
    const char* control;
    const char* label;
    const char* unit;
    std::string ParameterSet::*member;
};

// In the order the dialog shows them, group by group.
constexpr std::array kCollisionRows = {
    TextRow{"edtKollisionsgruppe", "Kollisionsgruppe", "hex", &ParameterSet::kollisionsgruppe},
    TextRow{"edtKollisionsmaske", "Kollisionsmaske", "hex", &ParameterSet::kollisionsmaske},
    TextRow{"edtRandKollisionsgruppe", "Rand: Kollisionsgruppe", "hex",
            &ParameterSet::randKollisionsgruppe},
    TextRow{"edtRandKollisionsmaske", "Rand: Kollisionsmaske", "hex",
            &ParameterSet::randKollisionsmaske},
};
constexpr std::array kShapeRows = {
    TextRow{"edtSichtweite", "Sichtweite", "m", &ParameterSet::sichtweite},
    TextRow{"edtAbschnittslaenge", "Abschnittslänge", "m", &ParameterSet::abschnittslaenge},
};
constexpr std::array kAiRows = {
    TextRow{"edtMaxBreite", "maximale Breite", "m", &ParameterSet::maxBreite},
    TextRow{"edtMaxWenderadius", "Wenderadius", "m", &ParameterSet::maxWenderadius},
    TextRow{"edtMaxHoehe", "maximale Höhe", "m", &ParameterSet::maxHoehe},
};

const QStringList kProfiles = {QStringLiteral("keins"), QStringLiteral("FS25"),
                               QStringLiteral("FS22")};

template <std::size_t N>
void addRows(QGridLayout* grid, int& row, const std::array<TextRow, N>& rows) {
    for (const TextRow& r : rows) {
        addRow(grid, row++, QString::fromUtf8(r.label), makeField(QString::fromLatin1(r.control)),
               QString::fromUtf8(r.unit));
    }
}

QString hex(std::uint32_t mask) { return QString::fromStdString(formatHexMask(mask)); }

} // namespace

TFormSpiel::TFormSpiel(Presenter& presenter, QWidget* parent)
    : QDialog(parent), presenter_(presenter) {
    setObjectName(QStringLiteral("TFormSpiel"));
    setWindowTitle(QStringLiteral("Spiel"));

    auto* game = makeGroup(QStringLiteral("gboSpielProfil"), QStringLiteral("Spiel und Kollision"));
    auto* gameGrid = new QGridLayout(game);
    profile_ = named(new QComboBox, QStringLiteral("cmbProfil"));
    profile_->addItems(kProfiles);
    profile_->setToolTip(QStringLiteral(
        "FS25: Kollision der Straßenvorgabe des Spiels; FS22: collisionMask nur, wenn angegeben"));
    addRow(gameGrid, 0, QStringLiteral("Profil"), profile_);
    bridge_ = makeCheckBox(QStringLiteral("cboBruecke"), QStringLiteral("Brücke"));
    bridge_->setToolTip(QStringLiteral("Kollisionsgruppe der Brückenvorgabe (FS25)"));
    gameGrid->addWidget(bridge_, 1, 0, 1, 3);
    int row = 2;
    addRows(gameGrid, row, kCollisionRows);
    gameGrid->setColumnStretch(1, 1);

    auto* shapes = makeGroup(QStringLiteral("gboSpielDarstellung"),
                             QStringLiteral("Sichtbarkeit und Abschnitte"));
    auto* shapeGrid = new QGridLayout(shapes);
    row = 0;
    addRows(shapeGrid, row, kShapeRows);
    shapes->findChild<QLineEdit*>(QStringLiteral("edtAbschnittslaenge"))
        ->setToolTip(QStringLiteral("0: ein Shape; sonst Stücke von so vielen Metern Straße"));
    shadows_ = makeCheckBox(QStringLiteral("cboSchattenWerfen"), QStringLiteral("Schatten werfen"));
    normalMaps_ = makeCheckBox(QStringLiteral("cboNormalmaps"), QStringLiteral("Normalmaps"));
    normalMaps_->setToolTip(QStringLiteral(
        "Normalmap und Glossmap je Textur: _diffuse wird zu _normal und _specular"));
    shapeGrid->addWidget(shadows_, row++, 0, 1, 3);
    shapeGrid->addWidget(normalMaps_, row, 0, 1, 3);
    shapeGrid->setColumnStretch(1, 1);

    auto* ai = makeGroup(QStringLiteral("gboSpielKI"), QStringLiteral("KI-Straße"));
    auto* aiGrid = new QGridLayout(ai);
    row = 0;
    addRows(aiGrid, row, kAiRows);
    aiGrid->setColumnStretch(1, 1);
    for (const auto& [name, hint] :
         {std::pair{"edtMaxBreite", "maxWidth der KI-Straße"},
          std::pair{"edtMaxWenderadius",
                    "maxTurningRadius der KI-Straße; Prüfen meldet engere Kurven (leer: unter 20 m)"},
          std::pair{"edtMaxHoehe", "maxHeight der KI-Straße (nur FS25)"}}) {
        ai->findChild<QLineEdit*>(QString::fromLatin1(name))->setToolTip(QString::fromUtf8(hint));
    }

    auto* buttons = new QDialogButtonBox;
    auto* ok = named(buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole),
                     QStringLiteral("bbnOK"));
    auto* cancel = named(buttons->addButton(QStringLiteral("Abbrechen"),
                                            QDialogButtonBox::RejectRole),
                         QStringLiteral("bbnCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* root = new QVBoxLayout(this);
    root->addWidget(game);
    root->addWidget(shapes);
    root->addWidget(ai);
    root->addStretch();
    root->addWidget(buttons);

    connect(profile_, &QComboBox::currentTextChanged, this, [this] { profileChanged(); });
    connect(bridge_, &QCheckBox::toggled, this, [this] { profileChanged(); });
}

void TFormSpiel::profileChanged() {
    const QString profile = profile_->currentText().trimmed().toUpper();
    const bool current = profile == QStringLiteral("FS25");
    const bool previous = profile == QStringLiteral("FS22");
    const auto field = [this](const char* name) {
        return findChild<QLineEdit*>(QString::fromLatin1(name));
    };
    bridge_->setEnabled(current);
    const QString none = QStringLiteral("leer: keine");
    const QString notWritten = QStringLiteral("nicht geschrieben");
    field("edtKollisionsgruppe")->setEnabled(current);
    field("edtKollisionsgruppe")
        ->setPlaceholderText(current ? QStringLiteral("leer: %1")
                                           .arg(hex(bridge_->isChecked() ? kBridgeCollisionGroup
                                                                         : kRoadCollisionGroup))
                                     : notWritten);
    field("edtKollisionsmaske")->setEnabled(current || previous);
    field("edtKollisionsmaske")
        ->setPlaceholderText(current ? QStringLiteral("leer: %1").arg(hex(kRoadCollisionMask))
                                     : (previous ? none : notWritten));
    field("edtRandKollisionsgruppe")->setEnabled(current);
    field("edtRandKollisionsgruppe")->setPlaceholderText(current ? none : notWritten);
    field("edtRandKollisionsmaske")->setEnabled(current || previous);
    field("edtRandKollisionsmaske")->setPlaceholderText(current || previous ? none : notWritten);
    field("edtMaxHoehe")->setEnabled(current);
    field("edtMaxHoehe")->setPlaceholderText(current ? none : notWritten);
    field("edtMaxBreite")->setPlaceholderText(QStringLiteral("leer: Fahrbahnbreite"));
    field("edtMaxWenderadius")->setPlaceholderText(QStringLiteral("leer: keiner"));
}

bool TFormSpiel::edit(ParameterSet& params) {
    // A profile this version does not know stays as the file has it: the run names it.
    const QString profile = QString::fromStdString(params.profil);
    while (profile_->count() > kProfiles.size()) profile_->removeItem(profile_->count() - 1);
    int index = -1;
    for (int i = 0; i < kProfiles.size(); ++i) {
        if (kProfiles[i].compare(profile.trimmed(), Qt::CaseInsensitive) == 0) index = i;
    }
    if (index < 0) {
        profile_->addItem(profile);
        index = profile_->count() - 1;
    }
    profile_->setCurrentIndex(index);
    bridge_->setChecked(params.bruecke);
    shadows_->setChecked(params.schattenWerfen);
    normalMaps_->setChecked(params.normalmaps);
    const auto show = [this, &params](const auto& rows) {
        for (const TextRow& r : rows) {
            findChild<QLineEdit*>(QString::fromLatin1(r.control))->setText(toQt(params.*r.member));
        }
    };
    show(kCollisionRows);
    show(kShapeRows);
    show(kAiRows);
    profileChanged();

    if (presenter_.execModal(*this) != QDialog::Accepted) return false;

    // An unchanged profile keeps the spelling of its file.
    if (profile_->currentIndex() != index) params.profil = toStd(profile_->currentText());
    params.bruecke = bridge_->isChecked();
    params.schattenWerfen = shadows_->isChecked();
    params.normalmaps = normalMaps_->isChecked();
    const auto take = [this, &params](const auto& rows) {
        for (const TextRow& r : rows) {
            params.*r.member = toStd(findChild<QLineEdit*>(QString::fromLatin1(r.control))->text());
        }
    };
    take(kCollisionRows);
    take(kShapeRows);
    take(kAiRows);
    return true;
}

} // namespace trassolin::gui

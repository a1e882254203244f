#include "uMain13/main_window.h"

#include "common/focus_exits.h"
#include "common/system_locale.h"
#include "common/widgets.h"
#include "settings/failure_text.h"
#include "settings/parameter_rows.h"
#include "settings/parameter_rules.h"
#include "settings/parameter_table.h"
#include "settings/preferences_file.h"
#include "uGelaende/terrain_dialog.h"
#include "uGlobal/errors.h"
#include "uGlobal/numbers.h"
#include "uGrafik/cross_section_window.h"
#include "uMain13/edge_panel.h"
#include "uMain13/edge_texture_group.h"
#include "uMain13/edit_history.h"
#include "uMain13/road_texture_group.h"
#include "uMain13/segment_editor.h"
#include "uMain13/spline_point_editor.h"
#include "uShowParameter/parameter_display.h"
#include "uSpiel/game_dialog.h"
#include "uSplinePreferences/preferences_dialog.h"
#include "uVorschau/preview_panel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <filesystem>
#include <optional>
#include <system_error>

namespace trassolin::gui {

namespace {

// Holder 1 of the parameter set: which field shows which value. Check boxes in the order a
// parameter load sets them, since each runs its click reaction.
struct TextField {
    const char* control;
    std::string ParameterSet::*member;
};
struct CheckField {
    const char* control;
    bool ParameterSet::*member;
};

constexpr std::array kTextFields = {
    TextField{"edtShapeName", &ParameterSet::strassenName},
    TextField{"edtBreite", &ParameterSet::breite},
    TextField{"edtSchleppkurve", &ParameterSet::schleppkurve},
    TextField{"edtSturz", &ParameterSet::sturz},
    TextField{"edtTextur1FileName", &ParameterSet::texturFileName},
    TextField{"edtTextur1Laenge", &ParameterSet::texturLaenge},
    TextField{"edtTexStart", &ParameterSet::texStart},
    TextField{"EdtTexEnde", &ParameterSet::texEnde},
    TextField{"edtTexL0", &ParameterSet::texL0},
    TextField{"edtTexPxl", &ParameterSet::texPixel},
    TextField{"edtRandomBackfold", &ParameterSet::rueckfaltungP},
    TextField{"edtStreckung", &ParameterSet::streckung},
    TextField{"edtTrafficSplineRechts", &ParameterSet::trafficRechtsProzent},
    TextField{"edtTrafficSplineLinks", &ParameterSet::trafficLinksProzent},
    TextField{"edtTempo", &ParameterSet::tempo},
    TextField{"edtTempoFaktor", &ParameterSet::tempoFaktor},
};

constexpr std::array kCheckFields = {
    CheckField{"cboSchleppkurve", &ParameterSet::schleppkurveErzeugen},
    CheckField{"cboSturz", &ParameterSet::sturzErzeugen},
    CheckField{"cboCreateTG", &ParameterSet::transformGroup},
    CheckField{"cboCreateFahrbahn", &ParameterSet::fahrbahnErzeugen},
    CheckField{"cboRandomBackFold", &ParameterSet::rueckfaltung},
    CheckField{"cboRuecksetzen", &ParameterSet::ruecksetzen},
    CheckField{"cboTrafficSpline", &ParameterSet::trafficMitte},
    CheckField{"cboTrafficSplineRechts", &ParameterSet::trafficRechts},
    CheckField{"cboTrafficSplineLinks", &ParameterSet::trafficLinks},
    CheckField{"cboGegenspurUmkehren", &ParameterSet::gegenspurUmkehren},
    CheckField{"cboKIStrassenspline", &ParameterSet::kiStrassenspline},
    CheckField{"cboVerkehrsspline", &ParameterSet::verkehrsspline},
};

const QString kBothEdgesHint = QStringLiteral("nur möglich, wenn beide Ränder aktiv");

// Where the window stands by design, at 96 dots per inch.
constexpr QPoint kDesignPosition{814, 82};

// A stored position from another monitor set-up must not put the title bar out of reach. In
// 64 bits: a position near the end of int (ScreenPos_Left=2147483647) must not wrap around.
bool titleBarOnScreen(QPoint topLeft, int width) {
    const qint64 left = topLeft.x(), top = topLeft.y();
    const qint64 right = left + width, bottom = top + 30;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect a = screen->availableGeometry();
        const qint64 wide = std::min(right, qint64{a.x()} + a.width()) - std::max(left, qint64{a.x()});
        const qint64 high = std::min(bottom, qint64{a.y()} + a.height()) - std::max(top, qint64{a.y()});
        if (wide >= std::min(100, width) && high >= 10) return true;
    }
    return false;
}

// The folder the program was started from; none when it was deleted meanwhile.
std::optional<std::filesystem::path> workingDirectory() {
    std::error_code ec;
    auto folder = std::filesystem::current_path(ec);
    if (ec) return std::nullopt;
    return folder;
}

} // namespace

TForm1::TForm1(Presenter& presenter, QWidget* parent)
    : QMainWindow(parent), presenter_(presenter), messages_(presenter, this),
      separator_(userDecimalSeparator()), exits_(new FocusExits(this)) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Trassolin v1.64 by Norvik"));
    messages_.describe = [this](const TrassolinError& e) { return describe(e); };
    messages_.focusField = [this](QWidget* field) {
        // The field the box was about: the focus goes there without leaving (committing)
        // the field that has it, which may be the faulty one's group mate.
        const FocusExits::Suspension quiet(*exits_);
        scroll_->ensureWidgetVisible(field);
        field->setFocus(Qt::OtherFocusReason);
        if (auto* edit = qobject_cast<QLineEdit*>(field)) edit->selectAll();
    };
    history_ = new EditHistory(
        {[this] { return captureState(); },
         [this](const WindowState& state, bool withFile) { applyState(state, withFile); },
         [this](const WindowState& before, const WindowState& after) {
             return describeStep(before, after);
         }},
        this);
    messages_.afterReaction = [this] { history_->scheduleRecord(); };

    buildWindow();
    showFields();
    connectReactions();

    // New profiles are switched off: both edges start hidden although their boxes are ticked
    // by design, and the end-face fill goes off with them.
    right_->showEdge();
    left_->showEdge();
    splines_->showPoint();
    if (const auto folder = workingDirectory()) {
        try {
            recent_.read(*folder);
        } catch (const TrassolinError&) {
            // The preferences file cannot be read: the window starts without the list.
        }
    }
    buildMenu();
    buildPreview();
    placeWindow();

    prefs_ = new TFormPref(presenter_, separator_, this);
    spiel_ = new TFormSpiel(presenter_, this);
    grafik_ = new TForm2(presenter_, params_.rechterRand, params_.linkerRand, separator_, this);
    showParameter_ = new TfrmShowParameter(presenter_, this);
    gelaende_ = new TFormGelaende(presenter_, separator_, this);
    history_->restart();
    showRoadInPreview();
}

TForm1::~TForm1() {
    // The children go after this body: nothing they do on the way may reach the menu or the
    // history through this object any more.
    messages_.afterReaction = nullptr;
    history_->stack().blockSignals(true);
}

void TForm1::buildWindow() {
    right_ = new EdgePanel(params_.rechterRand, messages_, *exits_, separator_, true);
    left_ = new EdgePanel(params_.linkerRand, messages_, *exits_, separator_, false);

    auto* loadPara = makePushButton(QStringLiteral("bbnLoadPara"), QStringLiteral("Load Parameter"));
    parameter1_ = new QLabel;
    parameter1_->setObjectName(QStringLiteral("lblParameter1"));
    parameter_ = new QLabel(QStringLiteral("frei eingegeben"));
    parameter_->setObjectName(QStringLiteral("lblParameter"));
    auto* savePara = makePushButton(QStringLiteral("bbnSavePara"), QStringLiteral("Save Parameter"));
    left_->column()->addSpacing(12);
    left_->column()->addWidget(loadPara);
    left_->column()->addWidget(parameter1_);
    left_->column()->addWidget(parameter_);
    left_->column()->addWidget(savePara);
    left_->column()->addStretch();

    auto* createTG = makeCheckBox(QStringLiteral("cboCreateTG"),
                                  QStringLiteral("TransformGroup erzeugen"));
    fill_ = makeCheckBox(QStringLiteral("cboRandFuellen"), QStringLiteral("Stirnfläche füllen"));
    fill_->setToolTip(kBothEdgesHint);
    auto* traffic = makeGroup(QStringLiteral("GroupBox1"), QStringLiteral("TrafficSplines"));
    auto* middle = makeCheckBox(QStringLiteral("cboTrafficSpline"), QStringLiteral("in der Mitte"));
    auto* rightCurve = makeCheckBox(QStringLiteral("cboTrafficSplineRechts"),
                                    QStringLiteral("rechts                    %"));
    auto* leftCurve = makeCheckBox(QStringLiteral("cboTrafficSplineLinks"),
                                   QStringLiteral("links                       %"));
    for (QCheckBox* box : {middle, rightCurve, leftCurve}) box->setToolTip(kBothEdgesHint);
    auto* trafficGrid = new QGridLayout(traffic);
    trafficGrid->addWidget(middle, 0, 0, 1, 2);
    auto* rightPercent = makeField(QStringLiteral("edtTrafficSplineRechts"));
    auto* leftPercent = makeField(QStringLiteral("edtTrafficSplineLinks"));
    setCaption(rightPercent, QStringLiteral("rechts %"));
    setCaption(leftPercent, QStringLiteral("links %"));
    trafficGrid->addWidget(rightCurve, 1, 0);
    trafficGrid->addWidget(rightPercent, 1, 1);
    trafficGrid->addWidget(leftCurve, 2, 0);
    trafficGrid->addWidget(leftPercent, 2, 1);
    // What the game needs of the curves; off, the document is the one it always was.
    auto* reverse = makeCheckBox(QStringLiteral("cboGegenspurUmkehren"),
                                 QStringLiteral("Gegenspur umkehren"));
    reverse->setToolTip(QStringLiteral(
        "Der linke Spline läuft vom Ende zum Anfang der Straße (Rechtsverkehr)"));
    auto* aiRoad = makeCheckBox(QStringLiteral("cboKIStrassenspline"),
                                QStringLiteral("KI-Straßenspline"));
    aiRoad->setToolTip(QStringLiteral(
        "Splines in die Gruppe ShapeName_AI mit onCreate = AISystem.onCreateAIRoadSpline; "
        "die Gruppe erhält maxWidth (die Fahrbahnbreite oder die maximale Breite unter "
        "„Spiel …“), jeder Spline isAISpline"));
    auto* trafficAttributes = makeCheckBox(QStringLiteral("cboVerkehrsspline"),
                                           QStringLiteral("Verkehrsspline"));
    trafficAttributes->setToolTip(
        QStringLiteral("Jeder Spline erhält speedLimit und maxSpeedScale"));
    trafficGrid->addWidget(reverse, 3, 0, 1, 3);
    trafficGrid->addWidget(aiRoad, 4, 0, 1, 3);
    trafficGrid->addWidget(trafficAttributes, 5, 0, 1, 3);
    addRow(trafficGrid, 6, QStringLiteral("Tempo"), makeField(QStringLiteral("edtTempo")),
           QStringLiteral("km/h"));
    auto* speedScale = makeField(QStringLiteral("edtTempoFaktor"));
    speedScale->setToolTip(QStringLiteral("maxSpeedScale"));
    addRow(trafficGrid, 7, QStringLiteral("Tempo-Faktor"), speedScale, QStringLiteral("Faktor"));
    right_->column()->addSpacing(12);
    right_->column()->addWidget(createTG);
    auto* fillRow = new QHBoxLayout;
    fillRow->addWidget(fill_);
    fillRow->addWidget(makeLabel(QStringLiteral("Parameter siehe Einstellungen"), fill_));
    fillRow->addStretch();
    right_->column()->addLayout(fillRow);
    right_->column()->addWidget(traffic);
    right_->column()->addStretch();

    auto* columns = new QHBoxLayout;
    columns->addWidget(left_, 1, Qt::AlignTop);
    columns->addWidget(buildRoadColumn(), 1, Qt::AlignTop);
    columns->addWidget(right_, 1, Qt::AlignTop);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(makePushButton(QStringLiteral("bbnCopyMemo"), QStringLiteral("Copy Memo")));
    addRunBar(buttons);
    buttons->addStretch();
    auto* grafik = makePushButton(QStringLiteral("bbnGrafikSchnitt"),
                                  QStringLiteral("Grafik Schnitt"));
    grafik->setToolTip(
        QStringLiteral("Schnittzeichnung Straße und Ränder (Zrot noch nicht berücksichtigt)"));
    auto* preferences = makePushButton(QStringLiteral("bbnPreferences"),
                                       QStringLiteral("Einstellungen"));
    preferences->setToolTip(QStringLiteral("Steuerung der Feinheit der Unterteilungen"));
    auto* game = makePushButton(QStringLiteral("bbnSpiel"), QStringLiteral("Spiel …"));
    game->setToolTip(QStringLiteral("Profil, Kollision, Abschnitte und KI-Straße für das Spiel"));
    auto* check = makePushButton(QStringLiteral("bbnPruefen"), QStringLiteral("Prüfen"));
    check->setToolTip(QStringLiteral(
        "Die Verkehrskurven prüfen, wie das Spiel sie fährt; schreibt nichts"));
    buttons->addWidget(game);
    buttons->addWidget(check);
    auto* terrain = makePushButton(QStringLiteral("bbnGelaende"), QStringLiteral("Gelände"));
    terrain->setToolTip(QStringLiteral("Straße mit dem Gelände der Karte vergleichen"));
    buttons->addWidget(terrain);
    buttons->addWidget(grafik);
    buttons->addWidget(preferences);
    buttons->addWidget(makePushButton(QStringLiteral("bbnInfo"), QStringLiteral("Info")));

    status_ = named(new QPlainTextEdit(QStringLiteral("mmoStatus")), QStringLiteral("mmoStatus"));
    status_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    status_->setMinimumHeight(4 * status_->fontMetrics().lineSpacing() + 12);

    // On a small screen or at a large scaling the three columns scroll; the output file, "Go",
    // the buttons and the status log stay in view, and the menu reaches every button.
    content_ = new QWidget;
    auto* contentLayout = new QVBoxLayout(content_);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->addLayout(columns);
    scroll_ = new QScrollArea;
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidget(content_);

    auto* lower = new QWidget;
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addLayout(buttons);
    lowerLayout->addWidget(status_, 1);
    // The user may give the status log more room; a larger window gives it to the log.
    split_ = new QSplitter(Qt::Vertical);
    split_->setChildrenCollapsible(false);
    split_->addWidget(scroll_);
    split_->addWidget(lower);
    split_->setStretchFactor(0, 0);
    split_->setStretchFactor(1, 1);

    auto* central = new QWidget;
    auto* root = new QVBoxLayout(central);
    top_ = buildTopRow();
    root->addWidget(top_);
    root->addWidget(split_, 1);
    setCentralWidget(central);
}

QWidget* TForm1::buildTopRow() {
    auto* top = new QWidget;
    auto* grid = new QGridLayout(top);
    grid->setContentsMargins(0, 0, 0, 0);
    save_ = makePushButton(QStringLiteral("bbnSave"), QStringLiteral("i3d-File"));
    fileName_ = makeField(QStringLiteral("edtFileName"), QStringLiteral("edtFileName"));
    // Optional: Go writes the road as glTF too while this field names a file.
    auto* gltfButton = makePushButton(QStringLiteral("btnGltfFile"), QStringLiteral("glTF-Datei"));
    gltfButton->setToolTip(QStringLiteral("Die Straße zusätzlich als glTF 2.0 speichern (.glb oder .gltf)"));
    gltfFile_ = makeField(QStringLiteral("edtGltfFile"));
    gltfFile_->setPlaceholderText(QStringLiteral("leer: kein glTF"));
    auto* shapeName = makeField(QStringLiteral("edtShapeName"));
    go_ = makePushButton(QStringLiteral("bbnGo"), QStringLiteral("Go"));
    go_->setEnabled(false);
    go_->setMinimumWidth(90);
    go_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    grid->addWidget(save_, 0, 0);
    grid->addWidget(fileName_, 0, 1);
    grid->addWidget(gltfButton, 1, 0);
    grid->addWidget(gltfFile_, 1, 1);
    grid->addWidget(makeLabel(QStringLiteral("ShapeName"), shapeName), 2, 0);
    grid->addWidget(shapeName, 2, 1);
    grid->addWidget(go_, 0, 2, 3, 1);
    grid->setColumnStretch(1, 1);
    return top;
}

QWidget* TForm1::buildRoadColumn() {
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeCheckBox(QStringLiteral("cboCreateFahrbahn"), QStringLiteral("erzeugen")));

    auto* geometry = makeGroup(QStringLiteral("GroupBox2"), QStringLiteral("Fahrbahn - Geometrie"));
    auto* grid = new QGridLayout(geometry);
    addRow(grid, 0, QStringLiteral("Breite"), makeField(QStringLiteral("edtBreite")),
           QStringLiteral("m"));
    // Both factors act through the curvature (1/m): the widening is 2 · Schleppkurve / radius
    // in metres, the camber grows with Kurvensturz / radius.
    auto* dragCurve = makeField(QStringLiteral("edtSchleppkurve"));
    setCaption(dragCurve, QStringLiteral("Schleppkurve"));
    dragCurve->setToolTip(
        QStringLiteral("Verbreiterung in Kurven: 2 · Schleppkurve / Kurvenradius (m)"));
    auto* camber = makeField(QStringLiteral("edtSturz"));
    setCaption(camber, QStringLiteral("Kurvensturz"));
    camber->setToolTip(QStringLiteral(
        "Neigung in Kurven: atan(Kurvensturz / Kurvenradius) · maximaler Sturz / 90°"));
    grid->addWidget(makeCheckBox(QStringLiteral("cboSchleppkurve"), QStringLiteral("Schleppkurve")),
                    1, 0);
    grid->addWidget(dragCurve, 1, 1);
    addUnit(grid, 1, 2, dragCurve, QStringLiteral("m²"));
    grid->addWidget(makeCheckBox(QStringLiteral("cboSturz"), QStringLiteral("Kurvensturz")), 2, 0);
    grid->addWidget(camber, 2, 1);
    addUnit(grid, 2, 2, camber, QStringLiteral("m"));
    grid->setColumnStretch(1, 1);
    layout->addWidget(geometry);

    roadTexture_ = new RoadTextureGroup(params_, messages_, *exits_, separator_);
    layout->addWidget(roadTexture_);
    splines_ = new SplinePointEditor(params_.splines, messages_, *exits_, separator_);
    layout->addWidget(splines_);
    layout->addStretch();
    return column;
}

void TForm1::connectReactions() {
    const auto onClick = [this](const char* name, auto reaction) {
        auto* button = findChild<QAbstractButton*>(QString::fromLatin1(name));
        connect(button, &QAbstractButton::clicked, this, [this, reaction] {
            guarded(messages_, [&] { (this->*reaction)(); });
        });
    };
    onClick("bbnSave", &TForm1::bbnSaveClick);
    onClick("btnGltfFile", &TForm1::btnGltfFileClick);
    onClick("bbnGo", &TForm1::bbnGoClick);
    onClick("bbnSplinePtsOpen", &TForm1::bbnSplinePtsOpenClick);
    onClick("bbnSavePara", &TForm1::bbnSaveParaClick);
    onClick("bbnLoadPara", &TForm1::bbnLoadParaClick);
    onClick("bbnPreferences", &TForm1::bbnPreferencesClick);
    onClick("bbnGrafikSchnitt", &TForm1::bbnGrafikSchnittClick);
    onClick("bbnSpiel", &TForm1::bbnSpielClick);
    onClick("bbnPruefen", &TForm1::bbnPruefenClick);
    onClick("bbnGelaende", &TForm1::bbnGelaendeClick);
    onClick("bbnCopyMemo", &TForm1::bbnCopyMemoClick);
    onClick("bbnInfo", &TForm1::bbnInfoClick);
    for (QPushButton* button : {roadTexture_->fileButton(), right_->texture()->fileButton(),
                                left_->texture()->fileButton()}) {
        connect(button, &QPushButton::clicked, this, [this, button] {
            guarded(messages_, [&] { textureButtonClick(button->objectName()); });
        });
    }
    for (bool right : {true, false}) {
        EdgePanel* panel = right ? right_ : left_;
        EdgePanel* other = right ? left_ : right_;
        connect(panel->loadButton(), &QPushButton::clicked, this,
                [this, right] { guarded(messages_, [&] { edgeLoadParaClick(right); }); });
        connect(panel->showParameterButton(), &QPushButton::clicked, this,
                [this, right] { guarded(messages_, [&] { showParameterClick(right); }); });
        // "Kopie" beside an edge's box copies that edge onto the other side.
        connect(panel->copyButton(), &QToolButton::clicked, this,
                [this, panel, other] { guarded(messages_, [&] { other->copyFrom(*panel); }); });
        panel->onSwitched = [this] { fillClicked(fill_->isChecked()); };
        panel->onSwitchedOnByUser = [this, right] { startVerge(right); };
    }
    connect(fill_, &QCheckBox::toggled, this, [this](bool on) { fillClicked(on); });

    // The fields without a reaction of their own and every check box are edits too: leaving
    // or clicking one is a step of the history.
    for (QLineEdit* field : content_->findChildren<QLineEdit*>()) {
        exits_->onLeave(field, [this] { history_->scheduleRecord(); });
    }
    for (QCheckBox* box : content_->findChildren<QCheckBox*>()) {
        connect(box, &QCheckBox::toggled, history_, &EditHistory::scheduleRecord);
    }
}

void TForm1::fillClicked(bool on) {
    fill_->setChecked(
        fillStaysOn(on, right_->enableBox()->isChecked(), left_->enableBox()->isChecked()));
}

void TForm1::fieldsToParameters() {
    for (const TextField& f : kTextFields) {
        params_.*f.member = toStd(findChild<QLineEdit*>(QString::fromLatin1(f.control))->text());
    }
    for (const CheckField& f : kCheckFields) {
        params_.*f.member = findChild<QCheckBox*>(QString::fromLatin1(f.control))->isChecked();
    }
    params_.fuellFlaecheErzeugen = fill_->isChecked();
}

void TForm1::showFields() {
    for (const TextField& f : kTextFields) {
        findChild<QLineEdit*>(QString::fromLatin1(f.control))->setText(toQt(params_.*f.member));
    }
    // The set holds what the boxes' reactions made of it already.
    for (const CheckField& f : kCheckFields) {
        auto* box = findChild<QCheckBox*>(QString::fromLatin1(f.control));
        const QSignalBlocker quiet(box);
        box->setChecked(params_.*f.member);
    }
}

void TForm1::showParameters() {
    showFields();
    {
        const QSignalBlocker quiet(fill_);
        fill_->setChecked(params_.fuellFlaecheErzeugen);
    }
    right_->showState();
    left_->showState();
    splines_->showPoint();
}

WindowState TForm1::captureState() {
    fieldsToParameters();
    return {params_, parameter1_->text(), parameter_->text(), roadFile_};
}

void TForm1::applyState(const WindowState& state, bool withFile) {
    // Every field is set from the state; none of them has anything to commit on the way.
    const FocusExits::Suspension quiet(*exits_);
    params_ = state.params;
    showParameters();
    if (!withFile) return;
    parameter1_->setText(state.caption);
    parameter_->setText(state.fileName);
    roadFile_ = state.roadFile;
}

QLineEdit* TForm1::fieldOf(const std::string& section, const std::string& key) {
    QLineEdit* found = nullptr;
    for (Scope scope : {Scope::Fields, Scope::Game}) {
        rows::forEach(scope, [&](const ParameterRow& row) {
            if (found || row.section != section || row.key != key) return;
            rows::visit(row, params_, [&](auto&& value) {
                for (const TextField& f : kTextFields) {
                    if (static_cast<const void*>(&(params_.*f.member)) == &value) {
                        found = findChild<QLineEdit*>(QString::fromLatin1(f.control));
                    }
                }
            });
        });
    }
    return found;
}

FailureText TForm1::describe(const TrassolinError& error) {
    if (const auto* field = dynamic_cast<const FieldConversionError*>(&error)) {
        return {describeField(field->field(), error.what()), field->field()};
    }
    // A run names the section and key of a field it could not read: the window names the
    // field itself.
    if (const auto* conversion = dynamic_cast<const ConversionError*>(&error);
        conversion && conversion->where.file.empty() && !conversion->where.key.empty()) {
        if (QLineEdit* field = fieldOf(conversion->where.section, conversion->where.key)) {
            return {describeField(field, error.what()), field};
        }
    }
    return {toQt(describeFailure(error)), nullptr};
}

QString TForm1::describeStep(const WindowState& before, const WindowState& after) {
    const auto difference = firstDifference(before.params, after.params);
    if (!difference) return QStringLiteral("Änderung");
    switch (difference->scope) {
    case Scope::AiLimits:
    case Scope::GameShapes:
        return QStringLiteral("Spiel");
    case Scope::Fields:
    case Scope::Game:
    case Scope::FillSwitch:
        // The member lies in `after`, which holds the same fields as the window.
        for (const TextField& f : kTextFields) {
            if (difference->member == &(after.params.*f.member)) {
                return fieldName(findChild<QLineEdit*>(QString::fromLatin1(f.control)));
            }
        }
        for (const CheckField& f : kCheckFields) {
            if (difference->member == &(after.params.*f.member)) {
                return findChild<QCheckBox*>(QString::fromLatin1(f.control))->text().trimmed();
            }
        }
        return fill_->text();
    case Scope::Edge:
    case Scope::EdgeOrigin:
    case Scope::Segment:
        return difference->profile->rightSide() ? QStringLiteral("Rechter Rand")
                                                : QStringLiteral("Linker Rand");
    case Scope::Splines:
    case Scope::SplinePoint:
        return QStringLiteral("Spline-Punkte");
    default:
        return QStringLiteral("Einstellungen");
    }
}

void TForm1::placeWindow() {
    // As large as the fields want, as far as the screen allows.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize fields = content_->sizeHint();
    const int line = fontMetrics().height();
    const int chrome = 40; // title bar and frame, which the window does not know before showing
    const int above = menuBar()->sizeHint().height() + top_->sizeHint().height() + 24;
    const int fieldsWidth = fields.width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24;
    // The preview beside the fields where the screen is wide enough for both, below them
    // otherwise: the three columns must not scroll sideways.
    const bool beside = available.width() - chrome / 2 >=
                        fieldsWidth + previewDock_->minimumSizeHint().width() + 8 * line;
    // Below, a quarter of the screen's height: a road's picture is wide rather than high.
    const int previewHeight = beside ? 0 : std::clamp(available.height() / 4, 8 * line, 16 * line);
    if (!beside) addDockWidget(Qt::BottomDockWidgetArea, previewDock_);
    preview_->setControlsInOneRow(!beside);
    const QSize wanted(fieldsWidth + (beside ? previewDock_->sizeHint().width() : 0),
                       above + fields.height() + 8 * line + 56 + previewHeight);
    resize(wanted.boundedTo(available.size() - QSize(chrome / 2, chrome)));
    // The fields first: the preview gets what is left, and at least its smallest size.
    if (beside) {
        resizeDocks({previewDock_},
                    {std::max(previewDock_->minimumSizeHint().width(), width() - fieldsWidth)},
                    Qt::Horizontal);
    } else {
        resizeDocks({previewDock_}, {previewHeight}, Qt::Vertical);
    }
    // A small screen gives the fields what the status log can spare: four lines stay.
    const int splitter = height() - above - previewHeight;
    const int log = std::clamp(splitter - fields.height(), 4 * line + 56, 8 * line + 56);
    split_->setSizes({splitter - log, log});
    move(kDesignPosition);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect frame = frameGeometry();
    QPoint place = kDesignPosition;
    if (screen.width() < place.x() + frame.width()) place.setX(1);
    if (screen.height() < place.y() + frame.height()) place.setY(1);
    move(place);

    WindowPosition stored;
    const auto folder = workingDirectory();
    if (!folder) return;
    try {
        preferencesRead_ = readPreferencesFile(params_.preferences, stored, *folder);
    } catch (const TrassolinError& e) {
        // A file that cannot be read at all: the start values are in force, the window stays.
        messages_.show(MessageKind::Error, e.what());
        return;
    }
    if (!preferencesRead_.found) return;
    // Every value that could be read is in force; the others are named once.
    if (!preferencesRead_.problems.empty()) {
        messages_.show(MessageKind::Error, preferencesRead_.problems);
    }
    const QPoint storedPlace(stored.left, stored.top);
    if (titleBarOnScreen(storedPlace, frame.width())) move(storedPlace);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // A run still going stops first; its documents stay as they were.
    if (running()) run_->cancelAndWait();
    // Nothing typed is lost by one click: the field being edited is committed, and unsaved
    // edits are offered for saving before the window goes.
    bool mayClose = true;
    guarded(messages_, [&] {
        leaveField();
        mayClose = mayDiscardRoad();
    });
    if (!mayClose) {
        event->ignore();
        return;
    }
    // Leaving the program must always work: a preferences file that cannot be written (a
    // read-only working directory) is reported once, and the window closes all the same.
    const auto folder = workingDirectory();
    try {
        if (!folder) {
            throw IoError("In " + std::string(kPreferencesFileName) +
                          " kann nicht geschrieben werden");
        }
        writePreferencesFile(params_.preferences, WindowPosition{y(), x()}, separator_, *folder,
                             preferencesRead_);
        recent_.write(*folder);
    } catch (const TrassolinError& e) {
        messages_.show(MessageKind::Error, e.what());
    }
    event->accept();
}

} // namespace trassolin::gui

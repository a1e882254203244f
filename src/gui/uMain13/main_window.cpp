#include "uMain13/main_window.h"

#include "common/focus_exits.h"
#include "common/system_locale.h"
#include "common/widgets.h"
#include "settings/preferences_file.h"
#include "uGlobal/errors.h"
#include "uGrafik/cross_section_window.h"
#include "uMain13/edge_panel.h"
#include "uMain13/edge_texture_group.h"
#include "uMain13/road_texture_group.h"
#include "uMain13/segment_editor.h"
#include "uMain13/spline_point_editor.h"
#include "uShowParameter/parameter_display.h"
#include "uSplinePreferences/preferences_dialog.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>
#include <QStyle>
#include <QVBoxLayout>

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

// A stored position from another monitor set-up must not put the title bar out of reach.
bool titleBarOnScreen(const QRect& frame) {
    const QRect titleBar(frame.topLeft(), QSize(frame.width(), 30));
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect visible = screen->availableGeometry().intersected(titleBar);
        if (visible.width() >= std::min(100, frame.width()) && visible.height() >= 10) return true;
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
    : QWidget(parent), presenter_(presenter), messages_(presenter, this),
      separator_(userDecimalSeparator()), exits_(new FocusExits(this)) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(QStringLiteral("Trassolin v1.64 by Norvik"));
    buildWindow();
    parametersToFields();
    connectReactions();

    // New profiles are switched off: both edges start hidden although their boxes are ticked
    // by design, and the end-face fill goes off with them.
    right_->showEdge();
    left_->showEdge();
    splines_->showPoint();
    placeWindow();

    prefs_ = new TFormPref(presenter_, separator_, this);
    grafik_ = new TForm2(presenter_, params_.rechterRand, params_.linkerRand, separator_, this);
    showParameter_ = new TfrmShowParameter(presenter_, this);
}

TForm1::~TForm1() = default;

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
    trafficGrid->addWidget(rightCurve, 1, 0);
    trafficGrid->addWidget(makeField(QStringLiteral("edtTrafficSplineRechts")), 1, 1);
    trafficGrid->addWidget(leftCurve, 2, 0);
    trafficGrid->addWidget(makeField(QStringLiteral("edtTrafficSplineLinks")), 2, 1);
    // What the game needs of the curves; off, the document is the one it always was.
    auto* reverse = makeCheckBox(QStringLiteral("cboGegenspurUmkehren"),
                                 QStringLiteral("Gegenspur umkehren"));
    reverse->setToolTip(QStringLiteral(
        "Der linke Spline läuft vom Ende zum Anfang der Straße (Rechtsverkehr)"));
    auto* aiRoad = makeCheckBox(QStringLiteral("cboKIStrassenspline"),
                                QStringLiteral("KI-Straßenspline"));
    aiRoad->setToolTip(QStringLiteral(
        "Splines in die Gruppe ShapeName_AI mit onCreate = AISystem.onCreateAIRoadSpline; "
        "jeder Spline erhält maxWidth (Breite seiner Spur)"));
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
    addRow(trafficGrid, 7, QStringLiteral("Tempo-Faktor"), speedScale);
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
    buttons->addStretch();
    auto* grafik = makePushButton(QStringLiteral("bbnGrafikSchnitt"),
                                  QStringLiteral("Grafik Schnitt"));
    grafik->setToolTip(
        QStringLiteral("Schnittzeichnung Straße und Ränder (Zrot noch nicht berücksichtigt)"));
    auto* preferences = makePushButton(QStringLiteral("bbnPreferences"),
                                       QStringLiteral("Einstellungen"));
    preferences->setToolTip(QStringLiteral("Steuerung der Feinheit der Unterteilungen"));
    buttons->addWidget(grafik);
    buttons->addWidget(preferences);
    buttons->addWidget(makePushButton(QStringLiteral("bbnInfo"), QStringLiteral("Info")));

    status_ = named(new QPlainTextEdit(QStringLiteral("mmoStatus")), QStringLiteral("mmoStatus"));
    status_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    status_->setMinimumHeight(120);

    // On a small screen or at a large scaling the fields scroll; the buttons and the status
    // log stay in view.
    content_ = new QWidget;
    auto* contentLayout = new QVBoxLayout(content_);
    contentLayout->setContentsMargins(0, 0, 0, 0);
    contentLayout->addWidget(buildTopRow());
    contentLayout->addLayout(columns);
    auto* scroll = new QScrollArea;
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content_);

    auto* lower = new QWidget;
    auto* lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addLayout(buttons);
    lowerLayout->addWidget(status_, 1);
    // The user may give the status log more room; a larger window gives it to the log.
    split_ = new QSplitter(Qt::Vertical);
    split_->setChildrenCollapsible(false);
    split_->addWidget(scroll);
    split_->addWidget(lower);
    split_->setStretchFactor(0, 0);
    split_->setStretchFactor(1, 1);

    auto* root = new QVBoxLayout(this);
    root->addWidget(split_);
}

QWidget* TForm1::buildTopRow() {
    auto* top = new QWidget;
    auto* grid = new QGridLayout(top);
    grid->setContentsMargins(0, 0, 0, 0);
    save_ = makePushButton(QStringLiteral("bbnSave"), QStringLiteral("i3d-File"));
    fileName_ = makeField(QStringLiteral("edtFileName"), QStringLiteral("edtFileName"));
    auto* shapeName = makeField(QStringLiteral("edtShapeName"));
    go_ = makePushButton(QStringLiteral("bbnGo"), QStringLiteral("Go"));
    go_->setEnabled(false);
    go_->setMinimumWidth(90);
    go_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    grid->addWidget(save_, 0, 0);
    grid->addWidget(fileName_, 0, 1);
    grid->addWidget(makeLabel(QStringLiteral("ShapeName"), shapeName), 1, 0);
    grid->addWidget(shapeName, 1, 1);
    grid->addWidget(go_, 0, 2, 2, 1);
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
    grid->addWidget(makeCheckBox(QStringLiteral("cboSchleppkurve"), QStringLiteral("Schleppkurve")),
                    1, 0);
    grid->addWidget(makeField(QStringLiteral("edtSchleppkurve")), 1, 1);
    grid->addWidget(makeCheckBox(QStringLiteral("cboSturz"), QStringLiteral("Kurvensturz")), 2, 0);
    grid->addWidget(makeField(QStringLiteral("edtSturz")), 2, 1);
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
    onClick("bbnGo", &TForm1::bbnGoClick);
    onClick("bbnSplinePtsOpen", &TForm1::bbnSplinePtsOpenClick);
    onClick("bbnSavePara", &TForm1::bbnSaveParaClick);
    onClick("bbnLoadPara", &TForm1::bbnLoadParaClick);
    onClick("bbnPreferences", &TForm1::bbnPreferencesClick);
    onClick("bbnGrafikSchnitt", &TForm1::bbnGrafikSchnittClick);
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
        panel->onSwitched = [this] {
            if (!right_->enableBox()->isChecked() || !left_->enableBox()->isChecked()) {
                fill_->setChecked(false);
            }
        };
    }
    connect(fill_, &QCheckBox::toggled, this, [this](bool on) { fillClicked(on); });
}

void TForm1::fillClicked(bool on) {
    if (on && (!right_->enableBox()->isChecked() || !left_->enableBox()->isChecked())) {
        fill_->setChecked(false);
    }
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

void TForm1::parametersToFields() {
    for (const TextField& f : kTextFields) {
        findChild<QLineEdit*>(QString::fromLatin1(f.control))->setText(toQt(params_.*f.member));
    }
    for (const CheckField& f : kCheckFields) {
        findChild<QCheckBox*>(QString::fromLatin1(f.control))->setChecked(params_.*f.member);
    }
}

void TForm1::placeWindow() {
    // As large as the fields want, as far as the screen allows.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize fields = content_->sizeHint();
    const int chrome = 40; // title bar and frame, which the window does not know before showing
    const QSize wanted(fields.width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24,
                       fields.height() + 8 * fontMetrics().height() + 80);
    resize(wanted.boundedTo(available.size() - QSize(chrome / 2, chrome)));
    split_->setSizes({fields.height(), 8 * fontMetrics().height()});
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
        if (!readPreferencesFile(params_.preferences, stored, *folder)) return;
    } catch (const TrassolinError& e) {
        // The values read before the faulty one are in force; the window stays where it is.
        messages_.show(MessageKind::Error, e.what());
        return;
    }
    const QPoint storedPlace(stored.left, stored.top);
    if (titleBarOnScreen(QRect(storedPlace, frame.size()))) move(storedPlace);
}

void TForm1::closeEvent(QCloseEvent* event) {
    // Leaving the program must always work: a preferences file that cannot be written (a
    // read-only working directory) is reported once, and the window closes all the same.
    const auto folder = workingDirectory();
    try {
        if (!folder) {
            throw IoError("In " + std::string(kPreferencesFileName) +
                          " kann nicht geschrieben werden");
        }
        writePreferencesFile(params_.preferences, WindowPosition{y(), x()}, separator_, *folder);
    } catch (const TrassolinError& e) {
        messages_.show(MessageKind::Error, e.what());
    }
    event->accept();
}

} // namespace trassolin::gui

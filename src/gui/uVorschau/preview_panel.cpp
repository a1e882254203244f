#include "uVorschau/preview_panel.h"

#include "common/widgets.h"
#include "uVorschau/preview_builder.h"
#include "uVorschau/preview_ground.h"
#include "uVorschau/preview_view.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include <iterator>

namespace trassolin::gui {

namespace {

// Stands where the view would be on a system without OpenGL.
class PreviewNote final : public QWidget {
public:
    explicit PreviewNote(QWidget* parent = nullptr) : QWidget(parent) {
        setMinimumSize(200, 100);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("Keine 3D-Ansicht: OpenGL ist auf diesem System nicht "
                                        "verfügbar"));
    }
};

QString counted(std::uint64_t n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
}

} // namespace

QString describeScene(const PreviewScene& scene) {
    QStringList parts;
    for (const PreviewPart& part : scene.parts) {
        parts << QStringLiteral("%1 %2").arg(toQt(part.name), counted(part.vertexCount, "Vertex", "Vertices"));
    }
    QString text = QStringLiteral("„%1“, %2 m: ").arg(toQt(scene.name)).arg(qRound64(scene.length));
    text += parts.isEmpty() ? QStringLiteral("keine Flächen") : parts.join(QStringLiteral(", "));
    text += QStringLiteral("; ") + counted(scene.curves.size(), "Verkehrsspline", "Verkehrssplines");
    text += QStringLiteral("; ") + counted(scene.controlPointCount, "Kontrollpunkt", "Kontrollpunkte");
    return text;
}

PreviewPanel::PreviewPanel(QWidget* parent)
    : QWidget(parent), builder_(new PreviewBuilder(this)) {
    setObjectName(QStringLiteral("pnlVorschau"));
    if (openGlAvailable()) {
        view_ = new PreviewView;
        display_ = QWidget::createWindowContainer(view_);
        display_->setMinimumSize(200, 100);
        display_->setFocusPolicy(Qt::StrongFocus);
        view_->onPointPicked = [this](std::uint32_t point) {
            if (onPointPicked) onPointPicked(point);
        };
        view_->onInitialized = [this] {
            if (view_->drawing()) {
                wireframe_->setEnabled(view_->wireframeAvailable());
            } else {
                say(QStringLiteral("Keine 3D-Ansicht: ") + view_->failure(), true);
            }
        };
    } else {
        display_ = new PreviewNote;
    }
    named(display_, QStringLiteral("Vorschau"));
    said_ = QStringLiteral("Noch keine Straße");
    display_->setAccessibleDescription(said_);

    reset_ = makePushButton(QStringLiteral("btnAnsichtZuruecksetzen"),
                            QStringLiteral("Ansicht zurücksetzen"));
    reset_->setToolTip(QStringLiteral("Die ganze Straße schräg von oben zeigen (Pos1)"));
    top_ = makePushButton(QStringLiteral("btnDraufsicht"), QStringLiteral("Draufsicht"));
    top_->setToolTip(QStringLiteral("Senkrecht von oben, +Z nach oben"));
    wireframe_ = makeCheckBox(QStringLiteral("cboDrahtgitter"), QStringLiteral("Drahtgitter"));
    curves_ = makeCheckBox(QStringLiteral("cboKurven"), QStringLiteral("Kurven"));
    curves_->setToolTip(QStringLiteral("Die Verkehrssplines als Linien"));
    points_ = makeCheckBox(QStringLiteral("cboKontrollpunkte"), QStringLiteral("Kontrollpunkte"));
    points_->setToolTip(
        QStringLiteral("Die Spline-Punkte als Punkte; ein Klick wählt den Punkt im Editor"));
    backFaces_ = makeCheckBox(QStringLiteral("cboRueckseiten"), QStringLiteral("Rückseiten"));
    backFaces_->setToolTip(
        QStringLiteral("Rückseiten in Magenta zeigen: verkehrt herum liegende Flächen fallen auf"));
    groundColours_ = makeCheckBox(QStringLiteral("cboGelaendeFarben"),
                                  QStringLiteral("Höhe über Gelände"));
    groundColours_->setToolTip(QStringLiteral(
        "Fahrbahn und Ränder nach ihrer Höhe über dem Gelände färben, das „Gelände“ gelesen hat"));
    groundColours_->setEnabled(false); // until a ground is known
    const PreviewSwitches start;
    wireframe_->setChecked(start.wireframe);
    curves_->setChecked(start.curves);
    points_->setChecked(start.controlPoints);
    backFaces_->setChecked(start.backFaces);

    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("lblVorschauStatus"));
    status_->setWordWrap(true);
    status_->setBuddy(display_);
    status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    legend_ = new QLabel;
    legend_->setObjectName(QStringLiteral("lblGelaendeLegende"));
    legend_->setWordWrap(true);
    legend_->setTextFormat(Qt::RichText);
    legend_->setBuddy(groundColours_);
    legend_->hide();

    controls_ = new QGridLayout;
    setControlsInOneRow(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(controls_);
    layout->addWidget(display_, 1);
    layout->addWidget(legend_);
    layout->addWidget(status_);

    if (view_ != nullptr) {
        connect(reset_, &QPushButton::clicked, view_, &PreviewView::resetView);
        connect(top_, &QPushButton::clicked, view_, &PreviewView::showTopView);
        for (QCheckBox* box : {wireframe_, curves_, points_, backFaces_, groundColours_}) {
            connect(box, &QCheckBox::toggled, this, [this] { switchesChanged(); });
        }
        wireframe_->setEnabled(false); // until the context says whether it can
    } else {
        for (QWidget* w : std::initializer_list<QWidget*>{reset_, top_, wireframe_, curves_,
                                                          points_, backFaces_}) {
            w->setEnabled(false);
        }
    }
    builder_->onBuilt = [this](quint64 generation, const PreviewBuildResult& result) {
        built(generation, result);
    };
}

PreviewPanel::~PreviewPanel() = default;

QSize PreviewPanel::sizeHint() const {
    return {80 * fontMetrics().averageCharWidth(), 40 * fontMetrics().lineSpacing()};
}

quint64 PreviewPanel::requestedGeneration() const { return builder_->requested(); }

quint64 PreviewPanel::shownGeneration() const {
    return view_ != nullptr ? view_->shownGeneration() : 0;
}

void PreviewPanel::showRoad(PreviewRequest request) {
    request.ground = ground_;
    builder_->request(std::move(request));
}

void PreviewPanel::setPaused(bool paused) {
    builder_->setPaused(paused);
    // The picture is of an earlier road until the build can go on.
    if (paused && builder_->busy()) {
        say(QStringLiteral("Vorschau nicht aktuell: sie folgt, sobald Go fertig ist"), false);
    }
}

bool PreviewPanel::idle() const { return !builder_->busy(); }

void PreviewPanel::setControlsInOneRow(bool oneRow) {
    QWidget* const order[] = {reset_, top_, wireframe_, curves_, points_, backFaces_, groundColours_};
    constexpr int kCount = static_cast<int>(std::size(order));
    for (QWidget* w : order) controls_->removeWidget(w);
    for (int i = 0; i < kCount; ++i) {
        if (oneRow) {
            controls_->addWidget(order[i], 0, i);
        } else if (i < 6) {
            // Two rows of three, so that the pane fits beside the fields of a smaller screen.
            controls_->addWidget(order[i], i / 3, i % 3);
        } else {
            controls_->addWidget(order[i], 2, 0, 1, 3);
        }
    }
    controls_->setColumnStretch(3, oneRow ? 0 : 1);
    controls_->setColumnStretch(kCount, oneRow ? 1 : 0);
}

void PreviewPanel::setGround(std::shared_ptr<const HeightMap> ground, double tolerance,
                             char decimalSeparator) {
    ground_ = std::move(ground);
    tolerance_ = tolerance;
    decimalSeparator_ = decimalSeparator;
    legend_->setText(clearanceLegend(tolerance, decimalSeparator));
    if (view_ == nullptr) return;
    view_->setClearanceScale(tolerance);
    groundColours_->setEnabled(true);
    groundColours_->setChecked(true); // what "Gelände" was asked for
    switchesChanged();
}

void PreviewPanel::forgetGround() {
    ground_.reset();
    groundColours_->setChecked(false);
    groundColours_->setEnabled(false);
    if (view_ != nullptr) switchesChanged();
}

void PreviewPanel::setSelection(int point, int rightSegment, int leftSegment) {
    if (view_ != nullptr) view_->setSelection(point, rightSegment, leftSegment);
}

void PreviewPanel::switchesChanged() {
    PreviewSwitches switches;
    switches.wireframe = wireframe_->isChecked();
    switches.curves = curves_->isChecked();
    switches.controlPoints = points_->isChecked();
    switches.backFaces = backFaces_->isChecked();
    switches.groundColours = ground_ && groundColours_->isChecked();
    view_->setSwitches(switches);
    legend_->setVisible(switches.groundColours);
    describeDisplay();
}

void PreviewPanel::built(quint64 generation, const PreviewBuildResult& result) {
    built_ = generation;
    if (!result.scene) {
        // The last picture stays; the line says why it is not the road of the fields.
        QString why = toQt(result.failure);
        if (describe && result.error) why = describe(result.error);
        say(QStringLiteral("Vorschau nicht aktuell: ") + why, true);
        return;
    }
    scene_ = result.scene;
    say(describeScene(*scene_), false);
    if (view_ == nullptr) return;
    view_->setScene(scene_, result.textures, generation);
    if (!framed_ || showsAnotherRoad(framedBox_, scene_->bounds)) {
        view_->resetView();
        framed_ = true;
        framedBox_ = scene_->bounds;
    }
}

void PreviewPanel::say(const QString& text, bool problem) {
    status_->setText(text);
    status_->setStyleSheet(problem ? QStringLiteral("color: #b00020;") : QString());
    said_ = text;
    describeDisplay();
}

void PreviewPanel::describeDisplay() {
    QString text = said_;
    if (view_ != nullptr && view_->switches().groundColours) {
        text += QStringLiteral("; ") + clearanceScaleText(tolerance_, decimalSeparator_);
    }
    display_->setAccessibleDescription(text);
}

} // namespace trassolin::gui

#pragma once

#include "uVorschau/preview_build.h"

#include <QWidget>

#include <exception>
#include <functional>
#include <memory>

class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;

namespace trassolin::gui {

class PreviewBuilder;
class PreviewView;

// The preview pane: the 3D view ("Vorschau"), "Ansicht zurücksetzen", "Draufsicht", the
// switches for wireframe, curves, control points, back faces and the colours of the height
// above the ground, a line that says what is shown or why the picture is not up to date,
// and the legend of those colours. Where OpenGL cannot be had (the offscreen
// platform), the pane still builds every road and says what it would show.
class PreviewPanel final : public QWidget {
public:
    explicit PreviewPanel(QWidget* parent = nullptr);
    ~PreviewPanel() override;

    // Wide enough for the road beside the fields of a large screen.
    QSize sizeHint() const override;

    // Builds the road in the background; the picture follows when the build is done, unless
    // a newer road came meanwhile. The view keeps its camera, except for the first road and
    // for a road that lies elsewhere or is of another size (another file): those are shown
    // whole.
    void showRoad(PreviewRequest request);
    // The selected control point (from 0) and segment of each verge; -1: none.
    void setSelection(int point, int rightSegment, int leftSegment);
    // See PreviewBuilder::setPaused.
    void setPaused(bool paused);
    // The buttons and switches in one row, for a pane below the fields, where height is
    // short and width is not; else in rows of three, for a pane beside them.
    void setControlsInOneRow(bool oneRow);
    // The ground every road shown from now on is measured against, and the tolerance of its
    // colours (m): "Höhe über Gelände" is offered and switched on. The road shown now is
    // coloured once it is shown anew (showRoad).
    void setGround(std::shared_ptr<const HeightMap> ground, double tolerance,
                   char decimalSeparator);
    // No ground: the switch is off and cannot be had.
    void forgetGround();
    bool knowsGround() const { return ground_ != nullptr; }

    // The view, or null where OpenGL cannot be had.
    PreviewView* view() const { return view_; }
    bool drawsPictures() const { return view_ != nullptr; }
    std::shared_ptr<const PreviewScene> scene() const { return scene_; }
    quint64 requestedGeneration() const;
    quint64 builtGeneration() const { return built_; }
    // No build runs or waits.
    bool idle() const;
    quint64 shownGeneration() const;

    // A click on a control point's dot.
    std::function<void(std::uint32_t point)> onPointPicked;
    // How the window words a failure of the build (a field named by its label); by default
    // the build's own words.
    std::function<QString(const std::exception_ptr& error)> describe;

private:
    void built(quint64 generation, const PreviewBuildResult& result);
    void switchesChanged();
    void say(const QString& text, bool problem);
    // The view's description: what `say` said and, with the ground's colours, their scale.
    void describeDisplay();

    PreviewBuilder* builder_;
    QWidget* display_;            // the view, or the note that stands in its place
    PreviewView* view_ = nullptr; // null without OpenGL
    QLabel* status_;
    QPushButton* reset_;
    QPushButton* top_;
    QCheckBox* wireframe_;
    QCheckBox* curves_;
    QCheckBox* points_;
    QCheckBox* backFaces_;
    QCheckBox* groundColours_;
    QLabel* legend_;
    QGridLayout* controls_;
    QString said_;
    std::shared_ptr<const HeightMap> ground_;
    double tolerance_ = 0.0;
    char decimalSeparator_ = ',';
    std::shared_ptr<const PreviewScene> scene_;
    quint64 built_ = 0;
    bool framed_ = false; // the camera was fitted to a road
    BoundingBox framedBox_;
};

// "Fahrbahn 633 Vertices, rechter Rand 1192 Vertices, …; 3 Verkehrssplines; 41 Kontrollpunkte":
// what the preview shows, for its accessible description and its status line.
QString describeScene(const PreviewScene& scene);

} // namespace trassolin::gui

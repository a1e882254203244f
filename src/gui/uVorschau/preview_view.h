#pragma once

#include "uVorschau/preview_camera.h"
#include "uVorschau/preview_scene.h"

#include <QImage>
#include <QOpenGLBuffer>
#include <QOpenGLFunctions>
#include <QOpenGLWindow>
#include <QPoint>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QOpenGLShaderProgram;
class QOpenGLTexture;
class QOpenGLVertexArrayObject;

namespace trassolin::gui {

// Whether this system can draw the preview: a platform that puts widgets on a screen and an
// OpenGL context that can be made current. The offscreen platform of the tests has none.
bool openGlAvailable();

// What the preview draws besides the surfaces.
struct PreviewSwitches {
    bool wireframe = false;
    bool curves = true;
    bool controlPoints = true;
    bool backFaces = false; // drawn in a colour of their own, so inside-out faces stand out
    // The road surface and the verges in the colour of their height above the ground, where
    // the scene has one (see setClearanceScale).
    bool groundColours = false;
};

// The road in 3D: the surfaces lit from the sky with their texture (or a checker where no
// picture was found), the traffic curves, the control points as dots. Left drag turns the
// view, right or middle drag (or Shift and left) moves it, the wheel zooms; a click on a
// dot picks that control point, a double click centres the view on the surface under the
// mouse. Arrow keys turn (with Shift: move), + and - zoom, Pos1 resets the view.
//
// A window of its own inside the main window (QWidget::createWindowContainer) rather than a
// QOpenGLWidget: an OpenGL widget has the whole main window composed through OpenGL, so that
// with software OpenGL every repaint of any field (a run's progress bar) cost 50 ms.
class PreviewView final : public QOpenGLWindow, protected QOpenGLFunctions {
public:
    PreviewView();
    ~PreviewView() override;

    // The scene to draw from now on, with one picture per material (null: the checker).
    void setScene(std::shared_ptr<const PreviewScene> scene, std::vector<QImage> textures,
                  quint64 generation);
    const std::shared_ptr<const PreviewScene>& scene() const { return scene_; }

    PreviewCamera& camera() { return camera_; }
    const PreviewCamera& camera() const { return camera_; }
    Viewport viewport() const;
    void resetView();
    void showTopView();

    void setSwitches(const PreviewSwitches& switches);
    // The tolerance (m) of the colours of the height above the ground (clearanceColour).
    void setClearanceScale(double tolerance);
    const PreviewSwitches& switches() const { return switches_; }
    // The selected control point (from 0) and the selected segment of each verge; -1: none.
    void setSelection(int point, int rightSegment, int leftSegment);

    // The shaders compiled and linked; false after an OpenGL failure (see `failure`).
    bool drawing() const { return ready_; }
    bool wireframeAvailable() const { return polygonMode_ != nullptr; }
    // The context is a core profile: the shaders speak GLSL 3.30 rather than 1.20.
    bool coreProfile() const { return core_; }
    QString failure() const { return failure_; }
    // The scene whose picture reached the screen last.
    quint64 shownGeneration() const { return shownGeneration_; }
    // The picture as it is drawn now, at the window's size and pixel ratio.
    QImage picture();

    std::function<void(std::uint32_t point)> onPointPicked;
    // Once the OpenGL context is there: whether it can draw (`drawing`) and with what.
    std::function<void()> onInitialized;

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void upload();
    void releaseGl();
    void drawSurfaces(const std::array<float, 16>& mvp);
    void drawLines(const std::array<float, 16>& mvp);

    std::shared_ptr<const PreviewScene> scene_;
    std::vector<QImage> pictures_;
    quint64 generation_ = 0, drawnGeneration_ = 0, shownGeneration_ = 0;
    bool dirty_ = false;
    PreviewCamera camera_;
    PreviewSwitches switches_;
    int selectedPoint_ = -1, rightSegment_ = -1, leftSegment_ = -1;

    bool ready_ = false;
    QString failure_;
    bool core_ = false;
    void(QOPENGLF_APIENTRYP polygonMode_)(GLenum face, GLenum mode) = nullptr;
    std::unique_ptr<QOpenGLShaderProgram> surfaces_, lines_;
    std::unique_ptr<QOpenGLVertexArrayObject> vao_;
    QOpenGLBuffer vertices_{QOpenGLBuffer::VertexBuffer};
    QOpenGLBuffer indices_{QOpenGLBuffer::IndexBuffer};
    QOpenGLBuffer points_{QOpenGLBuffer::VertexBuffer};
    std::vector<std::unique_ptr<QOpenGLTexture>> textures_; // one per material
    std::unique_ptr<QOpenGLTexture> checker_;
    std::unique_ptr<QOpenGLTexture> clearanceScale_; // made anew when the tolerance changes
    double tolerance_ = 0.1;
    bool scaleChanged_ = false;

    QPoint pressedAt_, lastAt_;
    bool dragged_ = false;
    // The camera shows the whole road as "Ansicht zurücksetzen" put it, and keeps doing so as
    // the pane changes its size, until the user moves it.
    bool fitted_ = false;
};

} // namespace trassolin::gui

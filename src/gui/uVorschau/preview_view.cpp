#include "uVorschau/preview_view.h"

#include "uVorschau/preview_ground.h"
#include "uVorschau/preview_picking.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QOffscreenSurface>
#include <QOpenGLFramebufferObject>
#include <QOpenGLContext>
#include <QOpenGLShaderProgram>
#include <QOpenGLTexture>
#include <QOpenGLVertexArrayObject>
#include <QWheelEvent>

#include <cmath>
#include <cstddef>

namespace trassolin::gui {

namespace {

// Not in every OpenGL header: the shader sets the dots' size.
constexpr GLenum kProgramPointSize = 0x8642;
constexpr GLenum kLine = 0x1B01;
constexpr GLenum kFill = 0x1B02;

// How far the mouse may move between press and release for a click (logical pixels).
constexpr int kClickSlack = 4;
constexpr double kPickRadius = 8.0;

constexpr float kSky[3] = {0.69f, 0.80f, 0.90f};

// Both GLSL dialects from one text: 1.20 for OpenGL 2.1 and compatibility contexts, 3.30 core
// for core profiles (macOS, some drivers).
QByteArray shaderSource(bool core, bool fragment, const char* body) {
    QByteArray text = core ? "#version 330 core\n" : "#version 120\n";
    if (core) {
        text += fragment ? "#define varying in\nout vec4 fragmentColour;\n"
                           "#define FRAGMENT_COLOUR fragmentColour\n#define TEXTURE texture\n"
                         : "#define attribute in\n#define varying out\n";
    } else {
        text += "#define FRAGMENT_COLOUR gl_FragColor\n#define TEXTURE texture2D\n";
    }
    return text + body;
}

const char* const kSurfaceVertex = R"(
uniform mat4 mvp;
attribute vec3 position;
attribute vec3 normal;
attribute vec2 uv;
attribute float profilePoint;
attribute float clearance;
attribute float grounded;
varying vec3 vNormal;
varying vec2 vUv;
varying float vProfilePoint;
varying float vClearance;
varying float vGrounded;
void main() {
    vNormal = normal;
    vUv = uv;
    vProfilePoint = profilePoint;
    vClearance = clearance;
    vGrounded = grounded;
    gl_Position = mvp * vec4(position, 1.0);
}
)";

// Lit from the sky; a back face in magenta; the selected verge segment in orange (segment s
// lies between profile points s - 1 and s; segment 0, the origin, as a band along the road).
// With the ground's colours, the height above the ground is read from the scale picture
// (clearanceScalePicture) per fragment, so that a triangle whose corners lie above and below
// shows the neutral band where it crosses the ground; a triangle reaching beyond the map
// keeps its normal look.
const char* const kSurfaceFragment = R"(
uniform sampler2D picture;
uniform sampler2D clearanceScale;
uniform float scaleEnd;
uniform float byGround;
uniform vec3 tint;
uniform vec3 light;
uniform float segment;
varying vec3 vNormal;
varying vec2 vUv;
varying float vProfilePoint;
varying float vClearance;
varying float vGrounded;
void main() {
    if (!gl_FrontFacing) {
        FRAGMENT_COLOUR = vec4(0.85, 0.10, 0.75, 1.0);
        return;
    }
    float lit = 0.45 + 0.55 * max(dot(normalize(vNormal), light), 0.0);
    vec3 colour = tint * TEXTURE(picture, vUv).rgb;
    if (byGround > 0.5 && vGrounded > 0.999) {
        colour = TEXTURE(clearanceScale, vec2(0.5 + 0.5 * vClearance / scaleEnd, 0.5)).rgb;
    }
    if (segment >= 0.0 && vProfilePoint >= 0.0) {
        bool selected = segment == 0.0
            ? vProfilePoint < 0.15
            : vProfilePoint > segment - 1.001 && vProfilePoint < segment + 0.001;
        if (selected) colour = mix(colour, vec3(1.0, 0.55, 0.0), 0.7);
    }
    FRAGMENT_COLOUR = vec4(colour * lit, 1.0);
}
)";

const char* const kLineVertex = R"(
uniform mat4 mvp;
uniform float pointSize;
attribute vec3 position;
void main() {
    gl_Position = mvp * vec4(position, 1.0);
    gl_PointSize = pointSize;
}
)";

const char* const kLineFragment = R"(
uniform vec3 colour;
void main() {
    FRAGMENT_COLOUR = vec4(colour, 1.0);
}
)";

QVector3D tintOf(PartKind kind) {
    switch (kind) {
    case PartKind::RoadSurface:
        return {0.58f, 0.58f, 0.60f};
    case PartKind::RightVerge:
    case PartKind::LeftVerge:
        return {0.45f, 0.62f, 0.30f};
    default:
        return {0.62f, 0.47f, 0.33f};
    }
}

QVector3D colourOf(CurveKind kind) {
    switch (kind) {
    case CurveKind::Middle:
        return {1.0f, 0.85f, 0.1f};
    case CurveKind::Right:
        return {0.95f, 0.35f, 0.1f};
    default:
        return {0.15f, 0.45f, 1.0f};
    }
}

// One texture repeat: 8 × 8 light and darker squares, and a dark line where a repeat starts
// (v = 0), so that the direction and the seams of the texture can be seen.
QImage checkerPicture() {
    constexpr int kSize = 64, kCell = kSize / 8;
    QImage image(kSize, kSize, QImage::Format_RGBA8888);
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            int grey = ((x / kCell + y / kCell) % 2 == 0) ? 255 : 205;
            if (y < 2) grey = 120;
            image.setPixel(x, y, qRgba(grey, grey, grey, 255));
        }
    }
    return image;
}

std::unique_ptr<QOpenGLTexture> makeTexture(const QImage& picture) {
    auto texture = std::make_unique<QOpenGLTexture>(picture, QOpenGLTexture::GenerateMipMaps);
    texture->setWrapMode(QOpenGLTexture::Repeat);
    texture->setMinificationFilter(QOpenGLTexture::LinearMipMapLinear);
    texture->setMagnificationFilter(QOpenGLTexture::Linear);
    return texture;
}

std::array<float, 16> toFloats(const Mat4& m) {
    std::array<float, 16> f{};
    for (std::size_t i = 0; i < 16; ++i) f[i] = static_cast<float>(m[i]);
    return f;
}

} // namespace

bool openGlAvailable() {
    static const bool available = [] {
        // These platforms draw widgets into memory only; an OpenGL widget cannot live there.
        const QString platform = QGuiApplication::platformName();
        for (const char* memoryOnly : {"offscreen", "minimal", "vnc", "linuxfb"}) {
            if (platform == QLatin1String(memoryOnly)) return false;
        }
        QOpenGLContext context;
        if (!context.create()) return false;
        QOffscreenSurface surface;
        surface.setFormat(context.format());
        surface.create();
        const bool current = surface.isValid() && context.makeCurrent(&surface);
        if (current) context.doneCurrent();
        return current;
    }();
    return available;
}

PreviewView::PreviewView() {
    QSurfaceFormat format = QSurfaceFormat::defaultFormat();
    format.setDepthBufferSize(24);
    format.setSamples(4);
    setFormat(format);
    connect(this, &QOpenGLWindow::frameSwapped, this, [this] { shownGeneration_ = drawnGeneration_; });
}

PreviewView::~PreviewView() {
    if (isValid()) {
        makeCurrent();
        releaseGl();
        doneCurrent();
    }
}

QImage PreviewView::picture() {
    if (!isValid() || !ready_) return {};
    makeCurrent();
    const QSize size = (QSizeF(viewport().width, viewport().height) * devicePixelRatio()).toSize();
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::Depth);
    QOpenGLFramebufferObject target(size, format);
    target.bind();
    paintGL();
    target.release();
    QImage image = target.toImage();
    image.setDevicePixelRatio(devicePixelRatio());
    doneCurrent();
    return image;
}

void PreviewView::setScene(std::shared_ptr<const PreviewScene> scene, std::vector<QImage> textures,
                           quint64 generation) {
    scene_ = std::move(scene);
    pictures_ = std::move(textures);
    generation_ = generation;
    dirty_ = true;
    update();
}

Viewport PreviewView::viewport() const {
    return {static_cast<double>(std::max(1, width())), static_cast<double>(std::max(1, height()))};
}

void PreviewView::resetView() {
    if (scene_) camera_.fit(scene_->bounds, viewport(), scene_->mainDirection);
    fitted_ = true;
    update();
}

void PreviewView::showTopView() {
    camera_.topView();
    fitted_ = false;
    update();
}

void PreviewView::resizeGL(int, int) {
    if (fitted_) resetView();
}

void PreviewView::setSwitches(const PreviewSwitches& switches) {
    switches_ = switches;
    update();
}

void PreviewView::setClearanceScale(double tolerance) {
    if (tolerance == tolerance_) return;
    tolerance_ = tolerance;
    scaleChanged_ = true; // the picture is made anew at the next paint, in the context
    update();
}

void PreviewView::setSelection(int point, int rightSegment, int leftSegment) {
    selectedPoint_ = point;
    rightSegment_ = rightSegment;
    leftSegment_ = leftSegment;
    update();
}

void PreviewView::initializeGL() {
    initializeOpenGLFunctions();
    // The context goes when the widget moves to another window (the dock floats): what
    // lived in it goes with it, and the next paint uploads the scene again.
    connect(context(), &QOpenGLContext::aboutToBeDestroyed, this, [this] {
        makeCurrent();
        releaseGl();
        doneCurrent();
    });
    core_ = context()->format().profile() == QSurfaceFormat::CoreProfile;
    polygonMode_ = context()->isOpenGLES()
                       ? nullptr
                       : reinterpret_cast<decltype(polygonMode_)>(
                             context()->getProcAddress("glPolygonMode"));

    surfaces_ = std::make_unique<QOpenGLShaderProgram>();
    lines_ = std::make_unique<QOpenGLShaderProgram>();
    ready_ = surfaces_->addShaderFromSourceCode(QOpenGLShader::Vertex,
                                                shaderSource(core_, false, kSurfaceVertex)) &&
             surfaces_->addShaderFromSourceCode(QOpenGLShader::Fragment,
                                                shaderSource(core_, true, kSurfaceFragment)) &&
             surfaces_->link() &&
             lines_->addShaderFromSourceCode(QOpenGLShader::Vertex,
                                             shaderSource(core_, false, kLineVertex)) &&
             lines_->addShaderFromSourceCode(QOpenGLShader::Fragment,
                                             shaderSource(core_, true, kLineFragment)) &&
             lines_->link();
    if (!ready_) {
        failure_ = surfaces_->log().isEmpty() ? lines_->log() : surfaces_->log();
        if (onInitialized) onInitialized();
        return;
    }
    vao_ = std::make_unique<QOpenGLVertexArrayObject>();
    vao_->create();
    vertices_.create();
    indices_.create();
    points_.create();
    checker_ = makeTexture(checkerPicture());
    dirty_ = true;
    if (onInitialized) onInitialized();
}

void PreviewView::releaseGl() {
    textures_.clear();
    checker_.reset();
    clearanceScale_.reset();
    vertices_.destroy();
    indices_.destroy();
    points_.destroy();
    vao_.reset();
    surfaces_.reset();
    lines_.reset();
    ready_ = false;
}

void PreviewView::upload() {
    dirty_ = false;
    const PreviewScene& scene = *scene_;
    vertices_.bind();
    vertices_.allocate(scene.vertices.data(),
                       static_cast<int>(scene.vertices.size() * sizeof(PreviewVertex)));
    indices_.bind();
    indices_.allocate(scene.triangles.data(),
                      static_cast<int>(scene.triangles.size() * sizeof(std::uint32_t)));
    points_.bind();
    points_.allocate(scene.points.data(),
                     static_cast<int>(scene.points.size() * sizeof(std::array<float, 3>)));
    textures_.clear();
    for (std::size_t i = 0; i < scene.textures.size(); ++i) {
        const bool found = i < pictures_.size() && !pictures_[i].isNull();
        textures_.push_back(found ? makeTexture(pictures_[i]) : nullptr);
    }
}

void PreviewView::paintGL() {
    glViewport(0, 0, static_cast<GLsizei>(std::lround(viewport().width * devicePixelRatio())),
               static_cast<GLsizei>(std::lround(viewport().height * devicePixelRatio())));
    glClearColor(kSky[0], kSky[1], kSky[2], 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!ready_ || !scene_) return;
    if (dirty_) upload();
    const QOpenGLVertexArrayObject::Binder boundVao(vao_.get());
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    const auto mvp = toFloats(camera_.viewProjection(viewport(), scene_->origin));
    drawSurfaces(mvp);
    drawLines(mvp);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    drawnGeneration_ = generation_;
}

void PreviewView::drawSurfaces(const std::array<float, 16>& mvp) {
    QOpenGLShaderProgram& program = *surfaces_;
    program.bind();
    program.setUniformValue("mvp", QMatrix4x4(mvp.data()).transposed());
    program.setUniformValue("light", QVector3D(0.35f, 1.0f, 0.25f).normalized());
    program.setUniformValue("picture", 0);
    program.setUniformValue("clearanceScale", 1);
    program.setUniformValue("scaleEnd", static_cast<float>(clearanceScaleEnd(tolerance_)));
    program.setUniformValue("byGround", switches_.groundColours ? 1.0f : 0.0f);
    if (switches_.groundColours) {
        if (!clearanceScale_ || scaleChanged_) {
            scaleChanged_ = false;
            // Blended between neighbouring heights; beyond its ends, the ends' colours.
            clearanceScale_ = std::make_unique<QOpenGLTexture>(clearanceScalePicture(tolerance_),
                                                               QOpenGLTexture::DontGenerateMipMaps);
            clearanceScale_->setWrapMode(QOpenGLTexture::ClampToEdge);
            clearanceScale_->setMinMagFilters(QOpenGLTexture::Linear, QOpenGLTexture::Linear);
        }
        glActiveTexture(GL_TEXTURE1);
        clearanceScale_->bind();
    }
    if (switches_.backFaces) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
    }
    vertices_.bind();
    indices_.bind();
    const int stride = sizeof(PreviewVertex);
    program.enableAttributeArray("position");
    program.setAttributeBuffer("position", GL_FLOAT, offsetof(PreviewVertex, position), 3, stride);
    program.enableAttributeArray("normal");
    program.setAttributeBuffer("normal", GL_FLOAT, offsetof(PreviewVertex, normal), 3, stride);
    program.enableAttributeArray("uv");
    program.setAttributeBuffer("uv", GL_FLOAT, offsetof(PreviewVertex, uv), 2, stride);
    program.enableAttributeArray("profilePoint");
    program.setAttributeBuffer("profilePoint", GL_FLOAT, offsetof(PreviewVertex, profilePoint), 1,
                               stride);
    program.enableAttributeArray("clearance");
    program.setAttributeBuffer("clearance", GL_FLOAT, offsetof(PreviewVertex, clearance), 1, stride);
    program.enableAttributeArray("grounded");
    program.setAttributeBuffer("grounded", GL_FLOAT, offsetof(PreviewVertex, grounded), 1, stride);
    // Lines and dots on the surfaces win the depth test.
    glEnable(GL_POLYGON_OFFSET_FILL);
    glPolygonOffset(1.0f, 1.0f);
    glActiveTexture(GL_TEXTURE0);
    for (const PreviewPart& part : scene_->parts) {
        QOpenGLTexture* picture =
            part.material < textures_.size() ? textures_[part.material].get() : nullptr;
        (picture != nullptr ? picture : checker_.get())->bind();
        program.setUniformValue("tint", picture != nullptr ? QVector3D(1, 1, 1) : tintOf(part.kind));
        const int segment = part.kind == PartKind::RightVerge  ? rightSegment_
                            : part.kind == PartKind::LeftVerge ? leftSegment_
                                                               : -1;
        program.setUniformValue("segment", static_cast<float>(segment));
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(part.indexCount), GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(std::size_t{part.firstIndex} * 4));
    }
    glDisable(GL_POLYGON_OFFSET_FILL);
    for (const char* name : {"position", "normal", "uv", "profilePoint", "clearance", "grounded"}) {
        program.disableAttributeArray(name);
    }
    program.release();
}

void PreviewView::drawLines(const std::array<float, 16>& mvp) {
    QOpenGLShaderProgram& program = *lines_;
    program.bind();
    program.setUniformValue("mvp", QMatrix4x4(mvp.data()).transposed());
    program.setUniformValue("pointSize", 1.0f);
    program.enableAttributeArray("position");
    if (switches_.wireframe && polygonMode_ != nullptr) {
        vertices_.bind();
        indices_.bind();
        program.setAttributeBuffer("position", GL_FLOAT, offsetof(PreviewVertex, position), 3,
                                   sizeof(PreviewVertex));
        program.setUniformValue("colour", QVector3D(0.12f, 0.12f, 0.15f));
        polygonMode_(GL_FRONT_AND_BACK, kLine);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(scene_->triangles.size()),
                       GL_UNSIGNED_INT, nullptr);
        polygonMode_(GL_FRONT_AND_BACK, kFill);
    }
    glDisable(GL_CULL_FACE);
    points_.bind();
    program.setAttributeBuffer("position", GL_FLOAT, 0, 3, sizeof(std::array<float, 3>));
    if (switches_.curves) {
        for (const PreviewCurve& curve : scene_->curves) {
            program.setUniformValue("colour", colourOf(curve.kind));
            glDrawArrays(GL_LINE_STRIP, static_cast<GLint>(curve.first),
                         static_cast<GLsizei>(curve.count));
        }
    }
    if (switches_.controlPoints && scene_->controlPointCount > 0) {
        if (!context()->isOpenGLES()) glEnable(kProgramPointSize);
        const auto ratio = static_cast<float>(devicePixelRatio());
        program.setUniformValue("pointSize", 7.0f * ratio);
        program.setUniformValue("colour", QVector3D(0.85f, 0.1f, 0.1f));
        glDrawArrays(GL_POINTS, static_cast<GLint>(scene_->firstControlPoint),
                     static_cast<GLsizei>(scene_->controlPointCount));
        if (selectedPoint_ >= 0 &&
            static_cast<std::uint32_t>(selectedPoint_) < scene_->controlPointCount) {
            // The selected point in front of everything.
            glDisable(GL_DEPTH_TEST);
            program.setUniformValue("pointSize", 13.0f * ratio);
            program.setUniformValue("colour", QVector3D(1.0f, 0.95f, 0.2f));
            glDrawArrays(GL_POINTS,
                         static_cast<GLint>(scene_->firstControlPoint) + selectedPoint_, 1);
            glEnable(GL_DEPTH_TEST);
        }
    }
    program.disableAttributeArray("position");
    program.release();
}

void PreviewView::mousePressEvent(QMouseEvent* event) {
    fitted_ = false;
    pressedAt_ = lastAt_ = event->position().toPoint();
    dragged_ = false;
    event->accept();
}

void PreviewView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const QPoint step = at - lastAt_;
    lastAt_ = at;
    if ((at - pressedAt_).manhattanLength() > kClickSlack) dragged_ = true;
    const bool pan = (event->buttons() & (Qt::RightButton | Qt::MiddleButton)) ||
                     ((event->buttons() & Qt::LeftButton) && (event->modifiers() & Qt::ShiftModifier));
    if (pan) {
        camera_.pan(step.x(), step.y(), viewport());
    } else if (event->buttons() & Qt::LeftButton) {
        camera_.orbit(step.x(), step.y());
    } else {
        return;
    }
    update();
}

void PreviewView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || dragged_ || !scene_ || !switches_.controlPoints) return;
    const QPointF at = event->position();
    if (const auto point = pickControlPoint(*scene_, camera_, viewport(), at.x(), at.y(), kPickRadius)) {
        if (onPointPicked) onPointPicked(*point);
    }
}

void PreviewView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!scene_) return;
    const QPointF at = event->position();
    if (const auto hit = pickSurface(*scene_, camera_.rayThrough(at.x(), at.y(), viewport()))) {
        camera_.lookAt(*hit, camera_.distance());
        update();
    }
}

void PreviewView::wheelEvent(QWheelEvent* event) {
    fitted_ = false;
    camera_.zoom(event->angleDelta().y() / 120.0);
    update();
    event->accept();
}

void PreviewView::keyPressEvent(QKeyEvent* event) {
    constexpr double kStep = 40.0; // as a drag of that many pixels
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const auto turnOrMove = [&](double dx, double dy) {
        if (shift) {
            camera_.pan(dx, dy, viewport());
        } else {
            camera_.orbit(dx, dy);
        }
    };
    switch (event->key()) {
    case Qt::Key_Left:
        turnOrMove(-kStep, 0);
        break;
    case Qt::Key_Right:
        turnOrMove(kStep, 0);
        break;
    case Qt::Key_Up:
        turnOrMove(0, -kStep);
        break;
    case Qt::Key_Down:
        turnOrMove(0, kStep);
        break;
    case Qt::Key_Plus:
        camera_.zoom(1);
        break;
    case Qt::Key_Minus:
        camera_.zoom(-1);
        break;
    case Qt::Key_Home:
        resetView();
        return;
    default:
        QOpenGLWindow::keyPressEvent(event);
        return;
    }
    fitted_ = false;
    update();
}

} // namespace trassolin::gui

#include "uGrafik/cross_section_window.h"

#include "common/focus_exits.h"
#include "common/presenter.h"
#include "common/widgets.h"
#include "uGlobal/cross_section.h"
#include "uGlobal/rand_punkte.h"
#include "uMain13/segment_editor.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace trassolin::gui {

namespace {

// The core's drawing surface on a QPainter: plain pixels, no antialiasing, so every point
// lies exactly where the cross-section's mapping puts it.
class PainterCanvas final : public Canvas {
public:
    PainterCanvas(QPainter& painter, QRect area) : painter_(painter), area_(area) {
        painter_.setRenderHint(QPainter::Antialiasing, false);
    }
    void fill(Colour colour) override { painter_.fillRect(area_, toQColor(colour)); }
    void setPen(Colour colour, int width) override {
        painter_.setPen(QPen(toQColor(colour), width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    }
    void moveTo(int x, int y) override { position_ = QPoint(x, y); }
    void lineTo(int x, int y) override {
        const QPoint to(x, y);
        painter_.drawLine(position_, to);
        position_ = to;
    }

private:
    static QColor toQColor(Colour c) { return QColor(c.r, c.g, c.b); }

    QPainter& painter_;
    QRect area_;
    QPoint position_;
};

} // namespace

void renderCrossSection(QImage& image, const TRandPunkte& right, const TRandPunkte& left,
                        double roadWidth, bool undistorted) {
    QPainter painter(&image);
    PainterCanvas canvas(painter, image.rect());
    drawCrossSection(canvas, image.width(), image.height(), right, left, roadWidth, undistorted);
}

DrawingArea::DrawingArea(QWidget* parent) : QWidget(parent) {
    named(this, QStringLiteral("Zeichnung"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setMinimumSize(100, 60);
}

void DrawingArea::redraw() {
    image_ = QImage(size(), QImage::Format_RGB32);
    image_.fill(Qt::white);
    if (render) {
        try {
            render(image_);
        } catch (const std::exception& e) {
            image_.fill(Qt::white);
            if (onError) onError(QString::fromUtf8(e.what()));
        }
    }
    update();
}

void DrawingArea::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, image_);
}

void DrawingArea::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) redraw();
}

TForm2::TForm2(Presenter& presenter, TRandPunkte& right, TRandPunkte& left,
               char decimalSeparator, QWidget* parent)
    : QDialog(parent), presenter_(presenter), rightProfile_(right), leftProfile_(left),
      messages_(presenter, this) {
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(QStringLiteral("Schnitt-Grafik"));
    exits_ = new FocusExits(this);

    auto* panel = new QWidget;
    panel->setToolTip(QStringLiteral("Änderungen hier bestätigen "));
    auto* ok = named(new QPushButton(QStringLiteral("OK")), QStringLiteral("bbnOK"));
    ok->setAutoDefault(false);
    undistorted_ = makeCheckBox(QStringLiteral("cboUnverzerrt"), QStringLiteral("unverzerrt"));
    auto* redrawButton = makePushButton(QStringLiteral("btnNeuZeichnen"),
                                        QStringLiteral("neu zeichnen"));
    SegmentEditorOptions options;
    options.commitOnGroupExit = false; // here every field commits on its own
    options.right = false;
    left_ = new SegmentEditor(left, messages_, *exits_, decimalSeparator, options);
    options.right = true;
    right_ = new SegmentEditor(right, messages_, *exits_, decimalSeparator, options);

    auto* commands = new QVBoxLayout;
    commands->addWidget(ok);
    commands->addWidget(undistorted_);
    commands->addWidget(redrawButton);
    commands->addStretch();
    auto* top = new QHBoxLayout(panel);
    top->setContentsMargins(0, 0, 0, 0);
    top->addLayout(commands);
    top->addWidget(left_, 1, Qt::AlignTop);
    top->addWidget(right_, 1, Qt::AlignTop);

    view_ = new DrawingArea;
    view_->render = [this](QImage& image) {
        renderCrossSection(image, rightProfile_, leftProfile_, roadWidth_,
                           undistorted_->isChecked());
    };
    view_->onError = [this](const QString& text) {
        // Not from inside a paint: the box comes once the drawing is done.
        QMetaObject::invokeMethod(
            this, [this, text] { messages_.show(MessageKind::Error, toStd(text)); },
            Qt::QueuedConnection);
    };

    auto* root = new QVBoxLayout(this);
    root->addWidget(panel);
    root->addWidget(view_, 1);
    resize(941, 503);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(redrawButton, &QPushButton::clicked, view_, &DrawingArea::redraw);
    connect(undistorted_, &QCheckBox::toggled, view_, &DrawingArea::redraw);
}

void TForm2::showFor(double roadWidth) {
    roadWidth_ = roadWidth;
    presenter_.execModal(*this);
}

void TForm2::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    right_->setVisible(rightProfile_.enabled);
    left_->setVisible(leftProfile_.enabled);
    guarded(messages_, [this] {
        if (rightProfile_.enabled) right_->showSegment();
        if (leftProfile_.enabled) left_->showSegment();
    });
    view_->redraw();
}

} // namespace trassolin::gui

#pragma once

#include "common/presenter.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QCheckBox;

namespace trassolin {
class TRandPunkte;
} // namespace trassolin

namespace trassolin::gui {

class FocusExits;
class SegmentEditor;

// The drawing area ("Zeichnung"). It shows the image of the last draw: editing a segment
// changes the drawing only when it is drawn again ("neu zeichnen", "unverzerrt", a resize).
class DrawingArea final : public QWidget {
public:
    explicit DrawingArea(QWidget* parent = nullptr);
    // Draws into an image of the area's size; an error leaves the background white and is
    // handed to `onError`.
    void redraw();
    const QImage& image() const { return image_; }

    std::function<void(QImage&)> render;
    std::function<void(const QString&)> onError;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QImage image_;
};

// Renders the cross-section of the road and both profiles into `image` (its whole area).
void renderCrossSection(QImage& image, const TRandPunkte& right, const TRandPunkte& left,
                        double roadWidth, bool undistorted);

// The cross-section graphic ("Schnitt-Grafik"): the road and both edge profiles as one
// section, with the segment editors of both sides beside it. It works on the main window's
// profiles, so every edit here is an edit of those.
class TForm2 final : public QDialog {
public:
    TForm2(Presenter& presenter, TRandPunkte& right, TRandPunkte& left, char decimalSeparator,
           QWidget* parent = nullptr);

    // Shows the window modally for a road of width `roadWidth` (m).
    void showFor(double roadWidth);

    DrawingArea& drawing() const { return *view_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    Presenter& presenter_;
    TRandPunkte& rightProfile_;
    TRandPunkte& leftProfile_;
    PresenterMessageSink messages_;
    FocusExits* exits_;
    double roadWidth_ = 0.0;
    SegmentEditor* right_;
    SegmentEditor* left_;
    QCheckBox* undistorted_;
    DrawingArea* view_;
};

} // namespace trassolin::gui

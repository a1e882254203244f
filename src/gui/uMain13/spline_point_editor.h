#pragma once

#include <QGroupBox>

#include <array>

class QLineEdit;
class QPushButton;
class QSpinBox;
class QToolButton;

namespace trassolin {
class TSplinePunkte;
} // namespace trassolin

namespace trassolin::gui {

class PresenterMessageSink;
class FocusExits;

// The spline point editor ("Spline-Punkte: N"): the current control point's position and
// rotations, the spin edit that chooses it, insert, delete and append, and the import button.
class SplinePointEditor final : public QGroupBox {
public:
    SplinePointEditor(TSplinePunkte& points, PresenterMessageSink& messages, FocusExits& exits,
                      char decimalSeparator, QWidget* parent = nullptr);

    // Commit point, then select (`sedSplinePtsNrChange`). With no points there is nothing to
    // commit and nothing to show.
    void commitThenSelect();
    // Show point (`SplineAnzeigen`).
    void showPoint();
    // Sets the spin edit (1-based); a change of the shown number commits and selects.
    void selectPoint(int number);
    void insertPoint();
    void appendPoint();
    void deletePoint();
    // "Richtungen berechnen": heading and climb of every point from its neighbours.
    void computeDirections();

    QSpinBox* spin() const { return spin_; }

private:
    int clampedCurrent();
    void setSpinRange();
    void runGuarded(void (SplinePointEditor::*reaction)());

    TSplinePunkte& points_;
    PresenterMessageSink& messages_;
    char separator_;
    bool showing_ = false; // see SegmentEditor: no commit from a leave that showing caused
    QLineEdit* fileLabel_;
    QPushButton* open_;
    QSpinBox* spin_;
    QToolButton* add_;
    QToolButton* sub_;
    QToolButton* addEnd_;
    QPushButton* directions_;
    std::array<QLineEdit*, 6> fields_{};
};

} // namespace trassolin::gui

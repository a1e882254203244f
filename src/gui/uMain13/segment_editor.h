#pragma once

#include <QGroupBox>

class QCheckBox;
class QLineEdit;
class QSpinBox;
class QToolButton;

namespace trassolin {
class TRandPunkte;
} // namespace trassolin

namespace trassolin::gui {

class PresenterMessageSink;
class FocusExits;

// Which edge an editor works on, and which leaves commit: the main window commits the left
// normal field only with its group, the cross-section window commits on every field.
struct SegmentEditorOptions {
    bool right = true;
    bool commitOnNormalExit = true;
    bool commitOnGroupExit = true;
};

// The edge segment editor ("Randsegmente rechts: N"): a spin edit choosing the current segment
// of one edge profile, its width, angle, texture coordinate (also in pixels) and normal, and
// the insert, delete and append buttons. Used for both sides in the main window and again in
// the cross-section window. Field texts move into the profile only on a commit.
class SegmentEditor final : public QGroupBox {
public:
    SegmentEditor(TRandPunkte& profile, PresenterMessageSink& messages, FocusExits& exits,
                  char decimalSeparator, SegmentEditorOptions options, QWidget* parent = nullptr);

    // Commit segment, then select (`sedRandRNrChange`): the fields go into the current
    // segment, the profile is recomputed, the number in the spin edit becomes current.
    void commitThenSelect();
    // Show segment (`RandRanzeigen` without the enable box and the texture group).
    void showSegment();
    // Sets the spin edit; a change of the shown number commits and selects.
    void selectSegment(int number);
    void insertSegment();
    void appendSegment();
    void deleteSegment();
    // Leaving the pixel field: the texture coordinate from pixels, not yet committed.
    void endePixelsLeft();

    QSpinBox* spin() const { return spin_; }

private:
    // The current segment lies within the profile whatever a load or a typed number left.
    int clampedCurrent();
    // The fields into the current segment, then update its geometry and recompute.
    void commit();
    void runGuarded(void (SegmentEditor::*reaction)());

    TRandPunkte& profile_;
    PresenterMessageSink& messages_;
    char separator_;
    // While the fields are being shown, a field that gets disabled or hidden loses the focus;
    // that leave must not commit the half-shown texts.
    bool showing_ = false;
    QString captionStem_;
    QSpinBox* spin_;
    QLineEdit* breite_;
    QLineEdit* winkel_;
    QLineEdit* ende_;
    QLineEdit* endePxl_;
    QCheckBox* normMan_;
    QLineEdit* normale_;
    QToolButton* add_;
    QToolButton* del_;
    QToolButton* addEnd_;
};

} // namespace trassolin::gui

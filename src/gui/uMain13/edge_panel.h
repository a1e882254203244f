#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QPushButton;
class QToolButton;
class QVBoxLayout;

namespace trassolin {
class TRandPunkte;
} // namespace trassolin

namespace trassolin::gui {

class PresenterMessageSink;
class EdgeTextureGroup;
class FocusExits;
class SegmentEditor;

// One edge's column of the main window: the enable box with its "Kopie" button, the texture
// group, the segment editor and the edge's load and display buttons.
class EdgePanel final : public QWidget {
public:
    EdgePanel(TRandPunkte& profile, PresenterMessageSink& messages, FocusExits& exits,
              char decimalSeparator, bool right, QWidget* parent = nullptr);

    // Show the edge (`RandRanzeigen`): the enable box from the profile, then, while the edge
    // is on, the current segment and the texture group.
    void showEdge();
    // The whole edge as the profile holds it, also for a switched-off edge, so that no field
    // keeps a text of a profile that was replaced; the enable box is set without its
    // reaction, which the profile went through already (a load, an undo).
    void showState();
    // The "Kopie" reaction on this side as the target.
    void copyFrom(EdgePanel& source);
    // "Breite -> U".
    void computeU();
    // Points, normals and extent up to date without the recompute's warnings: the edits that
    // made them stale showed those already, or happened while the edge was off.
    void recomputeSilently();

    TRandPunkte& profile() const { return profile_; }
    SegmentEditor* segments() const { return segments_; }
    EdgeTextureGroup* texture() const { return texture_; }
    QCheckBox* enableBox() const { return enable_; }
    QToolButton* copyButton() const { return copy_; }
    QPushButton* loadButton() const { return load_; }
    QPushButton* showParameterButton() const { return showParameter_; }
    // The column below the edge's own controls, for the main window's other controls.
    QVBoxLayout* column() const { return column_; }

    // Called first when the edge is switched on or off (the end-face fill rule).
    std::function<void()> onSwitched;
    // Called after the user switched the edge on with the box (not when a load or a copy does).
    std::function<void()> onSwitchedOnByUser;

private:
    void enableChanged(bool on);

    TRandPunkte& profile_;
    PresenterMessageSink& messages_;
    QCheckBox* enable_;
    QToolButton* copy_;
    EdgeTextureGroup* texture_;
    SegmentEditor* segments_;
    QPushButton* load_;
    QPushButton* showParameter_;
    QVBoxLayout* column_;
};

} // namespace trassolin::gui

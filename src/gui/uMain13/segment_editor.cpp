#include "uMain13/segment_editor.h"

#include "common/focus_exits.h"
#include "common/presenter.h"
#include "common/widgets.h"
#include "uGlobal/checked_math.h"
#include "uGlobal/degrees.h"
#include "uGlobal/rand_punkte.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QScopedValueRollback>

#include <algorithm>

namespace trassolin::gui {

SegmentEditor::SegmentEditor(TRandPunkte& profile, PresenterMessageSink& messages,
                             FocusExits& exits, char decimalSeparator, SegmentEditorOptions options,
                             QWidget* parent)
    : QGroupBox(parent), profile_(profile), messages_(messages), separator_(decimalSeparator) {
    const QString side = options.right ? QStringLiteral("RandR") : QStringLiteral("RandL");
    captionStem_ = options.right ? QStringLiteral("Randsegmente rechts: ")
                                 : QStringLiteral("Randsegmente links: ");
    setObjectName(QStringLiteral("gbo%1Segmente").arg(side));
    setTitle(captionStem_ + QStringLiteral("1"));

    spin_ = makeSpinEdit(QStringLiteral("sed%1Nr").arg(side), 0,
                         QStringLiteral("zwischen Randsegmenten umschalten"));
    spin_->setRange(0, 1);
    spin_->setValue(1);
    add_ = makeIconButton(QStringLiteral("spb%1Add").arg(side), QStringLiteral("+"),
                          QStringLiteral("Randsegment an aktueller Position einfügen (Werte "
                                         "werden übernommen)"));
    del_ = makeIconButton(options.right ? QStringLiteral("spbRandRDel")
                                        : QStringLiteral("SpeedButton2"),
                          QStringLiteral("−"), QStringLiteral("aktuelles Randsegment löschen"));
    addEnd_ = makeIconButton(QStringLiteral("spb%1AddEnd").arg(side), QStringLiteral("+ Ende"),
                             QStringLiteral("Randsegment am Ende hinzufügen"));
    breite_ = makeField(QStringLiteral("edt%1Breite").arg(side));
    winkel_ = makeField(QStringLiteral("edt%1Winkel").arg(side));
    ende_ = makeField(QStringLiteral("edt%1Ende").arg(side));
    endePxl_ = makePixelField(QStringLiteral("edt%1EndePxl").arg(side));
    normMan_ = makeCheckBox(QStringLiteral("cbo%1normMan").arg(side),
                            QStringLiteral("Normale manuell"));
    normale_ = makeField(QStringLiteral("edt%1normale").arg(side));

    auto* grid = new QGridLayout(this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(spin_);
    buttons->addWidget(add_);
    buttons->addWidget(del_);
    buttons->addWidget(addEnd_);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 0, 1, 5);
    addRow(grid, 1, QStringLiteral("Breite"), breite_, QStringLiteral("m"));
    addRow(grid, 2, QStringLiteral("Winkel"), winkel_, QStringLiteral("°"));
    addRow(grid, 3, QStringLiteral("Ende"), ende_, QStringLiteral("U"));
    grid->addWidget(endePxl_, 3, 3);
    addUnit(grid, 3, 4, endePxl_, QStringLiteral("pxl"));
    setCaption(endePxl_, QStringLiteral("Ende (pxl)"));
    grid->addWidget(normMan_, 4, 0);
    grid->addWidget(normale_, 4, 1);
    addUnit(grid, 4, 2, normale_, QStringLiteral("°"));
    setCaption(normale_, QStringLiteral("Normale"));
    grid->setColumnStretch(1, 1);

    connect(spin_, &QSpinBox::valueChanged, this,
            [this] { runGuarded(&SegmentEditor::commitThenSelect); });
    connect(add_, &QToolButton::clicked, this,
            [this] { runGuarded(&SegmentEditor::insertSegment); });
    connect(addEnd_, &QToolButton::clicked, this,
            [this] { runGuarded(&SegmentEditor::appendSegment); });
    connect(del_, &QToolButton::clicked, this,
            [this] { runGuarded(&SegmentEditor::deleteSegment); });
    connect(normMan_, &QCheckBox::toggled, normale_, &QLineEdit::setEnabled);

    const auto commit = [this] { runGuarded(&SegmentEditor::commitThenSelect); };
    exits.onLeave(ende_, commit);
    exits.onLeave(breite_, commit);
    exits.onLeave(winkel_, commit);
    if (options.commitOnNormalExit) exits.onLeave(normale_, commit);
    exits.onLeave(endePxl_, [this] { runGuarded(&SegmentEditor::endePixelsLeft); });
    if (options.commitOnGroupExit) exits.onLeave(this, commit);
}

void SegmentEditor::runGuarded(void (SegmentEditor::*reaction)()) {
    guarded(messages_, [&] { (this->*reaction)(); });
}

int SegmentEditor::clampedCurrent() {
    profile_.current = std::clamp(profile_.current, 0, profile_.count() - 1);
    return profile_.current;
}

void SegmentEditor::commitThenSelect() {
    if (showing_) return;
    // A switched-off edge has its groups hidden: its fields hold nothing the user typed.
    try {
        if (profile_.enabled) commit();
    } catch (...) {
        // Nothing was selected: the spin edit goes back to the segment the fields belong to.
        setQuietly(spin_, clampedCurrent());
        throw;
    }
    profile_.current = spin_->value();
    showSegment();
}

void SegmentEditor::commit() {
    const int c = clampedCurrent();
    // Each value lands in the segment as soon as it is read: a text that is no number stops
    // the commit with the values before it taken.
    Randsegment& s = *profile_.getSegment(c);
    if (c == 0) {
        s.length = 0.0; // the origin lies on the road edge; its angle stays
    } else {
        s.length = parseField(breite_);
        s.angle = radiansFromDegrees(parseField(winkel_));
    }
    s.u = parseField(ende_);
    s.normalAngle = radiansFromDegrees(parseField(normale_));
    s.manualNormal = normMan_->isChecked();
    profile_.updateSegmentGeometry(c);
    profile_.recompute(messages_);
}

void SegmentEditor::showSegment() {
    const QScopedValueRollback<bool> guard(showing_, true);
    const int c = clampedCurrent();
    const Randsegment& s = *profile_.getSegment(c);
    breite_->setEnabled(c != 0);
    winkel_->setEnabled(c != 0);
    breite_->setText(formatNumber(s.length, separator_));
    winkel_->setText(formatDegrees(s.angle, separator_));
    ende_->setText(formatNumber(s.u, separator_));
    if (profile_.texturePixels > 0) {
        endePxl_->setText(QString::number(roundToInt(profile_.texturePixels * s.u)));
    }
    normale_->setText(formatDegrees(s.normalAngle, separator_));
    normMan_->setChecked(s.manualNormal);
    normale_->setEnabled(s.manualNormal);
    // The spin edit follows the profile; adjusting it here is no selection by the user.
    setRangeQuietly(spin_, 0, std::max(0, profile_.count() - 1));
    setQuietly(spin_, c);
    spin_->setVisible(profile_.count() > 1);
    setTitle(captionStem_ + QString::number(profile_.count() - 1));
}

void SegmentEditor::selectSegment(int number) {
    // The change reaction runs here, not in the spin edit's slot, so that a field it cannot
    // read stops the reaction that selected, too.
    if (setQuietly(spin_, number)) commitThenSelect();
}

void SegmentEditor::insertSegment() {
    commitThenSelect();
    // The copy goes in at the current index and stays current; the original follows it.
    profile_.insertCopyOfCurrent();
    showSegment();
}

void SegmentEditor::appendSegment() {
    commitThenSelect();
    profile_.appendSegment();
    setRangeQuietly(spin_, 0, profile_.count() - 1);
    selectSegment(profile_.count() - 1);
}

void SegmentEditor::deleteSegment() {
    const int c = clampedCurrent();
    if (c == 0) {
        messages_.show(MessageKind::Information, "Nullpunkt kann nicht gelöscht werden");
        return;
    }
    if (c == profile_.count() - 1) {
        selectSegment(c - 1); // commits into the segment about to go, shows its predecessor
        profile_.deleteSegment(c, messages_);
        profile_.current = profile_.count() - 1;
    } else {
        // The follower takes the index and is shown; typed texts of the deleted one are gone.
        profile_.deleteSegment(c, messages_);
    }
    showSegment();
}

void SegmentEditor::endePixelsLeft() {
    if (profile_.texturePixels > 0) {
        ende_->setText(formatNumber(static_cast<double>(integerField(endePxl_)) /
                                        profile_.texturePixels,
                                    separator_));
    }
}

} // namespace trassolin::gui

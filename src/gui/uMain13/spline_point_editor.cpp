#include "uMain13/spline_point_editor.h"

#include "common/focus_exits.h"
#include "common/presenter.h"
#include "common/widgets.h"
#include "uSplinePkts/spline_punkte.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QScopedValueRollback>

#include <algorithm>

namespace trassolin::gui {

namespace {

constexpr std::array<const char*, 6> kAxes = {"X", "Y", "Z", "Xrot", "Yrot", "Zrot"};

double& value(TSplinePkt& p, std::size_t i) {
    std::array<double*, 6> members = {&p.X, &p.Y, &p.Z, &p.Xrot, &p.Yrot, &p.Zrot};
    return *members[i];
}

} // namespace

SplinePointEditor::SplinePointEditor(TSplinePunkte& points, PresenterMessageSink& messages,
                                     FocusExits& exits, char decimalSeparator, QWidget* parent)
    : QGroupBox(parent), points_(points), messages_(messages), separator_(decimalSeparator) {
    setObjectName(QStringLiteral("gboSplinePts"));
    setTitle(QStringLiteral("Spline-Punkte: 0"));

    // Only a label-like field: it names the export the points came from, and nothing reads it.
    fileLabel_ = makeField(QStringLiteral("edtSplineI3D"), QStringLiteral("i3d"));
    fileLabel_->setReadOnly(true);
    open_ = makeFileButton(QStringLiteral("bbnSplinePtsOpen"),
                           QStringLiteral("exportierte Spline-Punkte aus i3d-Datei laden"));
    spin_ = makeSpinEdit(QStringLiteral("sedSplinePtsNr"), 1);
    add_ = makeIconButton(QStringLiteral("spbSplineAdd"), QStringLiteral("+"),
                          QStringLiteral("Spline-Punkt vor aktuellem Punkt einfügen"));
    sub_ = makeIconButton(QStringLiteral("spbSplineSub"), QStringLiteral("−"),
                          QStringLiteral("aktuellen Spline-Punkt löschen"));
    addEnd_ = makeIconButton(QStringLiteral("spbSplineAddEnd"), QStringLiteral("+ Ende"),
                             QStringLiteral("Spline-Punkt am Ende hinzufügen"));

    auto* grid = new QGridLayout(this);
    addRow(grid, 0, QStringLiteral("Datei"), fileLabel_);
    grid->addWidget(open_, 0, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(spin_);
    buttons->addWidget(add_);
    buttons->addWidget(sub_);
    buttons->addWidget(addEnd_);
    buttons->addStretch();
    grid->addLayout(buttons, 1, 0, 1, 3);
    for (std::size_t i = 0; i < kAxes.size(); ++i) {
        const QString axis = QString::fromLatin1(kAxes[i]);
        fields_[i] = makeField(QStringLiteral("edtSplinePts") + axis);
        addRow(grid, 2 + static_cast<int>(i), axis, fields_[i],
               i < 3 ? QStringLiteral("m") : QStringLiteral("°"));
    }
    directions_ = makePushButton(QStringLiteral("btnRichtungen"),
                                 QStringLiteral("Richtungen berechnen"));
    directions_->setToolTip(QStringLiteral("Yrot und Xrot aller Spline-Punkte aus ihren Nachbarn "
                                           "berechnen (Zrot bleibt)"));
    grid->addWidget(directions_, 2 + static_cast<int>(kAxes.size()), 1);
    grid->setColumnStretch(1, 1);

    connect(directions_, &QPushButton::clicked, this,
            [this] { runGuarded(&SplinePointEditor::computeDirections); });
    connect(spin_, &QSpinBox::valueChanged, this,
            [this] { runGuarded(&SplinePointEditor::commitThenSelect); });
    connect(add_, &QToolButton::clicked, this,
            [this] { runGuarded(&SplinePointEditor::insertPoint); });
    connect(sub_, &QToolButton::clicked, this,
            [this] { runGuarded(&SplinePointEditor::deletePoint); });
    connect(addEnd_, &QToolButton::clicked, this,
            [this] { runGuarded(&SplinePointEditor::appendPoint); });
    exits.onLeave(this, [this] { runGuarded(&SplinePointEditor::commitThenSelect); });
}

void SplinePointEditor::runGuarded(void (SplinePointEditor::*reaction)()) {
    guarded(messages_, [&] { (this->*reaction)(); });
}

int SplinePointEditor::clampedCurrent() {
    points_.setCurrent(std::clamp(points_.current(), 0, std::max(0, points_.count() - 1)));
    return points_.current();
}

void SplinePointEditor::setSpinRange() {
    setRangeQuietly(spin_, 1, std::max(1, points_.count()));
}

void SplinePointEditor::commitThenSelect() {
    if (showing_ || points_.count() == 0) return;
    TSplinePkt& p = *points_.get(clampedCurrent());
    try {
        for (std::size_t i = 0; i < fields_.size(); ++i) value(p, i) = parseField(fields_[i]);
    } catch (...) {
        // Nothing was selected: the spin edit goes back to the point the fields belong to.
        setQuietly(spin_, points_.current() + 1);
        throw;
    }
    points_.setCurrent(spin_->value() - 1);
    showPoint();
}

void SplinePointEditor::showPoint() {
    const QScopedValueRollback<bool> guard(showing_, true);
    // The import path as the parameter file keeps it, which may be another system's.
    const QString imported = toQt(points_.fileName());
    const auto slash =
        std::max(imported.lastIndexOf(QLatin1Char('/')), imported.lastIndexOf(QLatin1Char('\\')));
    fileLabel_->setText(imported.isEmpty() ? QStringLiteral("i3d") : imported.mid(slash + 1));
    fileLabel_->setToolTip(imported);
    setSpinRange();
    if (points_.count() == 0) return;
    const int c = clampedCurrent();
    setQuietly(spin_, c + 1);
    spin_->setVisible(points_.count() != 1);
    setTitle(QStringLiteral("Spline-Punkte: ") + QString::number(points_.count()));
    TSplinePkt& p = *points_.get(c);
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        fields_[i]->setText(formatNumber(value(p, i), separator_));
    }
}

void SplinePointEditor::selectPoint(int number) {
    // The change reaction runs here, not in the spin edit's slot, so that a field it cannot
    // read stops the reaction that selected, too.
    if (setQuietly(spin_, number)) commitThenSelect();
}

void SplinePointEditor::insertPoint() {
    clampedCurrent();
    // Not committed first: what was typed and not yet committed gives way to the new zeros.
    points_.insertBeforeCurrent();
    showPoint();
}

void SplinePointEditor::appendPoint() {
    points_.append();
    setSpinRange();
    const int before = spin_->value();
    selectPoint(points_.count());
    // From an empty set the spin edit already shows 1: nothing changed, so show explicitly.
    if (spin_->value() == before) showPoint();
}

void SplinePointEditor::computeDirections() {
    // The button lies inside the group, so clicking it leaves no field of the group: commit here.
    commitThenSelect();
    points_.setDirectionsFromNeighbours();
    showPoint();
}

void SplinePointEditor::deletePoint() {
    if (points_.count() <= 2) {
        messages_.show(MessageKind::Warning, "Zwei Punkte müssen mindestens vorhanden sein!");
        return;
    }
    const int v = clampedCurrent();
    // Deleting the last point first commits it and selects its predecessor.
    if (v == points_.count() - 1) selectPoint(v);
    points_.erase(v);
    showPoint();
}

} // namespace trassolin::gui

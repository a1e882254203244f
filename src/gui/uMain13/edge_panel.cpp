#include "uMain13/edge_panel.h"

#include "common/presenter.h"
#include "common/widgets.h"
#include "uGlobal/rand_punkte.h"
#include "uMain13/edge_texture_group.h"
#include "uMain13/segment_editor.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <algorithm>

namespace trassolin::gui {

EdgePanel::EdgePanel(TRandPunkte& profile, PresenterMessageSink& messages, FocusExits& exits,
                     char decimalSeparator, bool right, QWidget* parent)
    : QWidget(parent), profile_(profile), messages_(messages) {
    const QString side = right ? QStringLiteral("RandR") : QStringLiteral("RandL");
    enable_ = makeCheckBox(QStringLiteral("cbo%1enable").arg(side),
                           right ? QStringLiteral("rechten Rand erzeugen")
                                 : QStringLiteral("linken Rand erzeugen"));
    copy_ = makeIconButton(right ? QStringLiteral("spbCopyToLeft")
                                 : QStringLiteral("spbCopyToRight"),
                           QStringLiteral("Kopie"), QString());
    texture_ = new EdgeTextureGroup(profile, messages, exits, decimalSeparator, right);
    SegmentEditorOptions options;
    options.right = right;
    options.commitOnNormalExit = right; // the left normal is committed with its group
    segments_ = new SegmentEditor(profile, messages, exits, decimalSeparator, options);
    load_ = makePushButton(QStringLiteral("bbn%1LoadPara").arg(side),
                           right ? QStringLiteral("Load Parameter für rechten Rand")
                                 : QStringLiteral("Load Parameter für linken Rand"));
    showParameter_ = makePushButton(right ? QStringLiteral("bbnShowRightParameter")
                                          : QStringLiteral("bbnShowLeftParameter"),
                                    QStringLiteral("Parameter anzeigen"));

    // The columns keep their place when an edge is switched off and its groups are hidden.
    for (QWidget* group : {static_cast<QWidget*>(texture_), static_cast<QWidget*>(segments_)}) {
        QSizePolicy policy = group->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        group->setSizePolicy(policy);
    }
    column_ = new QVBoxLayout(this);
    column_->setContentsMargins(0, 0, 0, 0);
    auto* top = new QHBoxLayout;
    if (right) {
        top->addWidget(copy_);
        top->addWidget(enable_);
    } else {
        top->addWidget(enable_);
        top->addWidget(copy_);
    }
    top->addStretch();
    column_->addLayout(top);
    column_->addWidget(texture_);
    column_->addWidget(segments_);
    column_->addWidget(load_);
    column_->addWidget(showParameter_);

    // Ticked by design; start-up switches both edges off through the box's reaction.
    enable_->setChecked(true);
    connect(enable_, &QCheckBox::toggled, this,
            [this](bool on) { guarded(messages_, [&] { enableChanged(on); }); });
    // A click comes after the toggle it caused: the edge is on and shown by then.
    connect(enable_, &QCheckBox::clicked, this, [this](bool on) {
        if (on && onSwitchedOnByUser) guarded(messages_, [this] { onSwitchedOnByUser(); });
    });
    connect(texture_->computeUButton(), &QPushButton::clicked, this,
            [this] { guarded(messages_, [this] { computeU(); }); });
}

void EdgePanel::enableChanged(bool on) {
    if (onSwitched) onSwitched();
    // The flag first: hiding the groups may take the focus out of them, and a switched-off
    // edge must not take the texts of its hidden fields.
    profile_.enabled = on;
    texture_->setVisible(on);
    texture_->setEnabled(on);
    segments_->setVisible(on);
    segments_->setEnabled(on);
    if (on) {
        // While the edge was off, recompute did nothing: bring it up to date before it shows.
        recomputeSilently();
        showEdge();
    }
}

void EdgePanel::recomputeSilently() {
    SilentMessageSink silent;
    for (int i = 1; i < profile_.count(); ++i) profile_.updateSegmentGeometry(i);
    profile_.recompute(silent);
}

void EdgePanel::showEdge() {
    enable_->setChecked(profile_.enabled);
    if (!profile_.enabled) return;
    segments_->showSegment();
    texture_->showTexture();
}

void EdgePanel::showState() {
    {
        const QSignalBlocker quiet(enable_);
        enable_->setChecked(profile_.enabled);
    }
    for (QWidget* group : {static_cast<QWidget*>(texture_), static_cast<QWidget*>(segments_)}) {
        group->setVisible(profile_.enabled);
        group->setEnabled(profile_.enabled);
    }
    texture_->showTexture();
    segments_->showSegment();
}

void EdgePanel::copyFrom(EdgePanel& source) {
    source.texture_->commit();
    segments_->selectSegment(1);
    profile_.copyFrom(source.profile_, messages_);
    profile_.current = std::min(1, profile_.count() - 1);
    showEdge();
}

void EdgePanel::computeU() {
    profile_.textureWidth = parseField(texture_->widthField());
    profile_.computeUFromTextureWidth(messages_);
    segments_->showSegment();
}

} // namespace trassolin::gui

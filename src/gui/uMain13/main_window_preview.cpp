// The 3D preview beside the fields: a dock that shows the road of the fields, rebuilt off the
// window's thread after every edit, with the selected spline point and edge segments lit up.

#include "uMain13/main_window.h"

#include "common/widgets.h"
#include "uMain13/edge_panel.h"
#include "uMain13/edit_history.h"
#include "uMain13/segment_editor.h"
#include "uMain13/spline_point_editor.h"
#include "uVorschau/preview_panel.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QMenu>

namespace trassolin::gui {

void TForm1::buildPreview() {
    preview_ = new PreviewPanel;
    previewDock_ = new QDockWidget(QStringLiteral("3D-Vorschau"), this);
    previewDock_->setObjectName(QStringLiteral("dckVorschau"));
    previewDock_->setWidget(preview_);
    addDockWidget(Qt::RightDockWidgetArea, previewDock_);
    connect(previewDock_, &QDockWidget::dockLocationChanged, this, [this](Qt::DockWidgetArea area) {
        preview_->setControlsInOneRow(area == Qt::TopDockWidgetArea ||
                                      area == Qt::BottomDockWidgetArea);
    });
    // The dock's own buttons are controls like any other.
    for (auto* button : previewDock_->findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly)) {
        named(button, button->objectName() == QLatin1String("qt_dockwidget_closebutton")
                          ? QStringLiteral("btnVorschauSchliessen")
                          : QStringLiteral("btnVorschauLoesen"));
    }
    QAction* toggle = previewDock_->toggleViewAction();
    toggle->setObjectName(QStringLiteral("actVorschau"));
    toggle->setText(QStringLiteral("3D-&Vorschau"));
    findChild<QMenu*>(QStringLiteral("mnuStrasse"))->addAction(toggle);

    preview_->onPointPicked = [this](std::uint32_t point) {
        if (running()) return;
        guarded(messages_, [&] { splines_->selectPoint(static_cast<int>(point) + 1); });
    };
    preview_->describe = [this](const std::exception_ptr& error) {
        try {
            std::rethrow_exception(error);
        } catch (const TrassolinError& e) {
            return describe(e).text;
        } catch (const std::exception& e) {
            return QString::fromUtf8(e.what());
        }
    };
    // Every edit, undo and redo, load and run ends as a step of the history (or its undoing).
    connect(&history_->stack(), &QUndoStack::indexChanged, this, [this] { showRoadInPreview(); });
    // Choosing a point or segment is no edit: the selection alone is shown anew whenever an
    // editor shows its current one.
    const auto selectionShown = [this] { showSelectionInPreview(); };
    splines_->onShown = selectionShown;
    right_->segments()->onShown = selectionShown;
    left_->segments()->onShown = selectionShown;
}

void TForm1::showRoadInPreview() {
    fieldsToParameters();
    for (EdgePanel* edge : {right_, left_}) {
        if (edge->profile().enabled) edge->recomputeSilently();
    }
    PreviewRequest request{params_, separator_, random_, {}};
    // Textures beside the document and beside the parameter file.
    const QString output = fileName_->text().trimmed();
    if (!output.isEmpty()) request.textureFolders.push_back(toPath(output).parent_path());
    if (!roadFile_.isEmpty()) request.textureFolders.push_back(toPath(roadFile_).parent_path());
    preview_->showRoad(std::move(request));
    showSelectionInPreview();
}

void TForm1::showSelectionInPreview() {
    const auto segment = [](const EdgePanel* edge) {
        return edge->profile().enabled ? edge->profile().current : -1;
    };
    preview_->setSelection(params_.splines.count() > 0 ? params_.splines.current() : -1,
                           segment(right_), segment(left_));
}

} // namespace trassolin::gui

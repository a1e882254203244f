// The main window's menu bar: the buttons' reactions with their keys, the files opened last,
// the shipped presets, and undo and redo.

#include "uMain13/main_window.h"

#include "common/widgets.h"
#include "uGlobal/errors.h"
#include "uMain13/edit_history.h"
#include "uMain13/presets.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>

namespace trassolin::gui {

namespace {

QAction* entry(QMenu* menu, const char* name, const QString& text, const QKeySequence& keys = {}) {
    QAction* action = menu->addAction(text);
    action->setObjectName(QString::fromLatin1(name));
    if (!keys.isEmpty()) action->setShortcut(keys);
    return action;
}

QMenu* submenu(QMenu* parent, const char* name, const QString& title) {
    QMenu* menu = parent->addMenu(title);
    menu->setObjectName(QString::fromLatin1(name));
    menu->setToolTipsVisible(true);
    return menu;
}

} // namespace

void TForm1::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu"));
    bar->setAccessibleName(QStringLiteral("MainMenu"));
    const auto menu = [bar](const char* name, const QString& title) {
        QMenu* m = bar->addMenu(title);
        m->setObjectName(QString::fromLatin1(name));
        m->setToolTipsVisible(true);
        return m;
    };
    // A menu entry acts as its button's click: the button takes the focus, so the field
    // being edited is left and committed first.
    const auto asButton = [this](QAction* action, const char* button) {
        auto* target = findChild<QPushButton*>(QString::fromLatin1(button));
        connect(action, &QAction::triggered, this, [target] {
            if (!target->isEnabled()) return;
            target->setFocus(Qt::ShortcutFocusReason);
            target->click();
        });
    };
    const auto reaction = [this](QAction* action, auto work) {
        connect(action, &QAction::triggered, this, [this, work] {
            guarded(messages_, [&] {
                leaveField();
                work();
            });
        });
    };

    QMenu* file = menu("mnuDatei", QStringLiteral("&Datei"));
    reaction(entry(file, "actNeu", QStringLiteral("&Neu"), QKeySequence::New),
             [this] { newRoad(); });
    asButton(entry(file, "actOeffnen", QStringLiteral("Ö&ffnen …"), QKeySequence::Open),
             "bbnLoadPara");
    recentMenu_ = submenu(file, "mnuZuletzt", QStringLiteral("&Zuletzt geöffnet"));
    // Fixed entries whose texts follow the list: an entry is never deleted while it runs.
    for (int i = 0; i < RecentFiles::kMaximum; ++i) {
        QAction* action = recentMenu_->addAction(QString());
        action->setObjectName(QStringLiteral("actZuletzt%1").arg(i + 1));
        connect(action, &QAction::triggered, this, [this, action] {
            const QString chosen = action->data().toString();
            guarded(messages_, [&] {
                leaveField();
                if (!QFileInfo::exists(chosen)) {
                    recent_.remove(chosen);
                    refreshRecentMenu();
                    throw IoError("Die Datei " + toStd(chosen) +
                                  " gibt es nicht mehr; sie ist aus der Liste entfernt");
                }
                openRoad(chosen);
            });
        });
    }
    file->addSeparator();
    reaction(entry(file, "actSpeichern", QStringLiteral("&Speichern"), QKeySequence::Save),
             [this] { saveRoad(); });
    asButton(entry(file, "actSpeichernUnter", QStringLiteral("Speichern &unter …"),
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)),
             "bbnSavePara");
    file->addSeparator();
    QMenu* presets = submenu(file, "mnuVorlage", QStringLiteral("&Vorlage"));
    for (const Preset& preset : roadPresets()) {
        QAction* action = presets->addAction(preset.name);
        action->setToolTip(preset.description);
        action->setStatusTip(preset.description);
        reaction(action, [this, preset] { loadPreset(preset); });
    }
    for (bool right : {true, false}) {
        presets->addSeparator();
        QMenu* verges = submenu(presets, right ? "mnuRandprofilRechts" : "mnuRandprofilLinks",
                                right ? QStringLiteral("Randprofil &rechts")
                                      : QStringLiteral("Randprofil &links"));
        for (const Preset& preset : vergePresets()) {
            QAction* action = verges->addAction(preset.name);
            action->setToolTip(preset.description);
            action->setStatusTip(preset.description);
            reaction(action, [this, right, preset] { loadEdge(right, preset.file); });
        }
    }
    presets->setEnabled(!presets->isEmpty());
    file->addSeparator();
    QAction* quit =
        entry(file, "actBeenden", QStringLiteral("&Beenden"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    connect(quit, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = menu("mnuBearbeiten", QStringLiteral("&Bearbeiten"));
    undoAction_ = entry(edit, "actRueckgaengig", QStringLiteral("&Rückgängig"));
    undoAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Z)});
    redoAction_ = entry(edit, "actWiederholen", QStringLiteral("&Wiederholen"));
    redoAction_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    reaction(undoAction_, [this] { undo(); });
    reaction(redoAction_, [this] { redo(); });
    QUndoStack& stack = history_->stack();
    const auto showSteps = [this, &stack] {
        undoAction_->setEnabled(stack.canUndo());
        redoAction_->setEnabled(stack.canRedo());
        undoAction_->setText(stack.canUndo()
                                 ? QStringLiteral("&Rückgängig: %1").arg(stack.undoText())
                                 : QStringLiteral("&Rückgängig"));
        redoAction_->setText(stack.canRedo()
                                 ? QStringLiteral("&Wiederholen: %1").arg(stack.redoText())
                                 : QStringLiteral("&Wiederholen"));
    };
    connect(&stack, &QUndoStack::indexChanged, this, showSteps);
    connect(&stack, &QUndoStack::cleanChanged, this, showSteps);
    showSteps();

    // "Prüfen" and the terrain check of later versions belong here, beside the run.
    QMenu* road = menu("mnuStrasse", QStringLiteral("&Straße"));
    goAction_ = entry(road, "actGo", QStringLiteral("&Go"), QKeySequence(Qt::Key_F5));
    goAction_->setEnabled(go_->isEnabled());
    asButton(goAction_, "bbnGo");
    asButton(entry(road, "actGrafikSchnitt", QStringLiteral("Grafik &Schnitt")),
             "bbnGrafikSchnitt");

    QMenu* help = menu("mnuHilfe", QStringLiteral("&Hilfe"));
    asButton(entry(help, "actInfo", QStringLiteral("&Info")), "bbnInfo");

    // The bar's own button for menus that do not fit is a control like any other.
    for (auto* button : bar->findChildren<QToolButton*>()) {
        named(button, QStringLiteral("btnWeitereMenues"));
    }

    refreshRecentMenu();
}

void TForm1::refreshRecentMenu() {
    if (recentMenu_ == nullptr) return;
    const QStringList& files = recent_.files();
    const QList<QAction*> entries = recentMenu_->actions();
    for (int i = 0; i < entries.size(); ++i) {
        QAction* action = entries[i];
        const bool used = i < files.size();
        action->setVisible(used);
        if (!used) continue;
        action->setText(QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
        action->setData(files[i]);
        action->setToolTip(files[i]);
        action->setStatusTip(files[i]);
    }
    recentMenu_->setEnabled(!files.isEmpty());
}

} // namespace trassolin::gui

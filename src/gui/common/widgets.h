#pragma once

// Small helpers that give every control its name from the windows' design, as objectName and
// accessibleName, so that tests, UI automation and support address it by the same name.

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QString>
#include <QToolButton>

#include "uGlobal/errors.h"

#include <filesystem>
#include <string>

class QGridLayout;

namespace trassolin::gui {

template <class Widget> Widget* named(Widget* widget, const QString& name) {
    widget->setObjectName(name);
    widget->setAccessibleName(name);
    return widget;
}

QLineEdit* makeField(const QString& name, const QString& text = QString());
// A field for a whole number of texture pixels: wide enough for six digits, no wider.
QLineEdit* makePixelField(const QString& name);
QCheckBox* makeCheckBox(const QString& name, const QString& caption);
QPushButton* makePushButton(const QString& name, const QString& caption);
// A push button that opens a file dialog: a folder icon and the hint.
QPushButton* makeFileButton(const QString& name, const QString& hint = QString());
// The small icon buttons of the editors: they never take the focus, so the field being edited
// is not left (and not committed) when they are clicked.
QToolButton* makeIconButton(const QString& name, const QString& text, const QString& hint);
QSpinBox* makeSpinEdit(const QString& name, int minimum, const QString& hint = QString());
// Group boxes are read by their caption: an object name, but no accessible name.
// Sets the spin edit without running its change reaction; true when the shown number changed
// (the caller then runs the reaction itself, so that its errors reach the caller).
bool setQuietly(QSpinBox* spin, int value);
// The same for the range; the value is clamped into it without a reaction.
void setRangeQuietly(QSpinBox* spin, int minimum, int maximum);
QGroupBox* makeGroup(const QString& name, const QString& caption);
// A label read by its text, bound to the field it describes.
QLabel* makeLabel(const QString& text, QWidget* buddy);

// Adds "label  field  unit" as one row of a grid (unit may be empty). The field remembers
// its label and unit for the messages that concern it (see describeField).
void addRow(QGridLayout* grid, int row, const QString& label, QWidget* field,
            const QString& unit = QString());
// Adds a unit label behind a field that sits in a grid row of its own making.
QLabel* addUnit(QGridLayout* grid, int row, int column, QWidget* field, const QString& unit);
// What a message calls a field whose label is no buddy of it (a check box beside it, a pixel
// twin): "Schleppkurve", "Start (pxl)".
void setCaption(QWidget* field, const QString& caption);

// A field whose text is no number. Carries the field, so that the window can name it (its
// label and group) and put the cursor into it.
class FieldConversionError final : public ConversionError {
public:
    FieldConversionError(const ConversionError& error, const QWidget* field)
        : ConversionError(error), field_(const_cast<QWidget*>(field)) {}
    QWidget* field() const { return field_; }

private:
    QPointer<QWidget> field_;
};

// "Breite (Fahrbahn - Geometrie)": the field's caption and the group it stands in. A segment
// or point group's count is left out of its name.
QString fieldName(const QWidget* field);
// "Breite (Fahrbahn - Geometrie): <text>".
QString describeField(const QWidget* field, const QString& text);
QString describeField(const QWidget* field, const char* text);

std::string toStd(const QString& text);
QString toQt(const std::string& text);
std::filesystem::path toPath(const QString& file);
QString fromPath(const std::filesystem::path& file);

// The field read as the windows read numbers: the tolerant real parse, or a plain integer.
// Both throw FieldConversionError with the field's text.
double parseField(const QLineEdit* field);
int integerField(const QLineEdit* field);
// The general form with the user's decimal separator.
QString formatNumber(double value, char decimalSeparator);
// Radians shown as degrees rounded to 0.01.
QString formatDegrees(double radians, char decimalSeparator);

} // namespace trassolin::gui

#include "common/widgets.h"

#include "uGlobal/degrees.h"
#include "uGlobal/numbers.h"

#include <QApplication>
#include <QFile>
#include <QGridLayout>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QStyle>
#include <QWheelEvent>


namespace trassolin::gui {

QLineEdit* makeField(const QString& name, const QString& text) {
    auto* field = named(new QLineEdit(text), name);
    // Room for a number such as -123,4567 at any scaling; layouts may give more.
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("-0000,0000")) + 12);
    return field;
}

QLineEdit* makePixelField(const QString& name) {
    auto* field = makeField(name);
    const int width = field->fontMetrics().horizontalAdvance(QStringLiteral("0000000")) + 12;
    field->setMinimumWidth(width);
    field->setMaximumWidth(width);
    return field;
}

QCheckBox* makeCheckBox(const QString& name, const QString& caption) {
    return named(new QCheckBox(caption), name);
}

QPushButton* makePushButton(const QString& name, const QString& caption) {
    auto* button = named(new QPushButton(caption), name);
    // Clicking takes the focus, so the field being edited is left and committed first.
    button->setFocusPolicy(Qt::StrongFocus);
    button->setAutoDefault(false);
    return button;
}

QPushButton* makeFileButton(const QString& name, const QString& hint) {
    auto* button = makePushButton(name, QString());
    button->setIcon(QApplication::style()->standardIcon(QStyle::SP_DirOpenIcon));
    if (!hint.isEmpty()) button->setToolTip(hint);
    return button;
}

QToolButton* makeIconButton(const QString& name, const QString& text, const QString& hint) {
    auto* button = named(new QToolButton, name);
    button->setText(text);
    button->setFocusPolicy(Qt::NoFocus);
    if (!hint.isEmpty()) button->setToolTip(hint);
    return button;
}

namespace {

// A spin edit changes the current segment or point, which commits the fields: the wheel must
// not do that while it only scrolls the window past it.
class SpinEdit final : public QSpinBox {
protected:
    void wheelEvent(QWheelEvent* event) override {
        if (!hasFocus()) {
            event->ignore();
            return;
        }
        QSpinBox::wheelEvent(event);
    }
};

} // namespace

QSpinBox* makeSpinEdit(const QString& name, int minimum, const QString& hint) {
    auto* spin = named(new SpinEdit, name);
    spin->setFocusPolicy(Qt::StrongFocus);
    spin->setRange(minimum, minimum);
    if (!hint.isEmpty()) spin->setToolTip(hint);
    return spin;
}

bool setQuietly(QSpinBox* spin, int value) {
    const QSignalBlocker block(spin);
    const int before = spin->value();
    spin->setValue(value);
    return spin->value() != before;
}

void setRangeQuietly(QSpinBox* spin, int minimum, int maximum) {
    const QSignalBlocker block(spin);
    spin->setRange(minimum, maximum);
}

QGroupBox* makeGroup(const QString& name, const QString& caption) {
    auto* group = new QGroupBox(caption);
    group->setObjectName(name);
    return group;
}

QLabel* makeLabel(const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

namespace {

const char* const kCaptionProperty = "trassolinCaption";

} // namespace

void setCaption(QWidget* field, const QString& caption) {
    field->setProperty(kCaptionProperty, caption);
}

void addRow(QGridLayout* grid, int row, const QString& label, QWidget* field, const QString& unit) {
    grid->addWidget(makeLabel(label, field), row, 0);
    grid->addWidget(field, row, 1);
    if (!field->property(kCaptionProperty).isValid()) setCaption(field, label);
    if (!unit.isEmpty()) addUnit(grid, row, 2, field, unit);
}

QLabel* addUnit(QGridLayout* grid, int row, int column, QWidget* field, const QString& unit) {
    QLabel* label = makeLabel(unit, field);
    grid->addWidget(label, row, column);
    return label;
}

QString fieldName(const QWidget* field) {
    QString name = field->property(kCaptionProperty).toString().trimmed();
    if (name.isEmpty()) name = field->objectName();
    for (const QWidget* w = field->parentWidget(); w != nullptr; w = w->parentWidget()) {
        const auto* group = qobject_cast<const QGroupBox*>(w);
        if (group == nullptr) continue;
        // "Randsegmente rechts: 3" names the group with its count; the group is meant.
        static const QRegularExpression count(QStringLiteral(":\\s*\\d+\\s*$"));
        const QString title = group->title().remove(count).trimmed();
        if (!title.isEmpty()) name += QStringLiteral(" (%1)").arg(title);
        break;
    }
    return name;
}

QString describeField(const QWidget* field, const QString& text) {
    if (field == nullptr) return text;
    return fieldName(field) + QStringLiteral(": ") + text;
}

QString describeField(const QWidget* field, const char* text) {
    return describeField(field, QString::fromUtf8(text));
}

std::string toStd(const QString& text) {
    return text.toStdString();
}

QString toQt(const std::string& text) {
    return QString::fromStdString(text);
}

std::filesystem::path toPath(const QString& file) {
#ifdef _WIN32
    return std::filesystem::path(file.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(file).toStdString());
#endif
}

QString fromPath(const std::filesystem::path& file) {
#ifdef _WIN32
    return QString::fromStdWString(file.wstring());
#else
    return QFile::decodeName(QByteArray::fromStdString(file.string()));
#endif
}

double parseField(const QLineEdit* field) {
    try {
        return parseTolerantReal(toStd(field->text()));
    } catch (const ConversionError& e) {
        throw FieldConversionError(e, field);
    }
}

int integerField(const QLineEdit* field) {
    try {
        return parseStrictInteger(toStd(field->text()));
    } catch (const ConversionError& e) {
        throw FieldConversionError(e, field);
    }
}

QString formatNumber(double value, char decimalSeparator) {
    return toQt(formatGeneral(value, decimalSeparator));
}

QString formatDegrees(double radians, char decimalSeparator) {
    return toQt(trassolin::formatDegrees(radians, decimalSeparator));
}

} // namespace trassolin::gui

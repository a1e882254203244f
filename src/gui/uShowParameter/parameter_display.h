#pragma once

#include <QDialog>

#include <string>
#include <vector>

class QPlainTextEdit;

namespace trassolin::gui {

class Presenter;

// Shows the listing of one edge profile. The font chosen with the font button stays for
// later openings.
class TfrmShowParameter final : public QDialog {
public:
    explicit TfrmShowParameter(Presenter& presenter, QWidget* parent = nullptr);

    // Clears the text, sets the caption, writes the lines and shows the dialog modally.
    void showListing(const QString& caption, const std::vector<std::string>& lines);
    void chooseFont();


private:
    Presenter& presenter_;
    QPlainTextEdit* memo_;
};

} // namespace trassolin::gui

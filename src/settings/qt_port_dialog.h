#pragma once

#include "settings/port_dialog.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace orva {

// "  COM PORT": the window of the port dialog, mirroring PortDialog. It owns
// the behaviour: both go when the window has closed.
class QtPortDialog : public QDialog, public PortDialogView {
    Q_OBJECT
public:
    explicit QtPortDialog(std::unique_ptr<PortDialog> dialog, QWidget* parent = nullptr);
    ~QtPortDialog() override;

    PortDialog& behaviour() { return *dialog_; }

    void setCaption(std::string_view control, const std::string& text) override;
    void setControlVisible(std::string_view control, bool visible) override;
    void setChecked(std::string_view option, bool checked) override;
    void selectText(std::string_view field, int start, int length) override;
    void showWarning(const std::string& text, const std::string& title, const std::string& detail) override;
    void showOpenFailure(const std::string& brief, const std::string& full) override;
    void closeWindow() override;

    // Escape: the dialog has no such way out.
    void reject() override {}

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QRadioButton* option(std::string_view name) const;

    std::unique_ptr<PortDialog> dialog_;
    QLineEdit* other_ = nullptr;
    QLabel* failure_ = nullptr;
    bool closing_ = false;
};

} // namespace orva

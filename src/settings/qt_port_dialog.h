#pragma once

#include "settings/port_dialog.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;

namespace orva {

// "  COM PORT": the window of the port dialog, mirroring PortDialog.
class QtPortDialog : public QDialog, public PortDialogView {
    Q_OBJECT
public:
    explicit QtPortDialog(PortDialog& dialog, QWidget* parent = nullptr);

    void setCaption(std::string_view control, const std::string& text) override;
    void setControlVisible(std::string_view control, bool visible) override;
    void setChecked(std::string_view option, bool checked) override;
    void selectText(std::string_view field, int start, int length) override;
    void showWarning(const std::string& text, const std::string& title) override;
    void closeWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override; // Escape: as the window system's close

private:
    QRadioButton* option(std::string_view name) const;

    PortDialog& dialog_;
    QLineEdit* other_ = nullptr;
    bool closing_ = false;
};

} // namespace orva

#pragma once

#include "reference/reference_window.h"

#include <QWidget>

class QComboBox;
class QLineEdit;

namespace orva {

// "Command List": the window of the reference terminal, mirroring
// ReferenceWindow.
class QtReferenceWindow : public QWidget, public ReferenceView {
    Q_OBJECT
public:
    explicit QtReferenceWindow(ReferenceWindow& window, QWidget* parent = nullptr);

    void setCaption(std::string_view control, const std::string& text) override;
    void setControlVisible(std::string_view control, bool visible) override;
    void setCurrentIndex(std::string_view list, int index) override;
    void setFocus(std::string_view control) override;
    void setOuterHeight(int twips) override;
    void setTop(std::string_view control, int twips) override;
    void closeWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* control(std::string_view name) const;

    ReferenceWindow& window_;
    QLineEdit* edit_ = nullptr;
    bool closing_ = false;
};

} // namespace orva

#pragma once

#include "reference/reference_window.h"

#include <QWidget>

#include <memory>

class QComboBox;
class QLineEdit;

namespace orva {

// "Command List": the window of the reference terminal, mirroring
// ReferenceWindow. It owns the behaviour: both go when the window has closed.
class QtReferenceWindow : public QWidget, public ReferenceView {
    Q_OBJECT
public:
    explicit QtReferenceWindow(std::unique_ptr<ReferenceWindow> window, QWidget* parent = nullptr);
    ~QtReferenceWindow() override;

    ReferenceWindow& behaviour() { return *window_; }

    void setCaption(std::string_view control, const std::string& text) override;
    void setControlVisible(std::string_view control, bool visible) override;
    void setCurrentIndex(std::string_view list, int index) override;
    void setFocus(std::string_view control) override;
    void setOuterHeight(int twips) override;
    void setTop(std::string_view control, int twips) override;
    void closeWindow() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWidget* control(std::string_view name) const;
    void applyOuterHeight();

    std::unique_ptr<ReferenceWindow> window_;
    QLineEdit* edit_ = nullptr;
    bool closing_ = false;
    int outerHeightTwips_ = ReferenceWindow::kOuterHeight;
};

} // namespace orva

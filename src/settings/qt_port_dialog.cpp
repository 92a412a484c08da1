#include "settings/qt_port_dialog.h"

#include "qtui/qt_input.h"
#include "qtui/qt_twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <vector>

namespace orva {
namespace {

// A frame's title stands above its border here, not on it: frames start
// this much higher, and what they hold this much lower, so the title does
// not cover the first option.
constexpr int kTitleRoom = 8;

QRect frameRect(int left, int top, int width, int height)
{
    return twipsRect(left, top, width, height).adjusted(0, -kTitleRoom, 0, 0);
}

QRect inFrame(int left, int top, int width, int height)
{
    return twipsRect(left, top, width, height).translated(0, kTitleRoom);
}

} // namespace

QtPortDialog::QtPortDialog(std::unique_ptr<PortDialog> dialog, QWidget* parent)
    // Fixed in size: no maximise button.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint),
      dialog_(std::move(dialog))
{
    dialog_->attach(*this);
    setObjectName("Form2");
    setWindowTitle("  COM PORT");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(3105 / kTwipsPerPixel, 4005 / kTwipsPerPixel);

    namespace names = port_dialog;
    auto* baud = new QGroupBox("Baud Rate", this);
    baud->setObjectName(latin1(names::kBaudFrame));
    baud->setGeometry(frameRect(360, 240, 2415, 615));
    auto* port = new QGroupBox("Com Port", this);
    port->setObjectName(latin1(names::kPortFrame));
    port->setGeometry(frameRect(360, 1200, 1455, 2535));

    // The OTHER field comes first in the tab order, so it has the focus.
    other_ = new QLineEdit("0", port);
    other_->setObjectName(latin1(names::kOtherField));
    other_->setGeometry(inFrame(180, 2040, 375, 270));
    // Every change of the text counts: typed, pasted, or set through the
    // accessibility interface. The dialog's own changes come with the
    // signals blocked (setCaption), so its handler runs once for them.
    connect(other_, &QLineEdit::textChanged, this,
            [this](const QString& text) { dialog_->otherFieldChange(toLatin1(text)); });

    struct OptionRow {
        int number;
        const char* caption;
        QWidget* container;
        QRect geometry;
    };
    const int com1 = PortDialog::kOptionCom1;
    const OptionRow rows[] = {
        {PortDialog::kOption9600, "9600", baud, inFrame(120, 180, 1575, 375)},
        {PortDialog::kOption19200, "19200", baud, inFrame(1320, 240, 975, 255)},
        {com1, "COM1", port, inFrame(180, 180, 1155, 315)},
        {com1 + 1, "COM2", port, inFrame(180, 540, 1095, 255)},
        {com1 + 2, "COM3", port, inFrame(180, 900, 975, 255)},
        {com1 + 3, "COM4", port, inFrame(180, 1260, 1215, 255)},
        {com1 + 4, "COM5", port, inFrame(180, 1620, 1335, 255)},
    };
    static_assert(PortDialog::kOptionCom1 + 4 == PortDialog::kOptionCom5);
    for (const OptionRow& r : rows) {
        auto* b = new QRadioButton(r.caption, r.container);
        b->setObjectName(latin1(PortDialog::optionName(r.number)));
        b->setGeometry(r.geometry);
        const int number = r.number;
        connect(b, &QRadioButton::clicked, this, [this, number] { dialog_->optionClick(number); });
    }

    auto* otherLabel = new QLabel("OTHER", port);
    otherLabel->setObjectName(latin1(names::kOtherLabel));
    otherLabel->setGeometry(inFrame(600, 2100, 615, 255));
    otherLabel->setBuddy(other_); // a screen reader names the field "OTHER"

    auto* ok = new QPushButton("OK", this);
    ok->setObjectName(latin1(names::kOk));
    ok->setGeometry(twipsRect(2040, 1320, 735, 615));
    ok->setAutoDefault(false);
    clickOnSpaceAndReturn(ok);
    connect(ok, &QPushButton::clicked, this, [this] { dialog_->ok(); });
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName(latin1(names::kCancel));
    cancel->setGeometry(twipsRect(2040, 2160, 735, 615));
    cancel->setAutoDefault(false);
    clickOnSpaceAndReturn(cancel);
    connect(cancel, &QPushButton::clicked, this, [this] { dialog_->cancel(); });

    // Why the last open failed: one red line in the room below the frames,
    // cut short where it does not fit; the tooltip and the accessible
    // description hold all of it.
    failure_ = new QLabel(this);
    failure_->setObjectName("OpenFailure");
    failure_->setGeometry(twipsRect(120, 3735, 2865, 270));
    failure_->setTextFormat(Qt::PlainText);
    QPalette red = failure_->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    failure_->setPalette(red);
    failure_->hide();

    // Tab order: OTHER, 9600, 19200, COM1..COM5, OK, Cancel.
    std::vector<QWidget*> order{other_};
    for (int n = 1; n <= PortDialog::kOptions; ++n)
        order.push_back(option(PortDialog::optionName(n)));
    order.push_back(ok);
    order.push_back(cancel);
    for (std::size_t i = 0; i + 1 < order.size(); ++i)
        setTabOrder(order[i], order[i + 1]);
    other_->setFocus();
}

QtPortDialog::~QtPortDialog()
{
    // The behaviour goes before the controls do: nothing they send while
    // they are taken down may reach it.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

QRadioButton* QtPortDialog::option(std::string_view name) const
{
    return findChild<QRadioButton*>(latin1(name));
}

void QtPortDialog::setCaption(std::string_view control, const std::string& text)
{
    if (control == port_dialog::kOtherField) {
        const QSignalBlocker block(other_);
        other_->setText(latin1(text));
    }
}

void QtPortDialog::setControlVisible(std::string_view control, bool visible)
{
    if (auto* w = findChild<QWidget*>(latin1(control)))
        w->setVisible(visible);
}

void QtPortDialog::setChecked(std::string_view name, bool checked)
{
    QRadioButton* b = option(name);
    if (!b)
        return;
    // Radio buttons of a group exclude each other; clearing the last one
    // needs the exclusivity lifted for a moment.
    const QSignalBlocker block(b);
    if (!checked && b->isChecked()) {
        b->setAutoExclusive(false);
        b->setChecked(false);
        b->setAutoExclusive(true);
    } else {
        b->setChecked(checked);
    }
}

void QtPortDialog::selectText(std::string_view field, int start, int length)
{
    if (field == port_dialog::kOtherField) {
        other_->setFocus();
        other_->setSelection(start, length);
    }
}

void QtPortDialog::showWarning(const std::string& text, const std::string& title, const std::string& detail)
{
    QMessageBox box(QMessageBox::Warning, latin1(title), latin1(text), QMessageBox::Ok, this);
    box.setObjectName("RetryComportBox");
    box.setInformativeText(QString::fromStdString(detail));
    box.exec();
}

void QtPortDialog::showOpenFailure(const std::string& brief, const std::string& full)
{
    const QString all = QString::fromStdString(full);
    failure_->setText(failure_->fontMetrics().elidedText(QString::fromStdString(brief), Qt::ElideRight,
                                                          failure_->width()));
    failure_->setToolTip(all);
    failure_->setAccessibleDescription(all);
    failure_->setVisible(!all.isEmpty());
}

void QtPortDialog::closeWindow()
{
    closing_ = true;
    // Hidden and gone whatever happens to the close event: a dialog that is
    // over never stays on screen (nor modal).
    hide();
    deleteLater();
}

void QtPortDialog::closeEvent(QCloseEvent* event)
{
    // Closed through the window system. QDialog's own close handling would
    // call reject(), which is Escape's and does nothing here.
    event->accept();
    if (!closing_) {
        closing_ = true;
        dialog_->closedByWindowSystem();
    }
}

} // namespace orva

#include "reference/qt_reference_window.h"

#include "qtui/qt_input.h"
#include "qtui/qt_twips.h"
#include "reference/catalogues.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalBlocker>

namespace orva {
namespace {

constexpr int kClientWidth = 10005;

QComboBox* makeList(QWidget* parent, int list, int width, std::span<const std::string_view> entries)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(latin1(ReferenceWindow::listName(list)));
    combo->setGeometry(twipsRect(120, 1560, width, 300));
    combo->setMaxVisibleItems(20);
    // The entries keep their tab characters; the list draws them at tab
    // stops so the descriptions line up.
    auto* view = new QListView(combo);
    view->setTextElideMode(Qt::ElideNone);
    combo->setView(view);
    for (std::string_view e : entries)
        combo->addItem(latin1(e));
    combo->view()->setMinimumWidth(combo->width());
    return combo;
}

} // namespace

QtReferenceWindow::QtReferenceWindow(std::unique_ptr<ReferenceWindow> window, QWidget* parent)
    // Fixed in size: no maximise button.
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      window_(std::move(window))
{
    window_->attach(*this);
    setObjectName("Form3");
    setWindowTitle("Command List");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedWidth(kClientWidth / kTwipsPerPixel);
    applyOuterHeight();

    namespace names = command_list;
    auto* basic = makeList(this, ReferenceWindow::kBasic, 5055, basicCatalogue());
    auto* send = new QPushButton("SEND", this);
    send->setObjectName(latin1(names::kSend));
    send->setGeometry(twipsRect(9000, 680, 855, 375));
    auto* closeButton = new QPushButton("CLOSE", this);
    closeButton->setObjectName(latin1(names::kClose));
    closeButton->setGeometry(twipsRect(9000, 1320, 855, 375));
    auto* showBasic = new QPushButton("Basic Command List", this);
    showBasic->setObjectName(latin1(names::kShowBasic));
    showBasic->setGeometry(twipsRect(120, 120, 2415, 375));
    edit_ = new QLineEdit(this);
    edit_->setObjectName(latin1(names::kEditBox));
    edit_->setGeometry(twipsRect(120, 720, 8655, 300));
    edit_->setAccessibleName("Command to send");
    auto* showSet = new QPushButton("Expand Command List", this);
    showSet->setObjectName(latin1(names::kShowExpandedSet));
    showSet->setGeometry(twipsRect(2760, 120, 2655, 375));
    auto* showRead = new QPushButton("Expand Read Command List", this);
    showRead->setObjectName(latin1(names::kShowExpandedRead));
    showRead->setGeometry(twipsRect(5760, 120, 3015, 375));
    auto* set = makeList(this, ReferenceWindow::kExpandedSet, 8655, expandedSetCatalogue());
    auto* read = makeList(this, ReferenceWindow::kExpandedRead, 8655, expandedReadCatalogue());

    auto* crHint = new QLabel("[CR] :Carriage Return Code (0x0D)", this);
    crHint->setObjectName(latin1(names::kCrHint));
    crHint->setGeometry(twipsRect(240, 1200, 3975, 300));
    auto* parameterHint = new QLabel("% :Parameter (0-9).", this);
    parameterHint->setObjectName(latin1(names::kParameterHint));
    parameterHint->setGeometry(twipsRect(4560, 1200, 2895, 300));
    for (QLabel* l : {crHint, parameterHint}) {
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText, Qt::red);
        l->setPalette(p);
        l->hide();
    }

    for (QPushButton* b : {send, closeButton, showBasic, showSet, showRead})
        clickOnSpaceAndReturn(b);

    QWidget* order[] = {basic, send, closeButton, showBasic, edit_, showSet, showRead, set, read};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);

    const int lists[] = {ReferenceWindow::kBasic, ReferenceWindow::kExpandedSet,
                         ReferenceWindow::kExpandedRead};
    QComboBox* combos[] = {basic, set, read};
    for (int i = 0; i < 3; ++i) {
        const int list = lists[i];
        connect(combos[i], &QComboBox::currentIndexChanged, this,
                [this, list](int index) { window_->pick(list, index); });
    }
    // Every change of the text counts: typed, pasted, or set through the
    // accessibility interface. The window's own changes come with the
    // signals blocked (setCaption), so its handler runs once for them.
    connect(edit_, &QLineEdit::textChanged, this,
            [this](const QString& text) { window_->editChange(toLatin1(text)); });
    connect(send, &QPushButton::clicked, this, [this] { window_->sendCommand(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { window_->closeWindow(); });
    connect(showBasic, &QPushButton::clicked, this, [this] { window_->switchList(ReferenceWindow::kBasic); });
    connect(showSet, &QPushButton::clicked, this,
            [this] { window_->switchList(ReferenceWindow::kExpandedSet); });
    connect(showRead, &QPushButton::clicked, this,
            [this] { window_->switchList(ReferenceWindow::kExpandedRead); });
}

QtReferenceWindow::~QtReferenceWindow()
{
    // The behaviour goes before the controls do: nothing they send while
    // they are taken down may reach it.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

QWidget* QtReferenceWindow::control(std::string_view name) const
{
    return findChild<QWidget*>(latin1(name));
}

void QtReferenceWindow::setCaption(std::string_view name, const std::string& text)
{
    if (name == command_list::kEditBox) {
        const QSignalBlocker block(edit_);
        edit_->setText(latin1(text));
    } else if (auto* label = qobject_cast<QLabel*>(control(name))) {
        label->setText(latin1(text));
    }
}

void QtReferenceWindow::setControlVisible(std::string_view name, bool visible)
{
    if (QWidget* w = control(name))
        w->setVisible(visible);
}

void QtReferenceWindow::setCurrentIndex(std::string_view list, int index)
{
    if (auto* combo = qobject_cast<QComboBox*>(control(list))) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(index);
    }
}

void QtReferenceWindow::setFocus(std::string_view name)
{
    if (QWidget* w = control(name))
        w->setFocus();
}

void QtReferenceWindow::setOuterHeight(int twips)
{
    outerHeightTwips_ = twips;
    applyOuterHeight();
}

void QtReferenceWindow::applyOuterHeight()
{
    const int client = clientHeightForOuter(*this, outerHeightTwips_);
    if (client != height() || minimumHeight() != maximumHeight())
        setFixedHeight(client);
}

bool QtReferenceWindow::event(QEvent* event)
{
    // The window system frames the window after it is mapped (and may
    // change the frame later): the outer height follows the real frame.
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize || event->type() == QEvent::Show)
        applyOuterHeight();
    return QWidget::event(event);
}

void QtReferenceWindow::setTop(std::string_view name, int twips)
{
    if (QWidget* w = control(name))
        w->move(w->x(), twips / kTwipsPerPixel);
}

void QtReferenceWindow::closeWindow()
{
    closing_ = true;
    hide();
    deleteLater();
}

void QtReferenceWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!closing_) {
        closing_ = true;
        window_->closedByTitleBar();
    }
}

} // namespace orva

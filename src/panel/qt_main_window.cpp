#include "panel/qt_main_window.h"

#include "link/link.h"
#include "panel/panel_table.h"
#include "qtui/qt_input.h"
#include "qtui/qt_twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

namespace orva {
namespace {

// A frame at 60 Hz, short by the time it takes to be shown: the received
// line on screen is never more than about a frame (16.7 ms) behind the model.
constexpr qint64 kReceivedFrameMs = 14;

const QColor kBackground(192, 192, 192);
const QColor kDarkRed(192, 0, 0);
const QColor kArrowFace(255, 255, 128);

QRect toPixels(const TwipsRect& r)
{
    return twipsRect(r.left, r.top, r.width, r.height);
}

bool contains(const TwipsRect& outer, const TwipsRect& inner)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right() <= outer.right()
        && inner.bottom() <= outer.bottom();
}

// The geometry is fixed in logical pixels at 96 per inch (15 twips each), so
// the captions are sized in the same pixels: 9 pt is 12 px whatever the
// desktop's font resolution, and nothing outgrows its button.
QFont captionFont(int centiPoints)
{
    QFont f(QtMainWindow::fontFamily());
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(centiPoints * 96 / 7200);
    f.setBold(true);
    return f;
}

const char* faceName(Face face)
{
    switch (face) {
    case Face::Green: return "green";
    case Face::Red: return "red";
    case Face::Yellow: return "yellow";
    case Face::Orange: return "orange";
    case Face::Cyan: return "cyan";
    case Face::Teal: return "teal";
    case Face::Plain: return nullptr;
    }
    return nullptr;
}

// Graphical buttons: the face colour with a raised bevel, sunk while down.
QString faceStyleSheet()
{
    const std::pair<const char*, const char*> faces[] = {
        {"green", "128, 255, 128"}, {"red", "255, 128, 128"}, {"yellow", "255, 255, 128"},
        {"orange", "255, 192, 128"}, {"cyan", "192, 255, 255"}, {"teal", "0, 192, 192"},
    };
    QString sheet;
    for (const auto& [name, rgb] : faces) {
        sheet += QStringLiteral("QPushButton[face=\"%1\"] { background-color: rgb(%2); "
                                "border: 2px outset rgb(%2); padding: 0px; }\n"
                                "QPushButton[face=\"%1\"]:pressed { border-style: inset; }\n")
                     .arg(QLatin1String(name), QLatin1String(rgb));
    }
    // The focused button keeps its face and shows a dark edge instead.
    sheet += QStringLiteral("QPushButton[face]:focus { border: 2px solid rgb(0, 0, 0); }\n"
                            "QPushButton[face]:focus:pressed { border: 2px inset rgb(64, 64, 64); }\n");
    return sheet;
}

// 17 by 9 pixels: a black triangle on the yellow face.
QIcon arrowIcon(Arrow arrow)
{
    QPixmap picture(17, 9);
    picture.fill(kArrowFace);
    QPainter p(&picture);
    for (int i = 0; i < 9; ++i) {
        switch (arrow) {
        case Arrow::Up: // row i is 2i+1 wide, the tip at the top
            p.fillRect(8 - i, i, 2 * i + 1, 1, Qt::black);
            break;
        case Arrow::Down:
            p.fillRect(8 - i, 8 - i, 2 * i + 1, 1, Qt::black);
            break;
        case Arrow::Right: { // nine columns in the middle, the base at the left
            const int half = (8 - i) / 2;
            p.fillRect(4 + i, 4 - half, 1, 2 * half + 1, Qt::black);
            break;
        }
        case Arrow::Left: {
            const int half = (8 - i) / 2;
            p.fillRect(12 - i, 4 - half, 1, 2 * half + 1, Qt::black);
            break;
        }
        case Arrow::None:
            break;
        }
    }
    p.end();
    QIcon icon;
    icon.addPixmap(picture, QIcon::Normal);
    icon.addPixmap(picture, QIcon::Active);
    return icon;
}

const char* arrowWord(Arrow arrow)
{
    switch (arrow) {
    case Arrow::Up: return "up";
    case Arrow::Down: return "down";
    case Arrow::Left: return "left";
    case Arrow::Right: return "right";
    case Arrow::None: break;
    }
    return "";
}

void setTextColour(QWidget* w, const QColor& colour)
{
    QPalette p = w->palette();
    p.setColor(QPalette::WindowText, colour);
    w->setPalette(p);
}

void setWhiteBackground(QLabel* label)
{
    QPalette p = label->palette();
    p.setColor(QPalette::Window, Qt::white);
    label->setPalette(p);
    label->setAutoFillBackground(true);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
}

// Windows' virtual-key codes for the keys the panel can meet; letters and
// digits are their upper-case ASCII codes.
int virtualKey(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 0x70 + (key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Delete: return 0x2E;
    default: return 0;
    }
}

int shiftState(Qt::KeyboardModifiers m)
{
    int state = 0;
    if (m & Qt::ShiftModifier)
        state |= kShiftMask;
    if (m & Qt::ControlModifier)
        state |= kCtrlMask;
    if (m & Qt::AltModifier)
        state |= kAltMask;
    return state;
}

// A label of the monitor: white, with a plain border in the window's text
// colour, and its text in its own colour (the status label's is red, its
// border is not). The received line can hold tens of thousands of
// characters, of which a few dozen fit; laying all of them out at every
// paint would take tens of milliseconds, so only the head that can show is
// drawn (every character is at least a pixel wide). The caption itself
// stays whole.
class MonitorLabel : public QLabel {
public:
    using QLabel::QLabel;
    void setTextColour(const QColor& colour)
    {
        textColour_ = colour;
        update();
    }
    QColor textColour() const
    {
        return textColour_.isValid() ? textColour_ : palette().color(QPalette::WindowText);
    }
    // A new caption. When what shows stays the same (a long line that only
    // grew beyond its edge), the label takes it without being drawn again.
    void setCaption(const QString& caption)
    {
        const qsizetype fits = shownCharacters();
        const bool looksTheSame = (alignment() & Qt::AlignLeft) && caption.size() >= fits
            && text().size() >= fits && QStringView(caption).left(fits) == QStringView(text()).left(fits);
        if (!looksTheSame) {
            setText(caption);
            return;
        }
        setAttribute(Qt::WA_UpdatesDisabled, true);
        setText(caption);
        setAttribute(Qt::WA_UpdatesDisabled, false);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        // Placed as QLabel places a plain text.
        QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        const int shift = indent() >= 0 ? indent() : (frameWidth() > 0 ? fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2 : 0);
        if (alignment() & Qt::AlignRight)
            area.setRight(area.right() - shift);
        else
            area.setLeft(area.left() + shift);
        QPainter p(this);
        drawFrame(&p);
        QPalette colours = palette();
        colours.setColor(QPalette::WindowText, textColour());
        style()->drawItemText(&p, area, static_cast<int>(alignment()), colours, isEnabled(),
                              text().left(shownCharacters()), QPalette::WindowText);
    }

private:
    qsizetype shownCharacters() const { return contentsRect().width() + 1; }

    QColor textColour_;
};

// A button of the panel that tells whether its click came from the pointer
// (a release of the mouse on it) rather than a key or an assistive
// technology.
class PanelPushButton : public QPushButton {
public:
    using QPushButton::QPushButton;
    bool clickedByPointer() const { return pointerRelease_; }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        pointerRelease_ = true;
        QPushButton::mouseReleaseEvent(event);
        pointerRelease_ = false;
    }

private:
    bool pointerRelease_ = false;
};

// Hands the events of the objects it watches to a function; never consumes them.
class EventHook : public QObject {
public:
    using Handler = std::function<bool(QObject*, QEvent*)>;
    EventHook(QObject* parent, Handler handler) : QObject(parent), handler_(std::move(handler)) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        handler_(watched, event);
        return false;
    }

private:
    Handler handler_;
};

} // namespace

QString QtMainWindow::fontFamily()
{
    static const QString family = [] {
        for (const char* f : {"MS PGothic", "IPAPGothic"}) {
            if (QFontDatabase::hasFamily(QString::fromLatin1(f)))
                return QString::fromLatin1(f);
        }
        return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }();
    return family;
}

QtMainWindow::QtMainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                          | Qt::WindowCloseButtonHint)
{
    setObjectName("Form1");
    setWindowTitle("ORVA   QLN40/QLN45/QLN50  CONTROL  Ver.2.0");
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kBackground);
    setPalette(pal);
    setAutoFillBackground(true);
    setStyleSheet(faceStyleSheet());

    // What lies in the part that only the expanded height shows goes into
    // one transparent area, which the collapsed height hides as a whole:
    // its controls are then neither drawn nor reachable, and keep their own
    // visibility for when it shows again.
    expandedArea_ = new QWidget(this);
    expandedArea_->setObjectName("ExpandedArea");
    {
        const int top = twipsToPixels(kExpandedAreaTop);
        expandedArea_->setGeometry(0, top, twipsToPixels(kClientWidth), twipsToPixels(kClientHeight) - top);
    }
    auto areaOf = [this](const TwipsRect& r) -> QWidget* {
        return r.top >= kExpandedAreaTop ? expandedArea_ : this;
    };
    // Frames first, so that they lie behind; a control inside a frame's
    // rectangle becomes the frame's child and hides with it.
    std::vector<std::pair<TwipsRect, QFrame*>> frames;
    for (const PanelGroup& g : panelGroups()) {
        QWidget* area = areaOf(g.geometry);
        auto* frame = new QFrame(area);
        frame->setObjectName(latin1(g.name));
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        frame->setGeometry(toPixels(g.geometry).translated(-area->mapTo(this, QPoint())));
        frames.emplace_back(g.geometry, frame);
        controls_.insert(frame->objectName(), frame);
    }
    auto place = [&](QWidget* w, std::string_view name, const TwipsRect& r) {
        QWidget* container = areaOf(r);
        for (const auto& [frameRect, frame] : frames) {
            if (contains(frameRect, r)) {
                container = frame;
                break;
            }
        }
        const QRect rect = toPixels(r).translated(-container->mapTo(this, QPoint()));
        w->setParent(container);
        w->setObjectName(latin1(name));
        w->setGeometry(rect);
        w->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        controls_.insert(w->objectName(), w);
    };

    for (const PanelGroup& g : panelGroups()) {
        const std::pair<std::string_view, std::string_view> titles[] = {{g.titleName, g.title},
                                                                         {g.title2Name, g.title2}};
        const TwipsRect rects[] = {g.titleGeometry, g.title2Geometry};
        for (int i = 0; i < 2; ++i) {
            if (titles[i].first.empty())
                continue;
            auto* title = new QLabel(latin1(titles[i].second));
            place(title, titles[i].first, rects[i]);
            title->setTextFormat(Qt::PlainText);
            title->setFont(captionFont(g.titleFontCentiPoints));
            title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            if (g.darkRedTitle)
                setTextColour(title, kDarkRed);
        }
    }

    QWidget* previous = nullptr;
    for (const PanelButton& b : panelButtons()) {
        auto* button = new PanelPushButton(latin1(b.caption));
        place(button, b.name, b.geometry);
        button->setFont(captionFont(b.fontCentiPoints));
        button->setAutoDefault(false);
        if (const char* face = faceName(b.face))
            button->setProperty("face", QString::fromLatin1(face));
        if (b.arrow != Arrow::None) {
            button->setIcon(arrowIcon(b.arrow));
            button->setIconSize(QSize(17, 9));
            button->setAccessibleName(latin1(b.group) + ' ' + QString::fromLatin1(arrowWord(b.arrow)));
        } else if (!b.group.empty()) {
            button->setAccessibleName(latin1(b.group) + ' ' + latin1(b.caption));
        }
        const QString what = b.command.empty()
            ? latin1(b.meaning)
            : latin1(b.command) + QString::fromUtf8(" \u2014 ") + latin1(b.meaning);
        button->setToolTip(what);
        button->setAccessibleDescription(what);
        if (b.action == Action::Hold)
            holdButtons_.insert(button, button->objectName()); // the mouse only
        else
            clickOnSpaceAndReturn(button);
        if (previous)
            setTabOrder(previous, button);
        previous = button;
    }

    for (const PanelLabel& l : panelLabels()) {
        const bool line = l.name == monitor::kSentLine || l.name == monitor::kReceivedLine
            || l.name == monitor::kStatus;
        auto* label = line ? new MonitorLabel(latin1(l.caption)) : new QLabel(latin1(l.caption));
        place(label, l.name, l.geometry);
        label->setTextFormat(Qt::PlainText);
        label->setFont(captionFont(l.fontCentiPoints));
        label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        if (l.name == monitor::kSentLine)
            label->setAccessibleDescription("TxD: the command sent");
        else if (l.name == monitor::kReceivedLine)
            label->setAccessibleDescription("RxD: what came back");
        else if (l.name == monitor::kStatus)
            label->setAccessibleDescription("Status: the reply in words");
    }
    auto label = [this](std::string_view name) { return static_cast<QLabel*>(control(name)); };
    for (std::string_view caption : {kSentCaption, kReceivedCaption, kStatusCaption})
        label(caption)->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (std::string_view line : {monitor::kSentLine, monitor::kReceivedLine})
        setWhiteBackground(label(line));
    setWhiteBackground(label(monitor::kStatus));
    static_cast<MonitorLabel*>(label(monitor::kStatus))->setTextColour(Qt::red);
    for (std::string_view legend : {monitor::kCrLegend, monitor::kSpaceLegend}) {
        setTextColour(label(legend), Qt::red);
        label(legend)->hide();
    }
    QLabel* notice = label(monitor::kNotice);
    setTextColour(notice, Qt::red);
    notice->setWordWrap(true);
    notice->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    receivedTimer_ = new QTimer(this);
    receivedTimer_->setObjectName("ReceivedLineFrame");
    receivedTimer_->setSingleShot(true);
    receivedTimer_->setTimerType(Qt::PreciseTimer);
    connect(receivedTimer_, &QTimer::timeout, this, [this] { showReceivedNow(); });

    holdFilter_ = new EventHook(this, [this](QObject* o, QEvent* e) { return holdButtonEvent(o, e); });
    for (auto it = holdButtons_.cbegin(); it != holdButtons_.cend(); ++it)
        it.key()->installEventFilter(holdFilter_);

    setOuterHeight(kExpandedHeight);
    if (QWidget* first = control(panelButtons().front().name))
        first->setFocus();
}

QtMainWindow::~QtMainWindow()
{
    // The hooks call back into this window: end them before the widgets go,
    // since taking the children down still sends them events.
    if (keyFilter_)
        qApp->removeEventFilter(keyFilter_);
    delete keyFilter_;
    keyFilter_ = nullptr;
    delete holdFilter_;
    holdFilter_ = nullptr;
    delete platformWindowFilter_;
    platformWindowFilter_ = nullptr;
    frameHandler_ = nullptr;
}

void QtMainWindow::bind(Panel& panel)
{
    const bool connected = keyFilter_ != nullptr; // made at the first bind
    panel_ = &panel;
    if (connected)
        return; // the buttons already lead to whatever panel is bound
    for (const PanelButton& b : panelButtons()) {
        if (b.action == Action::Hold)
            continue; // press and release only, never a click
        auto* button = static_cast<PanelPushButton*>(control(b.name));
        const std::string name(b.name);
        connect(button, &QPushButton::clicked, this, [this, name, button] {
            if (panel_)
                panel_->click(name, button->clickedByPointer() ? Panel::By::Pointer : Panel::By::Key);
        });
    }
    // Key preview: the panel sees every key press in this window before the
    // focused control does.
    keyFilter_ = new EventHook(this, [this](QObject* o, QEvent* e) { return keyPreviewEvent(o, e); });
    qApp->installEventFilter(keyFilter_);
}

bool QtMainWindow::holdButtonEvent(QObject* watched, QEvent* event)
{
    if (!panel_)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // the second press of a quick double click
        swallowRelease_ = false;
        panel_->press(holdButtons_.value(watched).toStdString());
        break;
    case QEvent::MouseButtonRelease:
        // Qt delivers the release to the button that took the press, also
        // when the pointer has left it.
        if (swallowRelease_)
            swallowRelease_ = false; // its hold has ended already
        else
            panel_->release();
        break;
    default:
        break;
    }
    return false;
}

bool QtMainWindow::keyPreviewEvent(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !panel_)
        return false;
    // A key press travels from the focused control up to the window while
    // nobody accepts it; the panel sees it once, at the control it was sent to.
    auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != this)
        return false;
    QWidget* target = focusWidget() ? focusWidget() : this;
    if (w != target)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    panel_->keyDown(virtualKey(key->key()), shiftState(key->modifiers()));
    return false;
}

void QtMainWindow::setCloseHandler(std::function<void()> handler)
{
    closeHandler_ = std::move(handler);
}

void QtMainWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (closeHandler_)
        closeHandler_();
}

void QtMainWindow::setFrameHandler(std::function<void()> handler)
{
    frameHandler_ = std::move(handler);
}

bool QtMainWindow::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Hide:
    case QEvent::WindowBlocked: // a modal window opened
    case QEvent::UngrabMouse:   // Qt's mouse grab taken away (a popup)
        interruptHold();
        break;
    case QEvent::WindowStateChange:
        if (isMinimized())
            interruptHold();
        break;
    case QEvent::Show:
        if (!platformWindowFilter_ && windowHandle()) {
            platformWindowFilter_ =
                new EventHook(this, [this](QObject*, QEvent* e) { return platformWindowEvent(e); });
            windowHandle()->installEventFilter(platformWindowFilter_);
        }
        frameMaybeChanged();
        break;
    case QEvent::Move:
    case QEvent::Resize:
        frameMaybeChanged();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool QtMainWindow::platformWindowEvent(QEvent* event)
{
    // Unmapped or covered up by the window system: Qt's widget still counts
    // as visible, but the window is out of sight.
    if (event->type() == QEvent::Expose && !windowHandle()->isExposed())
        interruptHold();
    return false;
}

void QtMainWindow::interruptHold()
{
    if (!panel_)
        return;
    if (panel_->holding())
        swallowRelease_ = true;
    panel_->interrupted();
    for (auto it = holdButtons_.cbegin(); it != holdButtons_.cend(); ++it) {
        if (auto* button = qobject_cast<QPushButton*>(it.key()); button && button->isDown())
            button->setDown(false);
    }
}

bool QtMainWindow::mouseButtonDown() const
{
    return anyMouseButtonDown();
}

void QtMainWindow::frameMaybeChanged()
{
    const QSize frame = frameGeometry().size() - size();
    if (frame == knownFrame_)
        return;
    knownFrame_ = frame;
    if (frame.height() <= 0)
        return; // not framed (yet)
    applyOuterHeight();
    if (frameHandler_)
        frameHandler_();
}

double QtMainWindow::outerWidthTwips() const
{
    return (width() + frameExtraPixels(*this).width()) * static_cast<double>(kTwipsPerPixel);
}

QWidget* QtMainWindow::control(std::string_view name) const
{
    return controls_.value(latin1(name), nullptr);
}

void QtMainWindow::setCaption(std::string_view name, const std::string& text)
{
    if (name == monitor::kReceivedLine) {
        received_ = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        showReceivedSoon();
        return;
    }
    QWidget* w = control(name);
    const QString caption = QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
    if (name == monitor::kNotice)
        w->setToolTip(caption); // all of it, should it outgrow its three lines
    if (auto* label = qobject_cast<QLabel*>(w))
        label->setText(caption);
    else if (auto* button = qobject_cast<QPushButton*>(w))
        button->setText(caption);
}

void QtMainWindow::appendCaption(std::string_view name, std::string_view tail, const std::string& whole)
{
    if (name != monitor::kReceivedLine
        || received_.size() + static_cast<qsizetype>(tail.size()) != static_cast<qsizetype>(whole.size())) {
        setCaption(name, whole);
        return;
    }
    received_.append(QLatin1StringView(tail.data(), static_cast<qsizetype>(tail.size())));
    showReceivedSoon();
}

void QtMainWindow::showReceivedSoon()
{
    if (receivedTimer_->isActive())
        return; // shown when this frame is over
    const qint64 sinceNs = receivedShown_.isValid() ? receivedShown_.nsecsElapsed() : kReceivedFrameMs * 1'000'000;
    const qint64 leftMs = (kReceivedFrameMs * 1'000'000 - sinceNs) / 1'000'000; // rather early than late
    if (leftMs <= 0)
        showReceivedNow();
    else
        receivedTimer_->start(static_cast<int>(leftMs));
}

void QtMainWindow::showReceivedNow()
{
    receivedTimer_->stop();
    if (auto* label = dynamic_cast<MonitorLabel*>(control(monitor::kReceivedLine)))
        label->setCaption(received_);
    receivedShown_.start();
}

void QtMainWindow::setControlVisible(std::string_view name, bool visible)
{
    if (QWidget* w = control(name))
        w->setVisible(visible);
}

void QtMainWindow::setOuterHeight(int twips)
{
    outerHeightTwips_ = twips;
    applyOuterHeight();
}

void QtMainWindow::applyOuterHeight()
{
    // The outer height includes the frame: the real one once the window
    // system has drawn it.
    const QSize client(kClientWidth / kTwipsPerPixel, clientHeightForOuter(*this, outerHeightTwips_));
    if (client != size() || minimumSize() != maximumSize())
        setFixedSize(client);
}

void QtMainWindow::setExpandedAreaShown(bool shown)
{
    expandedArea_->setVisible(shown);
    // Hidden controls may still be pressed through the accessibility
    // interface: disabled ones may not.
    expandedArea_->setEnabled(shown);
}

} // namespace orva

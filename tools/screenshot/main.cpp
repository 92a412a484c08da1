// orva-screenshot DIR: draws the main window with an example exchange on the
// line monitor and writes DIR/main-collapsed.png and DIR/main-expanded.png.
// Needs no projector and no serial port; runs with QT_QPA_PLATFORM=offscreen.
#include "app/program.h"
#include "app/qt_shell.h"
#include "reference/qt_reference_window.h"
#include "reference/reference_window.h"
#include "settings/qt_port_dialog.h"
#include "link/qt_timer.h"
#include "panel/panel_table.h"
#include "panel/qt_main_window.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>

#include <cstdio>
#include <string>

namespace {

// A port that is never open; the test harness feeds its "received" text.
class ClosedPort : public orva::SerialPort {
public:
    bool setPortNumber(int n) override
    {
        number_ = n;
        return true;
    }
    int portNumber() const override { return number_; }
    void setSettings(const std::string&) override {}
    bool open() override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    bool write(std::string_view) override { return false; }
    std::string read() override { return std::exchange(waiting_, {}); }
    std::size_t bytesToWrite() const override { return 0; }
    std::string errorText() const override { return "no port"; }
    std::string deviceName() const override { return "COM" + std::to_string(number_); }

    void receive(std::string text)
    {
        waiting_ = std::move(text);
        if (listener())
            listener()->onComm(orva::kCommEventReceive);
    }

private:
    int number_ = 1;
    std::string waiting_;
};

// Nothing stored, nothing kept.
class EmptyStore : public orva::SettingsStore {
public:
    std::string read(const std::string&, const std::string&, const std::string& fallback) const override
    {
        return fallback;
    }
    orva::StoreOutcome write(const std::string&, const Entries&) override { return {}; }
};

bool save(QWidget& w, const QString& path)
{
    if (!w.grab().save(path)) {
        std::fprintf(stderr, "orva-screenshot: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: orva-screenshot DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "orva-screenshot: cannot create %s\n", argv[1]);
        return 1;
    }

    ClosedPort port;
    EmptyStore store;
    orva::QtTimer timer1;
    orva::QtTimer timer2;
    orva::QtTimer timer4;
    orva::QtTimer inputGuard;
    orva::QtTimer reopenTimer;
    orva::QtMainWindow window;
    orva::QtShell shell(window);
    orva::Program program(port, store, timer1, timer2, timer4, inputGuard, reopenTimer, window, shell);
    window.bind(program.panel());

    // "Status" on the closed port: the frame shows on the sent line and the
    // notice says why it did not go out; then a reply comes in.
    program.panel().click("Command44");
    port.receive("00\r");
    window.show();

    program.panel().setOuterHeight(orva::kCollapsedHeight);
    if (!save(window, dir.filePath("main-collapsed.png")))
        return 1;
    program.panel().setOuterHeight(orva::kExpandedHeight);
    if (!save(window, dir.filePath("main-expanded.png")))
        return 1;

    // The other two windows: the command list on a placeholder entry of the
    // expanded set list, and the port dialog as "COM" opens it.
    program.panel().click("Command74");
    if (orva::ReferenceWindow* list = program.referenceWindow()) {
        list->switchList(orva::ReferenceWindow::kExpandedSet);
        if (auto* combo = shell.referenceWindow()->findChild<QComboBox*>("Combo2"))
            combo->setCurrentIndex(2); // as the operator picks it
    }
    if (QWidget* list = shell.referenceWindow(); !list || !save(*list, dir.filePath("command-list.png")))
        return 1;
    program.panel().click("Command33");
    if (QWidget* dialog = shell.portDialogWindow(); !dialog || !save(*dialog, dir.filePath("port-dialog.png")))
        return 1;
    std::printf("font: %s\n", qPrintable(orva::QtMainWindow::fontFamily()));
    return 0;
}

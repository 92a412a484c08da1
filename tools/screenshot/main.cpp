// orva-screenshot DIR: draws the main window with an example exchange on the
// line monitor and writes DIR/main-collapsed.png and DIR/main-expanded.png.
// Needs no projector and no serial port; runs with QT_QPA_PLATFORM=offscreen.
#include "app/program.h"
#include "app/qt_shell.h"
#include "fakes.h"
#include "ports/qt_timer.h"
#include "panel/panel_table.h"
#include "panel/qt_main_window.h"
#include "reference/qt_reference_window.h"
#include "reference/reference_window.h"
#include "settings/qt_port_dialog.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPixmap>

#include <cstdio>
#include <string>

namespace {

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

    // A port that never opens, whose far end the tool plays; nothing stored.
    orva::test::FakePort port;
    port.availablePorts.clear();
    orva::test::FakeStore store;
    orva::QtTimerSource timers;
    orva::QtMainWindow window;
    orva::QtShell shell(window);
    orva::Program program({port, store, timers, window, shell});

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

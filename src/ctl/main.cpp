// orva-ctl: the projector from the shell. Reads status in words, sends
// commands from scripts, lists and maps the serial ports; no window.
#include "ctl/qt_ctl.h"
#include "ports/qt_host_lookup.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ORVA"));
    QCoreApplication::setApplicationName(QStringLiteral("orva-ctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVA_VERSION));
    return orva::endWithoutWaitingForLookups(orva::runCtl(QCoreApplication::arguments()));
}

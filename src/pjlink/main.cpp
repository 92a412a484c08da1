// orva-pjlinkd: PJLink for every projector on a serial line.
#include "ports/qt_host_lookup.h"
#include "ports/qt_serial_port.h"
#include "pjlink/qt_daemon.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ORVA"));
    QCoreApplication::setApplicationName(QStringLiteral("orva-pjlinkd"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVA_VERSION));
    // Lines and their lock files are let go however the daemon ends.
    orva::QtSerialPort::releaseOnFatalExit();
    return orva::endWithoutWaitingForLookups(orva::pjlink::runDaemon(QCoreApplication::arguments()));
}

// orva-pjlinkd: PJLink for every projector on a serial line.
#include "pjlink/qt_daemon.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("ORVA"));
    QCoreApplication::setApplicationName(QStringLiteral("orva-pjlinkd"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVA_VERSION));
    return orva::pjlink::runDaemon(QCoreApplication::arguments());
}

#include "app/qt_application.h"

#include <QApplication>
#include <QIcon>

namespace orva {

void configureApplication()
{
    QApplication::setOrganizationName("ORVA");
    QApplication::setApplicationName("orva-control");
    QApplication::setWindowIcon(QIcon::fromTheme("orva-control"));
    QApplication::setQuitOnLastWindowClosed(false);
}

} // namespace orva

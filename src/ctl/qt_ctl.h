#pragma once

#include <QStringList>

namespace orva {

// orva-ctl with these arguments (the program name first), inside a running
// QCoreApplication. Returns the exit status.
int runCtl(const QStringList& arguments);

} // namespace orva

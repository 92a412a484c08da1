#pragma once

#include <QStringList>

namespace orva::pjlink {

// orva-pjlinkd: reads the configuration, serves every projector in it until
// SIGTERM or SIGINT, and reads it again on SIGHUP. Returns the exit status.
int runDaemon(const QStringList& arguments);

} // namespace orva::pjlink

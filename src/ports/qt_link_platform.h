#pragma once

#include "ports/port_target.h"

#include <QObject>
#include <QString>

namespace orva {

class PortBackend;

// What the serial control gets from the platform it runs on, one file per
// platform (qt_link_platform_posix.cpp, qt_link_platform_windows.cpp).

// The backend that opens `target` here, owned by `parent`; nothing, and why,
// for a kind of port this platform has no way to open.
PortBackend* makePortBackend(const PortTarget& target, QObject* parent, QString& refusal);

// A peer gone while it is written to (a reader of the output that quit)
// fails the write instead of ending the process past its exit handlers.
void letBrokenPipesFail();

// Makes a dead connection show as one: with nothing coming back, the system
// would otherwise wait for hours before it gives up on a server that went
// away without a word (powered off, cable pulled).
void keepConnectionWatched(qintptr socket);

// Bytes the system holds for the TCP connection `socket` and has not sent
// yet; 0 where that cannot be told.
qint64 unsentTcpBytes(qintptr socket);

} // namespace orva

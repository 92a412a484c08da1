#pragma once

namespace orva {

// A name lookup runs on one of Qt's lookup threads inside the C library's
// resolver, which nothing can interrupt: giving up on it (an open that ran
// out of time, a port closed or the program ended meanwhile) only drops its
// answer. Qt waits for such a thread when the application object goes, so
// a name server that does not answer would hold up the end of the program
// for as long as it keeps silent.

// A lookup was given up on before its answer came.
void lookupAbandoned();

// For main(): `return endWithoutWaitingForLookups(app.exec());`. When a
// lookup was given up on, the process ends with `code` as soon as the
// application object starts to go (everything else of main() is gone by
// then: ports closed, settings written), output flushed, instead of waiting
// for the name server. Otherwise nothing changes. Returns `code`.
int endWithoutWaitingForLookups(int code);

} // namespace orva

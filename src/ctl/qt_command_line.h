#pragma once

#include "ctl/ctl_arguments.h"

#include <QString>
#include <QStringList>

namespace orva {

// The command line split by QCommandLineParser, with every option of the
// tables declared; what the words mean is interpretCommandLine's to say.
struct ParsedCommandLine {
    enum class Kind { Run, Help, Version, Error };
    Kind kind = Kind::Run;
    CommandLineWords words;
    const CommandSpec* helpFor = nullptr; // Help: the command named, if any
    QString error;                        // Error: the parser's message
};

ParsedCommandLine parseCtlCommandLine(const QStringList& arguments);

// The --help text of a command, or the overview for nullptr.
QString ctlHelpText(const CommandSpec* command);

} // namespace orva

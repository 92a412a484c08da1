#include "ctl/qt_ctl.h"

#include "ctl/answers.h"
#include "ctl/ctl_arguments.h"
#include "ctl/ctl_port.h"
#include "ctl/listings.h"
#include "ctl/qt_command_line.h"
#include "ctl/qt_ctl_output.h"
#include "ctl/qt_ctl_platform.h"
#include "ctl/qt_ctl_port.h"
#include "ctl/qt_port_map_file.h"
#include "line/transaction.h"
#include "line/clock.h"
#include "ports/qt_timer.h"
#include "settings/qt_settings_store.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFileInfo>

#include <cstdio>
#include <variant>

namespace orva {
namespace {

void print(std::FILE* to, const QByteArray& text)
{
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), to);
    std::fflush(to);
}

void printLine(std::FILE* to, const std::string& text)
{
    print(to, QByteArray::fromStdString(text + "\n"));
}

int report(const Answer& answer, bool json)
{
    if (json)
        print(stdout, jsonLine(answer.json));
    else if (!answer.out.empty())
        printLine(stdout, answer.out);
    if (!answer.err.empty())
        printLine(stderr, "orva-ctl: " + answer.err);
    return exitCode(answer.status);
}

int usageError(const std::string& message, const CommandSpec* command)
{
    const std::string help = command ? "orva-ctl " + std::string(command->name) + " --help" : "orva-ctl --help";
    printLine(stderr, "orva-ctl: " + message + "\nTry '" + help + "'.");
    return exitCode(ExitStatus::Usage);
}

// send and the reads: one exchange on the port.
Answer exchange(const Request& request)
{
    const ReadCommand* read = request.command->read;
    const std::string frame = read ? readFrame(*read) : request.text + "\r";
    const std::string command = frame.substr(0, frame.size() - 1);

    const QtSettingsStore store;
    auto resolved = resolvePort(request, store);
    if (const auto* problem = std::get_if<std::string>(&resolved))
        return portAnswer(nullptr, command, *problem);
    const ResolvedPort& port = std::get<ResolvedPort>(resolved);

    std::string problem;
    const std::unique_ptr<SerialPort> serial = openCtlPort(port, problem);
    if (!serial)
        return portAnswer(&port, command, problem);

    QtTimer replyTimer;
    LineTransaction transaction(*serial, replyTimer, steadyClock(), request.timeoutMs);
    serial->setListener(&transaction);
    QEventLoop loop;
    transaction.start(frame, [&loop](const LineOutcome&) { loop.quit(); });
    if (transaction.running())
        loop.exec();
    serial->setListener(nullptr);

    if (read)
        return readAnswer(*read, port, transaction.outcome(), request.timeoutMs);
    return sendAnswer(request.text, request.monitor, port, transaction.outcome(), request.timeoutMs);
}

} // namespace

int runCtl(const QStringList& arguments)
{
    const ParsedCommandLine parsed = parseCtlCommandLine(arguments);
    switch (parsed.kind) {
    case ParsedCommandLine::Kind::Error:
        return usageError(parsed.error.toStdString(), nullptr);
    case ParsedCommandLine::Kind::Help:
        print(stdout, ctlHelpText(parsed.helpFor).toUtf8());
        return 0;
    case ParsedCommandLine::Kind::Version:
        printLine(stdout, (QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion())
                              .toStdString());
        return 0;
    case ParsedCommandLine::Kind::Run:
        break;
    }

    const auto interpreted = interpretCommandLine(parsed.words, [](const std::string& relative) {
        const QFileInfo file(QString::fromStdString(relative));
        return file.exists() ? std::optional(file.absoluteFilePath().toStdString()) : std::nullopt;
    });
    if (const auto* error = std::get_if<UsageError>(&interpreted))
        return usageError(error->message, error->command);
    const Request& request = std::get<Request>(interpreted);

    switch (request.command->verb) {
    case Verb::Help:
        print(stdout, ctlHelpText(request.helpFor).toUtf8());
        return 0;
    case Verb::Commands:
        return report(commandsAnswer(request.catalogue, request.grep), request.json);
    case Verb::Ports: {
        const QtSettingsStore store;
        return report(portsAnswer(serialDevicesPresent(), store, probePath, store.fileName().toStdString()),
                    request.json);
    }
    case Verb::Map: {
        const QtSettingsStore store;
        QtPortMapFile writer(store.fileName());
        return report(mapAnswer(request, store, writer, probePath), request.json);
    }
    case Verb::Send:
    case Verb::Read:
        return report(exchange(request), request.json);
    }
    return exitCode(ExitStatus::Failed);
}

} // namespace orva

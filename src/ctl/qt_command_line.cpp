#include "ctl/qt_command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <algorithm>

namespace orva {
namespace {

QString q(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QCommandLineOption optionOf(const OptionSpec& spec)
{
    QCommandLineOption option(q(spec.name), q(spec.description));
    if (!spec.valueName.empty())
        option.setValueName(q(spec.valueName));
    return option;
}

// A parser that knows -h, -v and the given options. Not Qt's own help
// option, which brings --help-all and the toolkit's options with it.
void declare(QCommandLineParser& parser, const CommandSpec* command)
{
    parser.addOption(QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                                        QStringLiteral("Show this help and exit.")));
    parser.addOption(QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                                        QStringLiteral("Show the version and exit.")));
    for (const OptionSpec& o : commonOptions())
        parser.addOption(optionOf(o));
    for (const OptionSpec& o : commandOptions()) {
        const bool own = !command ||
                         std::find(command->options.begin(), command->options.end(), o.name) != command->options.end();
        if (own)
            parser.addOption(optionOf(o));
    }
}

} // namespace

ParsedCommandLine parseCtlCommandLine(const QStringList& arguments)
{
    ParsedCommandLine out;
    QCommandLineParser parser;
    declare(parser, nullptr);
    if (!parser.parse(arguments)) {
        out.kind = ParsedCommandLine::Kind::Error;
        out.error = parser.errorText();
        return out;
    }
    const QStringList positional = parser.positionalArguments();
    for (const QString& a : positional)
        out.words.arguments.push_back(a.toStdString());
    if (parser.isSet(QStringLiteral("help"))) {
        out.kind = ParsedCommandLine::Kind::Help;
        if (!positional.isEmpty())
            out.helpFor = findCommand(positional.front().toStdString());
        return out;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out.kind = ParsedCommandLine::Kind::Version;
        return out;
    }
    for (const auto& specs : {commonOptions(), commandOptions()}) {
        for (const OptionSpec& o : specs) {
            const QString name = q(o.name);
            if (!parser.isSet(name))
                continue;
            out.words.options[std::string(o.name)] =
                o.valueName.empty() ? std::string() : parser.values(name).constLast().toStdString();
        }
    }
    return out;
}

QString ctlHelpText(const CommandSpec* command)
{
    QCommandLineParser parser;
    declare(parser, command);
    if (!command) {
        parser.setApplicationDescription(QString::fromStdString(overviewText()).trimmed());
        parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("One of the commands above."),
                                     QStringLiteral("COMMAND [ARGUMENTS...]"));
    } else {
        parser.setApplicationDescription(QString::fromStdString(command->description));
        parser.addPositionalArgument(q(command->name), QString(), q(command->name));
        if (!command->arguments.empty())
            parser.addPositionalArgument(QStringLiteral("arguments"), QString(), q(command->arguments));
    }
    QString text = parser.helpText();
    // The usage line names the program as it is installed, not as it was typed.
    const qsizetype usageEnd = text.indexOf(QStringLiteral(" [options]"));
    if (text.startsWith(QStringLiteral("Usage: ")) && usageEnd > 0)
        text.replace(7, usageEnd - 7, QStringLiteral("orva-ctl"));
    // The argument list only repeats the usage line.
    const qsizetype arguments = text.indexOf(QStringLiteral("\nArguments:\n"));
    if (command && arguments >= 0)
        text.truncate(arguments + 1);
    return text;
}

} // namespace orva

#pragma once

#include "ctl/ctl_port.h"
#include "ctl/exit_status.h"
#include "ctl/json_value.h"
#include "ctl/read_commands.h"
#include "line/transaction.h"

#include <optional>
#include <string>
#include <string_view>

namespace orva {

// What one orva-ctl command answers: the exit status, the line for stdout
// (text mode), the message for stderr, and the object --json prints.
struct Answer {
    ExitStatus status = ExitStatus::Answered;
    std::string out; // without the final line end; nothing is printed when empty
    std::string err; // without the program name; nothing is printed when empty
    JsonValue::Object json;
};

// Received bytes as UTF-8 text, one character per byte (ISO 8859-1).
std::string latin1ToUtf8(std::string_view bytes);

// A failure before anything was sent: the port could not be chosen or opened.
Answer portAnswer(const ResolvedPort* port, std::string_view command, std::string problem);

// The answer to a read: the value it read.
Answer readAnswer(const ReadCommand& read, const ResolvedPort& port, const LineOutcome& result, int timeoutMs);

// The answer to send: the reply escaped, or the monitor's rendering.
Answer sendAnswer(std::string_view text, bool monitor, const ResolvedPort& port,
                  const LineOutcome& result, int timeoutMs);

} // namespace orva

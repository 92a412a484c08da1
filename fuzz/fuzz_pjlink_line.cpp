// What a PJLink client may send, in any pieces: the session never answers
// more than once per line, every answer is one CR-ended line of bounded
// length, and a line beyond the limit never grows the buffer.
#include "pjlink/config.h"
#include "pjlink/session.h"

#include "virtual_clock.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace orva;
using namespace orva::pjlink;

namespace {

struct Client : ClientLink {
    void send(const std::string& bytes) override
    {
        if (bytes.empty() || bytes.back() != '\r' || bytes.find('\r') != bytes.size() - 1 || bytes.size() > 200)
            std::abort();
        ++answers;
    }
    void close() override { closed = true; }
    int answers = 0;
    bool closed = false;
};

struct Echo : CommandHandler {
    void execute(const Command& c, Answer answer, const Caller&) override
    {
        if (c.body.size() != 4 || c.parameter.size() > kMaxParameter)
            std::abort();
        answer(c.parameter);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const bool password = data[0] & 1;
    const std::size_t piece = 1 + (data[0] >> 1) % 40;
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);

    test::ManualTimer idle;
    Client client;
    Echo echo;
    const Authentication auth{password ? "secret" : "", [] { return std::string("01234567"); },
                              [](const std::string&) { return std::string(32, 'a'); }};
    Session session(client, echo, idle, auth);
    session.start();
    for (std::size_t at = 0; at < input.size() && !client.closed; at += piece)
        session.received(std::string_view(input).substr(at, piece));
    std::size_t lines = 0;
    for (const char c : input)
        lines += c == '\r';
    if (static_cast<std::size_t>(client.answers) > lines + 1) // the greeting, then one a line at most
        std::abort();

    // The same bytes as a configuration file: refused or read, never more.
    (void)readConfig("f.conf", scanIni(input));
    return 0;
}

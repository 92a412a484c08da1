// Received bytes, in pieces, through the link: rendering, the buffer bound
// and every decoding rule.
#include "fakes.h"
#include "link/decode.h"
#include "link/link.h"
#include "link/render.h"

#include <cstdint>
#include <cstdlib>

using namespace orva;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static constexpr const char* kCommands[] = {"CR0\r", "CR1\r", "CR3\r", "CR4\r",
                                                "CR6\r", "CR LAMPSTS\r", "CR7\r", "C00\r"};
    if (size < 1)
        return 0;
    test::FakePort port;
    port.setPortNumber(1);
    port.open();
    test::ManualTimer reply;
    test::ManualTimer clear;
    test::FakeView view;
    Link link(port, reply, clear, view);
    link.setPanelCommand(kCommands[data[0] % 8]);
    link.hyouji(link.panelCommand(), kModeSend);

    // The rest: pieces whose length is given by a leading byte; a zero
    // length ticks the time-out instead.
    std::size_t i = 1;
    while (i < size) {
        const std::size_t n = data[i++];
        if (n == 0) {
            reply.tick();
            continue;
        }
        const std::size_t take = std::min(n * 97, size - i); // long pieces too
        const std::string piece(reinterpret_cast<const char*>(data + i), take);
        i += take;
        port.receive(piece);
        if (link.buffer().size() > Link::kBufferLimit)
            std::abort();
        if (!link.buffer().empty() && link.receivedLine() != renderMonitorLine(link.buffer()).line)
            std::abort(); // the piecewise rendering drifted from the whole
    }
    // Direct decoding of whatever was received, against every command.
    for (const char* c : kCommands)
        (void)decodeReply(link.receivedLine(), link.buffer().size(), c, link.status());
    return 0;
}

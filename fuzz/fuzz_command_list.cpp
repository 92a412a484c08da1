// The command list window's derivation from typed text: what is sent is the
// text before the first "[" and exactly one CR.
#include "fakes.h"
#include "link/link.h"
#include "reference/reference_window.h"

#include <cstdint>
#include <cstdlib>

using namespace orva;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    test::FakePort port;
    port.setPortNumber(1);
    port.open();
    test::ManualTimer reply;
    test::ManualTimer clear;
    test::FakeView view;
    Link link(port, reply, clear, view);
    ReferenceWindow window(link);
    window.load();
    const std::string text(reinterpret_cast<const char*>(data), size);
    window.editChange(text);
    const std::string& composed = window.composed();
    if (composed.empty() || composed.back() != '\r' || composed.find('[') != std::string::npos)
        std::abort();
    if (composed.size() - 1 > text.size() || text.compare(0, composed.size() - 1, composed, 0, composed.size() - 1) != 0)
        std::abort();
    if (size > 0) {
        window.switchList(1 + data[0] % 3);
        window.pick(1 + data[0] % 3, size > 1 ? data[1] * 2 : 0);
    }
    window.sendCommand();
    return 0;
}

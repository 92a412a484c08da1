// Typing into the port dialog's OTHER field: the port number stays 0 or
// 1..15 and the field never holds a text that is neither a port nor "0".
#include "fakes.h"
#include "settings/port_dialog.h"

#include <cstdint>
#include <cstdlib>

using namespace orva;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    PortChoice choice;
    test::FakePort port;
    test::FakeStore store;
    test::FakePortDialogHost host;
    PortDialog dialog(choice, port, store, host);
    dialog.load();
    // Each line is one state of the field, as if typed.
    std::string text;
    for (std::size_t i = 0; i <= size; ++i) {
        if (i == size || data[i] == '\n') {
            dialog.otherFieldChange(text);
            if (choice.portNumber < 0 || choice.portNumber > kLastPort)
                std::abort();
            if (!otherFieldPort(dialog.otherField()) && dialog.otherField() != "0")
                std::abort();
            text.clear();
        } else {
            text += static_cast<char>(data[i]);
        }
    }
    return 0;
}

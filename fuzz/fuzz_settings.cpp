// Stored values as start-up reads them: anything a settings file may hold.
#include "settings/stored_settings.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

using namespace orva;

namespace {
class Store : public SettingsStore {
public:
    std::string read(const std::string&, const std::string& key, const std::string&) const override
    {
        return key == kComPortKey ? port : baud;
    }
    void write(const std::string&, const std::string&, const std::string&) override { std::abort(); }
    std::string port;
    std::string baud;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto cut = text.find('\n');
    Store store;
    store.port = text.substr(0, cut);
    store.baud = cut == std::string::npos ? std::string() : text.substr(cut + 1);
    (void)storedPortNumber(store); // any 16-bit value, never a crash
    const std::uint8_t baud = storedBaudCode(store);
    if (baud != kBaud9600 && baud != kBaud19200)
        std::abort();
    const double n = leadingNumber(text);
    if (const auto whole = roundedWhole(n, -32768, 32767); whole && (*whole < -32768 || *whole > 32767))
        std::abort();
    return 0;
}

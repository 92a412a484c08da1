// The one-line editor of the settings file on any text a file may hold: it
// never touches another key, and what it sets reads back.
#include "settings/ini_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace orva;

namespace {

std::vector<IniEntry> without(std::vector<IniEntry> entries, const std::string& section, const std::string& key)
{
    std::erase_if(entries, [&](const IniEntry& e) { return e.section == section && e.key == key; });
    return entries;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string section = "Ports";
    const std::string key = "COM3";
    const std::vector<IniEntry> others = without(iniEntries(text), section, key);

    const std::string removed = removeIniKey(text, section, key);
    if (iniValueText(removed, section, key) || iniEntries(removed) != others)
        std::abort();

    if (const auto set = setIniKey(text, section, key, "/dev/ttyUSB0")) {
        if (iniValueText(*set, section, key) != "/dev/ttyUSB0" || without(iniEntries(*set), section, key) != others)
            std::abort();
    }
    return 0;
}

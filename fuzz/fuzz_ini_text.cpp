// The one-line editor of the settings file on any text a file may hold: it
// never touches another key, and what it sets reads back. The screen of
// binary values keeps every key where it was.
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

    // The screen changes values only, and leaves nothing more to screen.
    const ScreenedIni screened = screenedIni(text);
    const std::vector<IniEntry> entries = iniEntries(text);
    const std::vector<IniEntry> kept = iniEntries(screened.text);
    if (kept.size() != entries.size() || !screenedIni(screened.text).replaced.empty())
        std::abort();
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (kept[i].section != entries[i].section || kept[i].key != entries[i].key)
            std::abort();
    }

    if (const auto set = setIniKey(text, section, key, "/dev/ttyUSB0")) {
        if (iniValueText(*set, section, key) != "/dev/ttyUSB0" || without(iniEntries(*set), section, key) != others)
            std::abort();
    }
    return 0;
}

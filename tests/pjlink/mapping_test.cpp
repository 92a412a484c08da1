// The PJLink tables of the manual page and of pjlink/mapping.h say what the
// rows of the reads answer.
#include "line/commands.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>

namespace orva {
namespace {

// The file's text without roff escapes and comment marks, on one line.
std::string flattened(const std::string& path)
{
    std::stringstream text;
    text << std::ifstream(path).rdbuf();
    const std::string s = std::regex_replace(text.str(), std::regex(R"(\\-)"), "-");
    return std::regex_replace(s, std::regex(R"((//|\s)+)"), " ");
}

TEST(PjlinkMapping, TheTablesOfTheManualPageAndTheHeaderAreTheRowsOfTheReads)
{
    for (const char* file : {"/packaging/man/orva-pjlinkd.8", "/src/pjlink/mapping.h"}) {
        const std::string text = flattened(std::string(ORVA_SOURCE_DIR).append(file));
        for (const ProjectorRead& row : projectorReads()) {
            if (row.pjlinkQuery.empty())
                continue;
            // "POWR ? CR0: 00 -> 1, 80 -> 0, ..." up to the next entry.
            const std::size_t at = text.find(std::string(row.pjlinkQuery).append(" "));
            ASSERT_NE(at, std::string::npos) << file << ": " << row.pjlinkQuery;
            std::string entry = text.substr(at + row.pjlinkQuery.size() + 1);
            std::smatch next;
            if (std::regex_search(entry, next, std::regex(R"([A-Z]{4} [?0-9])")))
                entry.resize(static_cast<std::size_t>(next.position(0)));
            EXPECT_TRUE(entry.starts_with(std::string(row.frame.substr(0, row.frame.size() - 1)).append(":")))
                << file << ": " << entry;

            std::map<std::string, std::string> documented, modelled;
            const std::regex pair(R"((\d+) -> (\w+))");
            for (auto m = std::sregex_iterator(entry.begin(), entry.end(), pair); m != std::sregex_iterator(); ++m)
                documented[(*m)[1]] = (*m)[2];
            for (int n = 0; n < 110; ++n) { // every reply of one or two digits
                const std::string body = n < 100 ? std::to_string(n) : std::string("0").append(std::to_string(n - 100));
                const auto value = row.parse(std::string(body).append("\r"));
                if (const auto answer = value ? row.pjlink(*value) : std::nullopt)
                    modelled[body] = std::string(*answer);
            }
            EXPECT_EQ(documented, modelled) << file << ": " << row.pjlinkQuery;
        }
    }
}

} // namespace
} // namespace orva

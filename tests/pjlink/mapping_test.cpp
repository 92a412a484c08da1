// The PJLink mapping table of the manual page and of pjlink/mapping.h says
// what the rows of the reads answer.
#include "line/commands.h"
#include "pjlink/mapping.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <vector>

namespace orva::pjlink {
namespace {

// The file's text with roff escapes and comment marks gone, on one line.
std::string flattened(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    std::string s = std::regex_replace(text.str(), std::regex(R"(\\-)"), "-");
    s = std::regex_replace(s, std::regex("//"), " ");
    return std::regex_replace(s, std::regex(R"(\s+)"), " ");
}

TEST(PjlinkMapping, TheTablesOfTheManualPageAndTheHeaderAreTheRowsOfTheReads)
{
    for (const char* file : {"/packaging/man/orva-pjlinkd.8", "/src/pjlink/mapping.h"}) {
        const std::string text = flattened(std::string(ORVA_SOURCE_DIR).append(file));
        ASSERT_FALSE(text.empty()) << file;
        for (const ProjectorRead& row : projectorReads()) {
            if (row.pjlinkQuery.empty())
                continue;
            const std::size_t at = text.find(std::string(row.pjlinkQuery).append(" "));
            ASSERT_NE(at, std::string::npos) << file << ": " << row.pjlinkQuery;
            std::string entry = text.substr(at + row.pjlinkQuery.size() + 1);
            std::smatch next;
            if (std::regex_search(entry, next, std::regex(R"([A-Z]{4} [?0-9])")))
                entry.resize(static_cast<std::size_t>(next.position(0)));
            const std::string frame = std::string(row.frame.substr(0, row.frame.size() - 1)).append(":");
            EXPECT_TRUE(entry.starts_with(frame)) << file << ": " << entry;

            std::map<std::string, std::string> documented;
            const std::regex pair(R"((\w+) -> (\w+))");
            for (auto m = std::sregex_iterator(entry.begin(), entry.end(), pair); m != std::sregex_iterator(); ++m) {
                if ((*m)[1].str().find_first_not_of("0123456789") == std::string::npos)
                    documented[(*m)[1]] = (*m)[2];
            }
            // Every reply the read answers from, and nothing else.
            std::map<std::string, std::string> modelled;
            std::vector<std::string> bodies;
            for (char a = '0'; a <= '9'; ++a) {
                bodies.push_back({a});
                for (char b = '0'; b <= '9'; ++b)
                    bodies.push_back({a, b});
            }
            for (const std::string& body : bodies) {
                if (const auto value = row.parse(std::string(body).append("\r"))) {
                    if (const auto answer = row.pjlink(*value))
                        modelled[body] = std::string(*answer);
                }
            }
            EXPECT_EQ(documented, modelled) << file << ": " << row.pjlinkQuery;
        }
    }
}

} // namespace
} // namespace orva::pjlink

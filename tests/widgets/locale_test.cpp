// Numbers read the same whatever the user's locale. The application object
// adopts the user's locale for the C library (setlocale(LC_ALL, "")), so
// these run with it alive and a comma-decimal locale switched on.
#include "fakes.h"
#include "settings/stored_settings.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace orva::test {
namespace {

class CommaDecimalLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(QApplication::instance(), nullptr);
        saved_ = std::setlocale(LC_ALL, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8",
                                 "es_ES.UTF-8", "it_IT.UTF-8", "ru_RU.UTF-8", "pt_BR.UTF-8"}) {
            if (std::setlocale(LC_ALL, name) && std::string(std::localeconv()->decimal_point) == ",")
                return;
        }
        std::setlocale(LC_ALL, saved_.c_str());
        GTEST_SKIP() << "no comma-decimal locale is installed (Debian: the package locales-all)";
    }
    void TearDown() override { std::setlocale(LC_ALL, saved_.c_str()); }

private:
    std::string saved_;
};

TEST_F(CommaDecimalLocale, StoredValuesAndTheOtherFieldReadAPoint)
{
    EXPECT_EQ(leadingNumber("1.5"), 1.5);
    EXPECT_EQ(leadingNumber("2.5e0"), 2.5);
    EXPECT_EQ(leadingNumber("1,5"), 1.0); // a comma ends the number, as everywhere
    FakeStore store;
    store.values["StartUP/ComPort"] = "1.5"; // halves to even: 2
    store.values["StartUP/BaudRate"] = "96.4";
    EXPECT_EQ(storedPortNumber(store), 2);
    EXPECT_EQ(storedBaudCode(store), 96);
    EXPECT_EQ(otherFieldPort("0.6"), std::optional<std::int16_t>(1));
    EXPECT_EQ(otherFieldPort("15.4"), std::optional<std::int16_t>(15));
    EXPECT_EQ(otherFieldPort("15.6"), std::nullopt);
}

TEST_F(CommaDecimalLocale, StartUpOpensTheStoredPort)
{
    Rig rig;
    rig.storeSettings("1.5", "96"); // halves to even: 2
    rig.program.formLoad();
    EXPECT_TRUE(rig.port.isOpen());
    EXPECT_EQ(rig.port.portNumber(), 2);
}

} // namespace
} // namespace orva::test

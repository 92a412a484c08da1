// Numbers read the same whatever the user's locale. The application object
// adopts the user's locale for the C library (setlocale(LC_ALL, "")), so
// these run with it alive and a comma-decimal locale switched on.
#include "fakes.h"
#include "settings/stored_settings.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace orva::test {
namespace {

bool switchToCommaLocale()
{
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "nl_NL.UTF-8",
                             "es_ES.UTF-8", "it_IT.UTF-8", "ru_RU.UTF-8", "pt_BR.UTF-8"}) {
        if (std::setlocale(LC_ALL, name) && std::string(std::localeconv()->decimal_point) == ",")
            return true;
    }
    return false;
}

// Without one installed, one is compiled from the C library's sources when
// they are there (the package locales), once for the whole run.
QString compiledLocales()
{
    static QTemporaryDir dir;
    static const bool made = dir.isValid()
        && QProcess::execute("localedef", {"-i", "de_DE", "-f", "UTF-8", dir.filePath("de_DE.UTF-8")}) == 0;
    return made ? dir.path() : QString();
}

class CommaDecimalLocale : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(QApplication::instance(), nullptr);
        saved_ = std::setlocale(LC_ALL, nullptr);
        savedPath_ = qgetenv("LOCPATH");
        if (switchToCommaLocale())
            return;
        if (const QString path = compiledLocales(); !path.isEmpty()) {
            qputenv("LOCPATH", QFile::encodeName(path));
            if (switchToCommaLocale())
                return;
        }
        TearDown();
        GTEST_SKIP() << "no comma-decimal locale is installed, and none could be made with localedef "
                        "(Debian: the package locales-all, or locales)";
    }
    void TearDown() override
    {
        std::setlocale(LC_ALL, saved_.c_str());
        if (savedPath_.isNull())
            qunsetenv("LOCPATH");
        else
            qputenv("LOCPATH", savedPath_);
    }

private:
    std::string saved_;
    QByteArray savedPath_;
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

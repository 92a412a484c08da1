// One key of the settings file edited, every other byte kept.
#include "settings/ini_text.h"

#include <gtest/gtest.h>

namespace orva::test {
namespace {

const std::string kFile = "; written by hand\n"
                          "[General]\n"
                          "note=keep me, exactly\n"
                          "\n"
                          "[Ports]\n"
                          "COM1 = /dev/ttyS0   ; the on-board port\n"
                          "COM3=/dev/ttyUSB0\n"
                          "\n"
                          "[StartUP]\n"
                          "ComPort=3\n"
                          "BaudRate=96\n";

TEST(IniText, SetRewritesOnlyTheKeyInPlace)
{
    const std::string out = *setIniKey(kFile, "Ports", "COM3", "/dev/serial/by-id/usb-FTDI-if00-port0");
    std::string expected = kFile;
    expected.replace(expected.find("COM3=/dev/ttyUSB0"), 17, "COM3=/dev/serial/by-id/usb-FTDI-if00-port0");
    EXPECT_EQ(out, expected);

    // Blanks before the key and a comment after the value stay.
    EXPECT_EQ(*setIniKey(kFile, "Ports", "COM1", "/dev/ttyACM0"),
              "; written by hand\n[General]\nnote=keep me, exactly\n\n[Ports]\n"
              "COM1=/dev/ttyACM0   ; the on-board port\nCOM3=/dev/ttyUSB0\n\n[StartUP]\nComPort=3\nBaudRate=96\n");
}

TEST(IniText, AbsentKeyGoesAtTheEndOfItsSectionAndAbsentSectionAtTheEnd)
{
    EXPECT_EQ(*setIniKey(kFile, "Ports", "COM7", "/dev/ttyUSB1"),
              "; written by hand\n[General]\nnote=keep me, exactly\n\n[Ports]\n"
              "COM1 = /dev/ttyS0   ; the on-board port\nCOM3=/dev/ttyUSB0\nCOM7=/dev/ttyUSB1\n\n"
              "[StartUP]\nComPort=3\nBaudRate=96\n");

    const std::string noPorts = "[StartUP]\nComPort=3";
    EXPECT_EQ(*setIniKey(noPorts, "Ports", "COM2", "/dev/ttyUSB0"),
              "[StartUP]\nComPort=3\n\n[Ports]\nCOM2=/dev/ttyUSB0\n");
    EXPECT_EQ(*setIniKey("", "Ports", "COM2", "tcp://10.0.0.5:4001"), "[Ports]\nCOM2=tcp://10.0.0.5:4001\n");
    // A section header as the last line, without a line end.
    EXPECT_EQ(*setIniKey("[Ports]", "Ports", "COM2", "/dev/x"), "[Ports]\nCOM2=/dev/x\n");
    // The file's CR LF line ends are kept.
    EXPECT_EQ(*setIniKey("[Ports]\r\nCOM1=/dev/a\r\n\r\n[X]\r\ny=1\r\n", "Ports", "COM2", "/dev/b"),
              "[Ports]\r\nCOM1=/dev/a\r\nCOM2=/dev/b\r\n\r\n[X]\r\ny=1\r\n");
}

TEST(IniText, KeysAndSectionsAreComparedExactly)
{
    const std::string text = "[ports]\nCOM3=/dev/a\n[Ports]\ncom3=/dev/b\n[Other]\nCOM3=/dev/c\n";
    EXPECT_EQ(*setIniKey(text, "Ports", "COM3", "/dev/z"),
              "[ports]\nCOM3=/dev/a\n[Ports]\ncom3=/dev/b\nCOM3=/dev/z\n[Other]\nCOM3=/dev/c\n");
    EXPECT_EQ(removeIniKey(text, "Ports", "COM3"), text);
    EXPECT_EQ(iniValueText(text, "Ports", "COM3"), std::nullopt);
    EXPECT_EQ(iniValueText(text, "Other", "COM3"), "/dev/c");
}

TEST(IniText, LaterCopiesOfTheKeyGoSoTheNewValueCounts)
{
    // The store takes the last of several lines of a key (also across two
    // sections of the same name).
    const std::string text = "[Ports]\nCOM3=/dev/a\nCOM4=/dev/d\n[X]\nk=v\n[Ports]\nCOM3=/dev/b ; old\n";
    EXPECT_EQ(iniValueText(text, "Ports", "COM3"), "/dev/b");
    EXPECT_EQ(*setIniKey(text, "Ports", "COM3", "/dev/z"), "[Ports]\nCOM3=/dev/z\nCOM4=/dev/d\n[X]\nk=v\n[Ports]\n");
    EXPECT_EQ(removeIniKey(text, "Ports", "COM3"), "[Ports]\nCOM4=/dev/d\n[X]\nk=v\n[Ports]\n");
}

TEST(IniText, LinesAreReadAsTheStoreReadsThem)
{
    // A quoted value and a backslash go on over the line end; ";" outside
    // quotes starts a comment; a comment line that looks like the key is
    // not the key.
    const std::string text = "[Ports]\n"
                             "; COM3=/dev/commented\n"
                             "COM2=\"a;b\n c\"\n"
                             "COM3=/dev/one\\\n/two\n"
                             "COM4=/dev/x;COM3=/dev/not-a-key\n";
    EXPECT_EQ(iniValueText(text, "Ports", "COM2"), "\"a;b\n c\"");
    EXPECT_EQ(iniValueText(text, "Ports", "COM3"), "/dev/one\\\n/two");
    EXPECT_EQ(iniValueText(text, "Ports", "COM4"), "/dev/x");
    EXPECT_EQ(removeIniKey(text, "Ports", "COM3"),
              "[Ports]\n; COM3=/dev/commented\nCOM2=\"a;b\n c\"\nCOM4=/dev/x;COM3=/dev/not-a-key\n");
    EXPECT_EQ(*setIniKey(text, "Ports", "COM2", "/dev/y"),
              "[Ports]\n; COM3=/dev/commented\nCOM2=/dev/y\nCOM3=/dev/one\\\n/two\n"
              "COM4=/dev/x;COM3=/dev/not-a-key\n");
}

TEST(IniText, AQuoteLeftOpenSwallowsWhatWouldBeAddedSoNothingIsMade)
{
    // The store would read the new line as part of the open quote.
    EXPECT_EQ(setIniKey("[Ports]\nCOM1=\"open\n", "Ports", "COM3", "/dev/x"), std::nullopt);
    EXPECT_EQ(setIniKey("[X]\nk=\"open", "Ports", "COM3", "/dev/x"), std::nullopt);
    // Rewriting a key before it is fine.
    EXPECT_EQ(*setIniKey("[Ports]\nCOM3=/dev/a\nCOM1=\"open\n", "Ports", "COM3", "/dev/x"),
              "[Ports]\nCOM3=/dev/x\nCOM1=\"open\n");
    EXPECT_EQ(iniEntries("[Ports]\nCOM3=/dev/a\nCOM1=\"open\n"),
              (std::vector<IniEntry>{{"Ports", "COM3", "/dev/a"}, {"Ports", "COM1", "\"open"}}));
}

TEST(IniText, RemovingWhatIsNotThereChangesNothing)
{
    EXPECT_EQ(removeIniKey(kFile, "Ports", "COM9"), kFile);
    EXPECT_EQ(removeIniKey("", "Ports", "COM9"), "");
    EXPECT_EQ(removeIniKey(kFile, "Ports", "COM3"),
              "; written by hand\n[General]\nnote=keep me, exactly\n\n[Ports]\n"
              "COM1 = /dev/ttyS0   ; the on-board port\n\n[StartUP]\nComPort=3\nBaudRate=96\n");
    // The last line, without a line end.
    EXPECT_EQ(removeIniKey("[Ports]\nCOM1=/dev/a\nCOM3=/dev/b", "Ports", "COM3"), "[Ports]\nCOM1=/dev/a\n");
}

TEST(IniText, BinaryValuesTheLibraryWouldDecodeByTheirCountAreScreened)
{
    // Each value as written after "COM2=", and whether it is made "@Invalid()".
    const std::string list = R"(@Variant(\0\0\0\v\xff\xff\xff\xf0))"; // a string list of 4 billion
    const std::pair<std::string, bool> cases[] = {
        {list, true},
        {R"(@Variant(\0\0\0\t\0\0\0\x1))", true},              // a list of variants
        {R"(@Variant(\0\0\0\b\xff\xff\xff\xff))", true},       // a map
        {R"(@Variant(\0\0\0\x7f\0\0\0\nQList<int>\0))", true}, // a type by its name
        {R"(@DateTime(\0\0\0\v\0\xff\xff\xff\xff))", true},   // the other binary form
        {R"(@Variant(\0\0\0\v7f\0\0\0\x3gar))", true},        // a count in plain letters
        {"\"" + list + "\"", true},                            // quoted
        {R"(\x40Variant(\0\0\0\v\xff\xff\xff\xf0))", true},    // its "@" escaped
        {"a, " + list, true},                                  // one of a list
        {list + " \t", true},                                  // blanks after it are dropped
        {list + "\xe2", true}, // an unfinished UTF-8 character at the end is dropped too
        {"/dev/ttyUSB0", false},
        {"a, b", false},
        {R"(@Variant(\0\0\0\x2\0\0\0\x5))", false},      // a number
        {R"(@Variant(\0\0\0\n\0\0\0\x2\0x))", false},    // text
        {R"(@Variant(\0\v))", false},                     // too short to name a type
        {"@" + list, false},                             // "@@" is a plain "@"
        {list + " x", false},                            // text: it does not end with ")"
        {"@Invalid()", false},
        {"@ByteArray(xy)", false},
    };
    for (const auto& [value, screened] : cases) {
        const std::string text = "[Ports]\nCOM1=/dev/a ; kept\nCOM2=" + value + "\n[StartUP]\nComPort=2\n";
        const ScreenedIni out = screenedIni(text);
        if (!screened) {
            EXPECT_EQ(out.text, text) << value;
            EXPECT_TRUE(out.replaced.empty()) << value;
            continue;
        }
        EXPECT_EQ(out.text, "[Ports]\nCOM1=/dev/a ; kept\nCOM2=@Invalid()\n[StartUP]\nComPort=2\n") << value;
        ASSERT_EQ(out.replaced.size(), 1u) << value;
        EXPECT_EQ(out.replaced[0].section, "Ports");
        EXPECT_EQ(out.replaced[0].key, "COM2");
    }
}

} // namespace
} // namespace orva::test

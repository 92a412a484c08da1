#pragma once

#include "line/serial_port.h"
#include "settings/settings_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orva {

inline constexpr std::uint8_t kBaud9600 = 96;
inline constexpr std::uint8_t kBaud19200 = 192;

// The stored record: section "StartUP", keys "ComPort" and "BaudRate".
inline constexpr const char* kStartUpSection = "StartUP";
inline constexpr const char* kComPortKey = "ComPort";
inline constexpr const char* kBaudRateKey = "BaudRate";
inline constexpr const char* kComPortAbsent = "DATAC";
inline constexpr const char* kBaudRateAbsent = "DATAb";

// The program-wide port values shared by start-up, the port dialog and the
// COM button.
struct PortChoice {
    std::int16_t portNumber = 0; // usable: isUsablePort; 0 = none chosen
    std::uint8_t baudCode = 0;   // 96 = 9600 baud, 192 = 19200 baud
    std::int16_t previousPortNumber = 0;
    std::uint8_t previousBaudCode = 0;
};

// "9600,N,8,1" for baud code 96, "19200,N,8,1" for anything else.
std::string lineSettings(std::uint8_t baudCode);

// The number a text begins with, as a decimal: optional blanks, a sign,
// digits, a fraction and an exponent, always with a decimal point whatever
// the user's locale. Text that does not begin with a number reads as 0; a
// number beyond a double is infinite (too large) or 0 (too small).
double leadingNumber(std::string_view text);

// Rounds to the nearest whole number, halves to the even neighbour; nothing
// when the result does not fit the given range.
std::optional<long> roundedWhole(double value, long min, long max);

// Start-up's reading of the record: the stored port number as a 16-bit whole
// number (0 when it does not fit); only isUsablePort ones are usable.
std::int16_t storedPortNumber(const SettingsStore& store);
// 96 when the stored text reads as 96; 192 for everything else.
std::uint8_t storedBaudCode(const SettingsStore& store);

// The OTHER field of the port dialog: a usable port number, or nothing.
std::optional<std::int16_t> otherFieldPort(std::string_view text);

// Stores "ComPort" and then "BaudRate", in one write.
StoreOutcome storePortChoice(SettingsStore& store, std::int16_t portNumber, std::uint8_t baudCode);

// The main window's notice for a choice that is in use but was not stored:
// where, and why, in plain words.
std::string notStoredNotice(std::int16_t portNumber, std::uint8_t baudCode, const StoreOutcome& outcome);

} // namespace orva

#include "settings/stored_settings.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace orva {

std::string lineSettings(std::uint8_t baudCode)
{
    return baudCode == kBaud9600 ? "9600,N,8,1" : "19200,N,8,1";
}

double leadingNumber(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    const std::size_t start = i; // from_chars takes no sign of its own
    const std::size_t integerStart = i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9')
        ++i;
    const std::size_t integerDigits = i - integerStart;
    std::size_t fractionDigits = 0;
    std::size_t fractionStart = i;
    if (i < text.size() && text[i] == '.') {
        ++i;
        fractionStart = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        fractionDigits = i - fractionStart;
    }
    if (integerDigits + fractionDigits == 0)
        return 0.0;
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        std::size_t j = i + 1;
        bool negativeExponent = false;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            negativeExponent = text[j] == '-';
            ++j;
        }
        const std::size_t expStart = j;
        while (j < text.size() && text[j] >= '0' && text[j] <= '9') {
            if (exponent < 100000) // far beyond any double; saturate
                exponent = exponent * 10 + (text[j] - '0');
            ++j;
        }
        if (j > expStart) {
            i = j;
            if (negativeExponent)
                exponent = -exponent;
        }
    }

    // The digits always mean a decimal point, whatever the C library's
    // locale says (the application object adopts the user's).
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data() + start, text.data() + i, value,
                                           std::chars_format::general);
    if (ec == std::errc::result_out_of_range) {
        // Too large becomes infinite, too small becomes zero, as a C reading
        // of the same text gives: decide by the decimal exponent of the
        // first significant digit.
        std::size_t lead = integerStart;
        while (lead < integerStart + integerDigits && text[lead] == '0')
            ++lead;
        long magnitude = 0;
        if (lead < integerStart + integerDigits) {
            magnitude = static_cast<long>(integerStart + integerDigits - lead) - 1;
        } else {
            std::size_t f = fractionStart;
            while (f < fractionStart + fractionDigits && text[f] == '0')
                ++f;
            magnitude = -static_cast<long>(f - fractionStart) - 1;
        }
        value = magnitude + exponent >= 0 ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (ec != std::errc() || end != text.data() + i) {
        return 0.0;
    }
    return negative ? -value : value;
}

std::optional<long> roundedWhole(double value, long min, long max)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double r = std::nearbyint(value); // default rounding: halves to even
    if (r < static_cast<double>(min) || r > static_cast<double>(max))
        return std::nullopt;
    return static_cast<long>(r);
}

std::int16_t storedPortNumber(const SettingsStore& store)
{
    const std::string text = store.read(kStartUpSection, kComPortKey, kComPortAbsent);
    const auto n = roundedWhole(leadingNumber(text), std::numeric_limits<std::int16_t>::min(),
                                std::numeric_limits<std::int16_t>::max());
    // A value too large for the 16-bit port number counts as none at all.
    return n ? static_cast<std::int16_t>(*n) : std::int16_t{0};
}

std::uint8_t storedBaudCode(const SettingsStore& store)
{
    const std::string text = store.read(kStartUpSection, kBaudRateKey, kBaudRateAbsent);
    const auto n = roundedWhole(leadingNumber(text), 0, 255);
    return (n && *n == kBaud9600) ? kBaud9600 : kBaud19200;
}

std::optional<std::int16_t> otherFieldPort(std::string_view text)
{
    const auto n = roundedWhole(leadingNumber(text), kFirstPort, kLastPort);
    if (!n)
        return std::nullopt;
    return static_cast<std::int16_t>(*n);
}

StoreOutcome storePortChoice(SettingsStore& store, std::int16_t portNumber, std::uint8_t baudCode)
{
    return store.write(kStartUpSection, {{kComPortKey, std::to_string(portNumber)},
                                         {kBaudRateKey, std::to_string(baudCode)}});
}

std::string notStoredNotice(std::int16_t portNumber, std::uint8_t baudCode, const StoreOutcome& outcome)
{
    using Problem = StoreOutcome::Problem;
    const std::string& file = outcome.where;
    std::string why;
    switch (outcome.problem) {
    case Problem::None:
        return {};
    case Problem::ReadOnlyFile:
        why = file + " is read-only";
        break;
    case Problem::NotAFile:
        why = file + " is not a file";
        break;
    case Problem::ReadOnlyFolder:
        why = file + " cannot be written: its folder is read-only";
        break;
    case Problem::NoFolder:
        why = "the folder " + outcome.detail + " cannot be made";
        break;
    case Problem::Malformed:
        why = file + " was left as it is: " + outcome.detail;
        break;
    case Problem::Failed:
        why = file + " could not be written";
        break;
    }
    // Short enough for the three lines of the notice.
    const char* baud = baudCode == kBaud9600 ? "9600" : "19200";
    return "COM" + std::to_string(portNumber) + " at " + baud + " baud is in use but not stored for the next start: "
        + why + ".";
}

} // namespace orva

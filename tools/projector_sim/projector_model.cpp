#include "projector_sim/projector_model.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <iterator>

namespace orva::sim {
namespace {

constexpr std::int64_t kMsPerHour = 3'600'000;
constexpr std::int64_t kMaxLampHours = 99'999;

// The coded set commands: "C" and these two hex digits (upper case).
constexpr std::string_view kCodedSets[] = {
    "00", "01", "02", "05", "06", "07", "09", "0A", "0B", "0C", "0D", "0E", "0F", "10",
    "11", "12", "13", "14", "15", "16", "17", "18", "19", "1C", "1D", "1E", "20", "21",
    "27", "28", "29", "2A", "2B", "2E", "30", "31", "34", "39", "3A", "3B", "3C", "3D",
    "3F", "43", "44", "50", "51", "54", "89", "8A", "8B", "8E", "8F",
};

// Keywords of the word set commands ("CF <keyword> <args>").
constexpr std::string_view kSetKeywords[] = {
    "BRIGHT", "CONT", "COLOR", "TINT", "IRIS", "SHARP", "GAMMA", "WBAL-R", "WBAL-G",
    "WBAL-B", "COLTEMP", "PROGV", "NZRED", "IMAGE", "COLBOARD", "IMAGEADJ", "FSYNC",
    "TDOTS", "CLAMP", "H-POS", "V-POS", "DDOTS", "DLINE", "PCSTORE", "PCMODEFREE",
    "INPUT", "SOURCE", "INPUT1", "INPUT2", "INPUT3", "SYSTEM", "SCREEN", "DZCENT",
    "VSCALE", "VPOS", "HSCALE", "HPOS", "KEYSTONE", "KYSTNMODE", "CEIL", "REAR", "LAMPH",
    "LAMPMODE", "VOLUME", "MUTE", "MIC", "MICGAIN", "STANDBYMICOUT", "LANG",
    "MENUPOSITION", "INPUTSEARCH", "AUTOSETUPPCADJ", "AUTOSETUPKEYSTONE", "AUTOSETUP",
    "BACKGND", "DISP", "LOGO", "TERMINAL", "P-MANE", "P-MANETIME", "ON-STA", "STANDBYMODE",
    "PTIMEMODE", "PTIMER", "PTIME", "CCAPTIONDISP", "CCAPTIONCOLOR", "RCODE", "KEYDIS",
    "PJPINCODE", "FANMODE", "FANCONTROL", "DELAYCTRL", "FILTIMER", "FILH", "FDEFAULT",
    "KEYEMU", "MENU", "POWER", "FREEZE", "VMUTE",
};

template <std::size_t N>
bool contains(const std::string_view (&list)[N], std::string_view s)
{
    return std::find(std::begin(list), std::end(list), s) != std::end(list);
}

// Arguments are words of upper-case letters, digits and '-', one blank apart.
bool wellFormedArgs(std::string_view args)
{
    if (args.empty() || args.front() == ' ' || args.back() == ' ')
        return false;
    char previous = '\0';
    for (char c : args) {
        const bool word = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
        if (!word && c != ' ')
            return false;
        if (c == ' ' && previous == ' ')
            return false;
        previous = c;
    }
    return true;
}

std::string ack() { return std::string{ProjectorModel::kAck, ProjectorModel::kCr}; }
std::string refused() { return std::string{'?', ProjectorModel::kCr}; }
std::string line(std::string text)
{
    text += ProjectorModel::kCr;
    return text;
}

std::string_view lampModeWord(LampMode mode)
{
    switch (mode) {
    case LampMode::Eco: return "ECO";
    case LampMode::High: return "HIGH";
    case LampMode::Normal: break;
    }
    return "NORMAL";
}

} // namespace

std::string temperatureField(int tenths)
{
    tenths = std::clamp(tenths, -999, 999);
    const int magnitude = tenths < 0 ? -tenths : tenths;
    char text[16]; // "+99.9" at most; room for any int, so no build can doubt it
    std::snprintf(text, sizeof text, "%c%02d.%d", tenths < 0 ? '-' : '+', magnitude / 10,
                  magnitude % 10);
    return text;
}

std::optional<Fault> faultNamed(std::string_view name)
{
    if (name == "none")
        return Fault::None;
    if (name == "lamp")
        return Fault::Lamp;
    if (name == "temperature")
        return Fault::Temperature;
    if (name == "power")
        return Fault::Power;
    return std::nullopt;
}

ProjectorModel::ProjectorModel(ModelSettings settings)
    : settings_(settings)
    , lampMs_(std::clamp<std::int64_t>(settings.lampHours, 0, kMaxLampHours) * kMsPerHour)
{
    setCondition(settings.condition);
}

void ProjectorModel::setCondition(const Condition& condition)
{
    condition_ = condition;
    if (condition_.fault == Fault::Lamp)
        powerOff();
}

std::int64_t ProjectorModel::lampHours() const
{
    return std::min(lampMs_ / kMsPerHour, kMaxLampHours);
}

void ProjectorModel::tick(std::int64_t nowMs)
{
    while (nowMs_ < nowMs) {
        std::int64_t until = nowMs;
        if (deadline_ && *deadline_ < until)
            until = *deadline_;
        if (lampOn())
            lampMs_ += until - nowMs_;
        nowMs_ = until;
        if (deadline_ && nowMs_ >= *deadline_)
            settle();
    }
}

// A count down or cooling down has run its time.
void ProjectorModel::settle()
{
    deadline_.reset();
    if (power_ == Power::CountDown)
        power_ = Power::On;
    else if (power_ == Power::CoolingDown)
        power_ = Power::Standby;
}

void ProjectorModel::powerOn()
{
    if (power_ != Power::Standby || condition_.fault == Fault::Lamp)
        return; // already on its way, must finish cooling first, or has no lamp
    power_ = Power::CountDown;
    deadline_ = nowMs_ + std::max<std::int64_t>(settings_.countDownMs, 0);
    if (settings_.countDownMs <= 0)
        settle();
}

void ProjectorModel::powerOff()
{
    if (power_ != Power::On && power_ != Power::CountDown)
        return;
    power_ = Power::CoolingDown;
    deadline_ = nowMs_ + std::max<std::int64_t>(settings_.coolDownMs, 0);
    if (settings_.coolDownMs <= 0)
        settle();
}

std::optional<std::string> ProjectorModel::answer(std::string_view command)
{
    if (command.empty())
        return std::nullopt;
    if (auto reply = read(command))
        return reply;
    return set(command) ? ack() : refused();
}

std::optional<std::string> ProjectorModel::read(std::string_view command) const
{
    if (command == "CR0") {
        if (condition_.fault == Fault::Power)
            return line("10");
        if (condition_.fault == Fault::Lamp)
            return line(power_ == Power::CoolingDown ? "21" : "81");
        std::string code = "80";
        switch (power_) {
        case Power::On: code = "00"; break;
        case Power::CountDown: code = "40"; break;
        case Power::CoolingDown: code = "20"; break;
        case Power::Standby: break;
        }
        if (condition_.fault == Fault::Temperature)
            code[1] = '8';
        return line(code);
    }
    if (command == "CR1")
        return line(std::string(1, static_cast<char>('0' + static_cast<int>(input_))));
    if (command == "CR3") {
        char digits[16];
        std::snprintf(digits, sizeof digits, "%05lld", static_cast<long long>(lampHours()));
        return line(digits);
    }
    if (command == "CR4") {
        // First digit: left/right as mounted; second: top/bottom. A ceiling
        // mount turns the picture over both ways, a rear screen left/right.
        const bool leftRight = ceiling_ != rear_;
        const bool topBottom = ceiling_;
        return line(std::string{leftRight ? '0' : '1', topBottom ? '0' : '1'});
    }
    if (command == "CR6") {
        if (condition_.sensorsUnreadable)
            return line("----- ----- -----");
        // Intake, inside, exhaust.
        std::array<int, 3> t{250, 262, 270};
        switch (power_) {
        case Power::CountDown: t = {255, 284, 321}; break;
        case Power::On: t = {255, 310, 402}; break;
        case Power::CoolingDown: t = {255, 296, 355}; break;
        case Power::Standby: break;
        }
        return line(temperatureField(t[0]) + ' ' + temperatureField(t[1]) + ' ' +
                    temperatureField(t[2]));
    }
    if (command == "CR7" || command == "CR LAMPMODE")
        return line("000 " + std::string(lampModeWord(lampMode_)));
    if (command == "CR LAMPSTS") {
        if (condition_.fault == Fault::Lamp)
            return line("000 1X");
        return line(lampOn() ? "000 1I" : "000 1O");
    }
    return std::nullopt;
}

bool ProjectorModel::set(std::string_view command)
{
    if (command.size() == 3 && command[0] == 'C' && contains(kCodedSets, command.substr(1))) {
        const std::string_view code = command.substr(1);
        if (code == "00")
            powerOn();
        else if (code == "01" || code == "02")
            powerOff();
        else if (code == "05" || code == "34" || code == "50" || code == "51" || code == "54")
            input_ = Input::Computer1;
        else if (code == "06")
            input_ = Input::Computer2;
        else if (code == "07")
            input_ = Input::Video;
        return true;
    }
    if (command.substr(0, 3) != "CF ")
        return false;
    const std::string_view rest = command.substr(3);
    const std::size_t blank = rest.find(' ');
    if (blank == std::string_view::npos)
        return false;
    const std::string_view keyword = rest.substr(0, blank);
    const std::string_view args = rest.substr(blank + 1);
    if (!contains(kSetKeywords, keyword) || !wellFormedArgs(args))
        return false;
    return setWord(keyword, args);
}

// The word commands that change what the reads report take only their own
// arguments; the rest accept any well-formed arguments.
bool ProjectorModel::setWord(std::string_view keyword, std::string_view args)
{
    const auto firstWord = args.substr(0, args.find(' '));
    if (keyword == "POWER") {
        if (args == "ON")
            powerOn();
        else if (args == "OFF")
            powerOff();
        else
            return false;
        return true;
    }
    if (keyword == "LAMPMODE") {
        if (args == "NORMAL")
            lampMode_ = LampMode::Normal;
        else if (args == "ECO")
            lampMode_ = LampMode::Eco;
        else if (args == "HIGH")
            lampMode_ = LampMode::High;
        else if (args == "UP")
            lampMode_ = lampMode_ == LampMode::Eco ? LampMode::Normal : LampMode::High;
        else if (args == "DN")
            lampMode_ = lampMode_ == LampMode::High ? LampMode::Normal : LampMode::Eco;
        else
            return false;
        return true;
    }
    if (keyword == "LAMPH") {
        if (args != "RST")
            return false;
        lampMs_ = 0;
        return true;
    }
    if (keyword == "CEIL" || keyword == "REAR") {
        if (args != "ON" && args != "OFF")
            return false;
        (keyword == "CEIL" ? ceiling_ : rear_) = args == "ON";
        return true;
    }
    if (keyword == "INPUT") {
        // "CF INPUT COMPUTER1", also with a source after it; UP and DN step.
        if (firstWord == "COMPUTER1")
            input_ = Input::Computer1;
        else if (firstWord == "COMPUTER2")
            input_ = Input::Computer2;
        else if (firstWord == "VIDEO")
            input_ = Input::Video;
        else if (args == "UP")
            input_ = input_ == Input::Video ? Input::Computer1
                                            : static_cast<Input>(static_cast<int>(input_) + 1);
        else if (args == "DN")
            input_ = input_ == Input::Computer1 ? Input::Video
                                                : static_cast<Input>(static_cast<int>(input_) - 1);
        else
            return false;
        return true;
    }
    if (keyword == "INPUT1")
        input_ = Input::Computer1;
    else if (keyword == "INPUT2")
        input_ = Input::Computer2;
    else if (keyword == "INPUT3")
        input_ = Input::Video;
    return true;
}

} // namespace orva::sim

#pragma once

#include "line/commands.h"
#include "line/readings.h"
#include "pjlink/line_queue.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace orva::pjlink {

// PJLink to the projector's own commands and back: the one table. The
// manual page orva-pjlinkd(8) prints it, and the answers of the reads come
// from their rows (line/commands.h); a test holds the three alike.
//
//   POWR 1 / 0        C00 / C01 (ERR3 while warming up or cooling down)
//   POWR ?            CR0: 00 -> 1, 80 -> 0, 20 -> 2, 40 -> 3; an abnormality -> ERR4
//   INPT 11 / 12 / 21 C05 / C06 / C07 (only while on, else ERR3)
//   INPT ?            CR1: 1 -> 11, 2 -> 12, 3 -> 21, 4 -> 51, 5 -> 52
//   INST ?            11 12 21
//   AVMT 11 / 10      C0D / C0E          video mute on / off (only while on)
//   AVMT 21 / 20      C0B / C0C          audio mute on / off (only while on)
//   AVMT 31 / 30      C0D C0B / C0E C0C  both
//   AVMT ?            what the bridge last set (the projector cannot be asked)
//   ERST ?            CR0 and CR LAMPSTS: lamp 2 on a lamp failure, temperature
//                     2 on a temperature abnormality, other 2 on a power
//                     abnormality, 0 for what the projector cannot tell
//   LAMP ?            CR3 (hours) and CR LAMPSTS (1 lit, 0 not)
//   NAME, INF1, INF2, INFO, CLSS ?   from the configuration, no line traffic
//   a set answered ACK -> OK, "?" -> ERR3; no reply, or the line down -> ERR4

// A PJLink set and the frames that carry it out, in order.
struct SetMapping {
    std::string_view body;
    std::string_view parameter;
    std::array<std::string_view, 2> frames; // "" where there is no second
    bool needsPowerOn;
};

const SetMapping* findSet(std::string_view body, std::string_view parameter);

// The inputs the projector can be switched to, as INST lists them.
inline constexpr std::string_view kInputList = "11 12 21";

// The answers made from the replies.
// POWR ? and INPT ?: what the row of the read gives its value.
std::string readAnswer(Read read, const LineReply& reply);
std::string errorStatusAnswer(const LineReply& cr0, const LineReply& lampStatus);
std::string lampAnswer(const LineReply& cr3, const LineReply& lampStatus);
std::string setAnswer(const LineReply& reply);
// AVMT ?: video and audio as the bridge last set them.
std::string avMuteAnswer(bool video, bool audio);

} // namespace orva::pjlink

#include "pjlink/bridge.h"

#include "pjlink/protocol.h"

#include <utility>

namespace orva::pjlink {

ProjectorBridge::ProjectorBridge(LineQueue& line, Identity identity)
    : line_(line), identity_(std::move(identity)), self_(std::make_shared<ProjectorBridge*>(this))
{
}

ProjectorBridge::~ProjectorBridge()
{
    *self_ = nullptr;
}

template <typename F>
auto ProjectorBridge::guarded(F then)
{
    return [alive = std::weak_ptr<ProjectorBridge*>(self_), then = std::move(then)](const LineReply& reply) {
        if (const auto self = alive.lock(); self && *self)
            then(reply);
    };
}

void ProjectorBridge::execute(const Command& command, Answer answer, const Caller& caller)
{
    const std::string& body = command.body;
    const bool known = body == "POWR" || body == "INPT" || body == "AVMT" || body == "ERST" || body == "LAMP"
        || body == "INST" || body == "NAME" || body == "INF1" || body == "INF2" || body == "INFO"
        || body == "CLSS";
    if (!known) {
        answer(std::string(kUnknownCommand));
        return;
    }
    const bool local = body == "AVMT" || body == "INST" || body == "NAME" || body == "INF1" || body == "INF2"
        || body == "INFO" || body == "CLSS";
    const SetMapping* row = command.query() ? nullptr : findSet(body, command.parameter);
    if ((row || (command.query() && !local)) && !line_.admits(caller.source)) {
        answer(std::string(kNotNow)); // the line has all it may queue
        return;
    }
    if (command.query()) {
        query(body, std::move(answer), caller);
        return;
    }
    if (row) {
        set(*row, std::move(answer), caller);
        return;
    }
    answer(std::string(kBadParameter)); // a read-only command set, or a value it does not take
}

void ProjectorBridge::query(const std::string& body, Answer answer, const Caller& caller)
{
    if (body == "POWR") {
        line_.submit(frameOf(Read::Power), [answer](const LineReply& r) { answer(readAnswer(Read::Power, r)); }, caller);
    } else if (body == "INPT") {
        line_.submit(frameOf(Read::Input), [answer](const LineReply& r) { answer(readAnswer(Read::Input, r)); }, caller);
    } else if (body == "ERST") {
        line_.submit(frameOf(Read::Power), guarded([this, answer, caller](const LineReply& cr0) {
            if (!readPowerState(cr0.reply)) {
                answer(std::string(kProjectorFailure));
                return;
            }
            line_.submit(frameOf(Read::LampState),
                         [answer, cr0](const LineReply& lamp) { answer(errorStatusAnswer(cr0, lamp)); }, caller);
        }), caller);
    } else if (body == "LAMP") {
        line_.submit(frameOf(Read::LampHours), guarded([this, answer, caller](const LineReply& cr3) {
            if (!readLampHours(cr3.reply)) {
                answer(std::string(kProjectorFailure));
                return;
            }
            line_.submit(frameOf(Read::LampState),
                         [answer, cr3](const LineReply& lamp) { answer(lampAnswer(cr3, lamp)); }, caller);
        }), caller);
    } else if (body == "AVMT") {
        answer(avMuteAnswer(videoMuted_, audioMuted_));
    } else if (body == "INST") {
        answer(std::string(kInputList));
    } else if (body == "NAME") {
        answer(identity_.name);
    } else if (body == "INF1") {
        answer(identity_.manufacturer);
    } else if (body == "INF2") {
        answer(identity_.model);
    } else if (body == "INFO") {
        answer(identity_.other);
    } else { // CLSS
        answer("1");
    }
}

void ProjectorBridge::set(const SetMapping& row, Answer answer, const Caller& caller)
{
    // Power is switched only from a steady state: the projector ignores it
    // while warming up or cooling down.
    const bool steadyOnly = row.body == "POWR";
    if (!row.needsPowerOn && !steadyOnly) {
        sendFrames(row, 0, std::move(answer), caller);
        return;
    }
    line_.submit(frameOf(Read::Power), guarded([this, &row, answer, caller, steadyOnly](const LineReply& cr0) {
        const auto power = readPowerState(cr0.reply);
        if (!power)
            answer(std::string(kProjectorFailure));
        else if (steadyOnly ? (*power == PowerState::CountDown || *power == PowerState::CoolingDown)
                            : *power != PowerState::On)
            answer(std::string(kNotNow));
        else
            sendFrames(row, 0, answer, caller);
    }), caller);
}

void ProjectorBridge::sendFrames(const SetMapping& row, std::size_t index, Answer answer, const Caller& caller)
{
    const std::string frame(row.frames[index]);
    line_.submit(frame, guarded([this, &row, index, answer, caller](const LineReply& reply) {
        const std::string text = setAnswer(reply);
        if (text != kOk) {
            answer(text);
            return;
        }
        if (row.body == "AVMT") {
            // Each frame the projector took counts, also when a later one of
            // the same command is refused: "31" is video (first), then audio.
            const char which = row.parameter[0];
            const bool on = row.parameter[1] == '1';
            if (which == '1' || (which == '3' && index == 0))
                videoMuted_ = on;
            if (which == '2' || (which == '3' && index == 1))
                audioMuted_ = on;
        }
        if (index + 1 < row.frames.size() && !row.frames[index + 1].empty()) {
            sendFrames(row, index + 1, answer, caller);
            return;
        }
        answer(text);
    }), caller);
}

} // namespace orva::pjlink

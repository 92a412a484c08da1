#include "fakes.h"

namespace orva::test {

bool FakePort::setPortNumber(int n)
{
    if (open_ || !isUsablePort(n)) {
        error_ = "port number refused";
        return false;
    }
    number_ = n;
    return true;
}

bool FakePort::open()
{
    ++opens;
    if (open_ || !availablePorts.count(number_) || heldPorts.count(number_)) {
        error_ = heldPorts.count(number_) ? "in use by another program" : "no such port";
        return false;
    }
    open_ = true;
    return true;
}

bool FakePort::write(std::string_view frame)
{
    if (!open_ || failWrites) {
        error_ = open_ ? "write failed" : "port closed";
        return false;
    }
    written.emplace_back(frame);
    if (onWrite)
        onWrite();
    if (!lineTakesData)
        unsent += frame.size();
    return true;
}

void FakePort::beginOpen()
{
    if (!asyncOpens) {
        SerialPort::beginOpen();
        return;
    }
    pendingOpen = true;
}

void FakePort::finishOpen()
{
    if (!pendingOpen)
        return;
    pendingOpen = false;
    const bool opened = open();
    if (listener())
        listener()->onOpenFinished(opened);
}

std::string FakePort::read()
{
    std::string out;
    out.swap(waiting_);
    return out;
}

void FakePort::receive(const std::string& piece)
{
    waiting_ += piece;
    raise(kCommEventReceive);
}

void FakePort::raise(int event)
{
    if (listener())
        listener()->onComm(event);
}

void FakePort::lose(const std::string& why)
{
    open_ = false;
    unsent = 0;
    if (listener())
        listener()->onPortLost(why);
}

std::string FakeStore::read(const std::string& section, const std::string& key,
                            const std::string& fallback) const
{
    auto it = values.find(section + "/" + key);
    return it == values.end() ? fallback : it->second;
}

StoredEntry FakeStore::readCurrent(const std::string& section, const std::string& key) const
{
    ++currentReads;
    if (unreadable.count(section + "/" + key))
        return {StoredEntry::State::Unreadable, {}};
    return SettingsStore::readCurrent(section, key);
}

StoreOutcome FakeStore::write(const std::string& section, const Entries& entries)
{
    ++writes;
    if (!refusal.stored())
        return refusal;
    for (const auto& [key, value] : entries)
        values[section + "/" + key] = value;
    return {StoreOutcome::Problem::None, "memory", {}};
}

void Rig::storeSettings(const std::string& comPort, const std::string& baud)
{
    store.values["StartUP/ComPort"] = comPort;
    store.values["StartUP/BaudRate"] = baud;
}

void Rig::startOnPort(int n, const std::string& baud)
{
    storeSettings(std::to_string(n), baud);
    program.formLoad();
}

} // namespace orva::test

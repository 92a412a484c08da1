#pragma once

#include <QProcess>
#include <QStringList>

#include <string>

namespace orva::test {

// orva-projector-sim in a child process, on its own pseudo-terminal.
class Simulator {
public:
    explicit Simulator(QStringList options = {});
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    bool started() const { return !device_.empty(); }
    const std::string& device() const { return device_; }
    bool running() const { return process_.state() == QProcess::Running; }
    void stop();

private:
    QProcess process_;
    std::string device_;
};

} // namespace orva::test

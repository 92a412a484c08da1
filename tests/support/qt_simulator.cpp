#include "simulator.h"

#ifndef ORVA_SIM_PATH
#define ORVA_SIM_PATH "orva-projector-sim"
#endif

namespace orva::test {

Simulator::Simulator(QStringList options)
{
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    options << "--quiet";
    process_.start(QStringLiteral(ORVA_SIM_PATH), options);
    if (!process_.waitForStarted(10000))
        return;
    // The first line it prints is the device path.
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(10000))
            return;
    }
    device_ = QString::fromLocal8Bit(process_.readLine()).trimmed().toStdString();
}

Simulator::~Simulator()
{
    stop();
}

void Simulator::stop()
{
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

} // namespace orva::test

#pragma once

// The simulated device that the benchmarks talk to: in the benchmark's own
// process, on loopback TCP, without the USB pseudo-terminal. A device that
// does not start ends the benchmark with the reason.

#include "benchsupport.h"
#include "devicesimulator.h"

#include <memory>

namespace Bench {

inline std::unique_ptr<devsim::DeviceSimulator> startDevice(devsim::Model model)
{
    devsim::DeviceSimulator::Options options;
    options.model = model;
    options.usb = false;
    auto device = std::make_unique<devsim::DeviceSimulator>(options);
    QString error;
    if (!device->start(&error))
        fail(QStringLiteral("the simulated device does not start: %1").arg(error));
    return device;
}

} // namespace Bench

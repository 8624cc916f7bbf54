#pragma once

// The device's side of the configuration protocol: a request frame
// ("AT+" keyword ["=" values separated by ","] CR LF) goes in, the reply
// frame ("+" body CR LF) and what the device must do after sending it come
// out. The keyword tables here are the device's own, written independently
// of the configuration tool, so a mistake in either is noticed.

#include "devicestate.h"

#include <QByteArray>

namespace devsim {

enum class DeviceAction
{
    None,
    Restart,
    Close232,
    Close485
};

// Faults that change what a reply says (the delivery faults live with the
// connections).
struct ContentFaults
{
    int recordValueDelta = 0;
    bool outOfRangeValues = false;
    bool errOnWrite = false;
};

struct Response
{
    QByteArray frame;
    DeviceAction action = DeviceAction::None;
    bool stateChanged = false;
};

// Answers one complete request frame (CR LF included) on a command set,
// updating the state for writes.
Response respond(DeviceState &state, CommandSet set, const QByteArray &request,
                 const ContentFaults &faults = ContentFaults());

} // namespace devsim

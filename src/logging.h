#pragma once

// The tool's trace categories. Every trace goes to the debug log through one of
// these, so a technician can switch on just the wire trace
// (QT_LOGGING_RULES="telvor.wire.debug=true") and tests can switch everything
// off with "telvor.*.debug=false".
//
//   telvor.wire   every frame sent and every chunk received, on every route
//   telvor.route  routes coming up and going down, sockets, the serial port
//   telvor.page   the configuration page and the network window
//   telvor.panel  the connection panel
//   telvor.app    start-up and the start window

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcWire)
Q_DECLARE_LOGGING_CATEGORY(lcRoute)
Q_DECLARE_LOGGING_CATEGORY(lcPage)
Q_DECLARE_LOGGING_CATEGORY(lcPanel)
Q_DECLARE_LOGGING_CATEGORY(lcApp)

#pragma once

// The tool's trace categories. Every trace goes to the debug log through one of
// these. They are off by default (each category starts at the info level), so
// a technician's terminal and journal stay quiet; one logging rule switches a
// trace on, e.g. just the wire trace: QT_LOGGING_RULES="telvor.wire.debug=true",
// or all of them: QT_LOGGING_RULES="telvor.*.debug=true".
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

#include "logging.h"

Q_LOGGING_CATEGORY(lcWire, "telvor.wire")
Q_LOGGING_CATEGORY(lcRoute, "telvor.route")
Q_LOGGING_CATEGORY(lcPage, "telvor.page")
Q_LOGGING_CATEGORY(lcPanel, "telvor.panel")
Q_LOGGING_CATEGORY(lcApp, "telvor.app")

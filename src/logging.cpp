#include "logging.h"

Q_LOGGING_CATEGORY(lcWire, "telvor.wire", QtInfoMsg)
Q_LOGGING_CATEGORY(lcRoute, "telvor.route", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPage, "telvor.page", QtInfoMsg)
Q_LOGGING_CATEGORY(lcPanel, "telvor.panel", QtInfoMsg)
Q_LOGGING_CATEGORY(lcApp, "telvor.app", QtInfoMsg)

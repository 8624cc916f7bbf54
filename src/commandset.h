#pragma once

// Which command set a route speaks. It follows the route, not the chosen
// model: USB and the configuration service speak the Ethernet set and carry a
// 23-value port record, the two data ports speak the GSM set and carry 30.

#include "commsettings.h"
#include "transparentconfig.h"

namespace CommandSet {

enum Kind { None, Ethernet, Gsm };

Kind forRoute(CommSettings::eRoute_t route);
Kind forConnection(TransparentConfig::eConnection_State_t state);

// Values of a port record on that set (0 for None).
int portRecordSize(Kind set);

// The set's keyword table and its end marker (nullptr and 0 for None).
const QString *keywordTable(Kind set);
int endMarker(Kind set);

} // namespace CommandSet

#pragma once

// The device model chosen on the start window. The values are the chooser's
// item indexes and the argument the main window and the panel take.
enum eDeviceModel_t { eNoModel = 0, eEthernetModem = 1, eGsmModem = 2 };

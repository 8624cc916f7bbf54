#pragma once

// How long status-bar texts stay up, in milliseconds. Acknowledgements and
// route events are brief; parse failures, socket errors and refused records
// stay longer; a new connection and an unanswered write longest. 0 keeps a
// text until the next one replaces it.
constexpr int STATUS_BRIEF_MS = 1000;
constexpr int STATUS_PROBLEM_MS = 3000;
constexpr int STATUS_LONG_MS = 5000;
constexpr int STATUS_UNTIL_REPLACED = 0;

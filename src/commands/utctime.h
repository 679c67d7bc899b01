#pragma once

#include <QDateTime>

class Clock;

// The PC's current date and time in UTC, to the second, from one reading of
// the system clock. Taken as UTC directly rather than as local time plus a
// zone bias, so it is right in every zone, whatever the daylight-saving rule,
// and across an offset change.
QDateTime currentUtcSecond(const Clock &clock);

#include "commands/utctime.h"

#include "base/clock.h"

QDateTime currentUtcSecond(const Clock &clock) {
    const QDateTime now = clock.nowUtc().toUTC();
    // Whole seconds: the frame has no field for a fraction.
    const QTime time = now.time();
    return QDateTime(now.date(), QTime(time.hour(), time.minute(), time.second()), Qt::UTC);
}

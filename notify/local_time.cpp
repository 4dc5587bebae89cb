#include "notify/local_time.h"

#include <cstdio>

#include "app/main_texts.h"

namespace vigilor {

std::string ReportStamp(const LocalTime& t) { return ClockText(t.day, t.month, t.year, t.hour, t.minute); }

std::string MailDate(const LocalTime& t) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const char* day = (t.dayOfWeek >= 0 && t.dayOfWeek < 7) ? kDays[t.dayOfWeek] : "";
    const char* month = (t.month >= 1 && t.month <= 12) ? kMonths[t.month - 1] : "";
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d", day, t.day, month, t.year, t.hour, t.minute,
                  t.second);
    return text;
}

}  // namespace vigilor

#pragma once
// A moment of local wall-clock time and the two ways the program writes it.
#include <string>

namespace vigilor {

struct LocalTime {
    int year = 2000;
    int month = 1;  // 1-12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int dayOfWeek = 6;  // 0 = Sunday
};

// "dd/mm/yyyy  hh:mm", two blanks between date and time.
std::string ReportStamp(const LocalTime& t);

// "ddd, dd mmm yyyy hh:mm:ss" with English day and month abbreviations, no
// zone: the date line of an alert mail.
std::string MailDate(const LocalTime& t);

// The clock the notification code reads.
class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime Now() = 0;
};

}  // namespace vigilor

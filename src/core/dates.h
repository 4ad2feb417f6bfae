#pragma once

#include <QDate>
#include <QString>
#include <optional>

namespace kvr {

// Reads a date typed as day.month.year. The year may have one to four
// digits; a year of one or two digits is placed by the program's one rule:
// 00-29 in 2000-2029, 30-99 in 1930-1999. Returns nothing when the text is
// not a calendar date.
std::optional<QDate> parseDayMonthYear(const QString& text);

// Places a two-digit year in its century (00-29 -> 20xx, 30-99 -> 19xx).
int expandTwoDigitYear(int year);

// The form lists show dates in: dd.MM.yyyy. It passes the date-text check,
// so an unchanged date can be stored again from an editing dialog.
QString formatDate(const QDate& date);

} // namespace kvr

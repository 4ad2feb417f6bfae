#pragma once

#include <QString>

namespace rules {

// Whether text is a finishing time in the full shape "hh:mm:ss": exactly
// eight characters, two digits, ":", two digits, ":", two digits, each pair
// from 00 to 59 (hours too). Times are ranked as text, so only this one shape
// keeps the text order equal to the time order.
bool isFinishTime(const QString& text);

} // namespace rules

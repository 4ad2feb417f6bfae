#include "core/timerules.h"

namespace rules {

namespace {

// The value of the two digits at text[at], or -1 when either is no digit.
int twoDigits(const QString& text, int at)
{
    const QChar tens = text.at(at);
    const QChar ones = text.at(at + 1);
    if (tens < QLatin1Char('0') || tens > QLatin1Char('9') || ones < QLatin1Char('0') || ones > QLatin1Char('9'))
        return -1;
    return (tens.unicode() - '0') * 10 + (ones.unicode() - '0');
}

bool isPair(const QString& text, int at)
{
    const int value = twoDigits(text, at);
    return value >= 0 && value <= 59;
}

} // namespace

bool isFinishTime(const QString& text)
{
    return text.size() == 8 && text.at(2) == QLatin1Char(':') && text.at(5) == QLatin1Char(':')
        && isPair(text, 0) && isPair(text, 3) && isPair(text, 6);
}

} // namespace rules

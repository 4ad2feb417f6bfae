#include "core/filevalues.h"

#include "core/iotexts.h"

namespace io {

QString valueRefusal(const QString& field, const QString& value, ValueKind kind)
{
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c.category() == QChar::Other_Control)
            return tx::ioControlCharacter(field, c.unicode(), value);
        if (kind != ValueKind::StartNumber || (c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            continue;
        // Digits of other scripts and digit-like signs, in or outside the basic plane.
        const char32_t code = c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate()
            ? QChar::surrogateToUcs4(c, value.at(i + 1))
            : c.unicode();
        const QChar::Category category = QChar::category(code);
        if (category == QChar::Number_DecimalDigit || category == QChar::Number_Letter
            || category == QChar::Number_Other)
            return tx::ioForeignDigit(field, value);
    }
    return {};
}

} // namespace io

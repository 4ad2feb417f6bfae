#include "core/timefile.h"

#include "core/csv.h"
#include "core/filevalues.h"
#include "core/inputrules.h"
#include "core/iotexts.h"

namespace io {

namespace {

constexpr qint64 kSecondsLimit = 60 * 3600; // the hours of "hh:mm:ss" stop at 59

TimeReading refused(const QString& reason)
{
    return TimeReading{QString(), reason};
}

// "hh:mm:ss" of a time under 60 hours.
QString clockText(qint64 seconds)
{
    QString text(8, QLatin1Char(':'));
    const auto put = [&text](qsizetype at, qint64 value) {
        text[at] = QLatin1Char(char('0' + value / 10));
        text[at + 1] = QLatin1Char(char('0' + value % 10));
    };
    put(0, seconds / 3600);
    put(3, seconds / 60 % 60);
    put(6, seconds % 60);
    return text;
}

bool isFieldSeparator(QChar c)
{
    return c == QLatin1Char(',') || c == QLatin1Char(';') || c == QLatin1Char('\t') || c == QLatin1Char(' ');
}

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

// A start number as the start-number field takes it: digits and dots, at
// least one digit.
bool isNumber(const QString& text)
{
    bool digit = false;
    for (const QChar c : text) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digit = true;
        else if (c != QLatin1Char('.'))
            return false;
    }
    return digit;
}

QString unquoted(QStringView text)
{
    if (text.size() >= 2 && text.front() == QLatin1Char('"') && text.back() == QLatin1Char('"'))
        return text.sliced(1, text.size() - 2).toString().replace(QLatin1String("\"\""), QLatin1String("\""));
    return text.toString();
}

// Splits one trimmed line into its start number and the rest (the time).
// The time keeps any comma inside it, since a fraction of a second may be
// written after one.
void splitLine(QStringView line, QString& number, QString& time)
{
    qsizetype i = 0;
    if (!line.isEmpty() && line.front() == QLatin1Char('"')) {
        const qsizetype close = line.indexOf(QLatin1Char('"'), 1);
        i = close < 0 ? line.size() : close + 1;
    }
    while (i < line.size() && !isFieldSeparator(line[i]))
        ++i;
    number = unquoted(line.first(i)).trimmed();
    while (i < line.size() && isBlank(line[i]))
        ++i;
    if (i < line.size() && (line[i] == QLatin1Char(',') || line[i] == QLatin1Char(';')))
        ++i;
    time = unquoted(line.sliced(i).trimmed()).trimmed();
}

} // namespace

TimeReading readTime(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return refused(tx::ioNoTime());

    QStringView whole = t;
    bool roundUp = false;
    const qsizetype mark = std::max(t.lastIndexOf(QLatin1Char('.')), t.lastIndexOf(QLatin1Char(',')));
    if (mark >= 0) {
        const QStringView fraction = QStringView(t).sliced(mark + 1);
        if (!rules::allDigits(fraction, 1, 9))
            return refused(tx::ioTimeShape(t));
        for (const QChar c : fraction)
            roundUp = roundUp || c != QLatin1Char('0');
        whole = whole.first(mark);
    }

    const QList<QStringView> parts = whole.split(QLatin1Char(':'));
    qint64 hours = 0, minutes = 0, seconds = 0;
    if (parts.size() == 3) {
        // Hours of three or four digits are read so that they are refused as
        // too long, not as a wrong shape.
        if (!rules::allDigits(parts[0], 1, 4) || !rules::allDigits(parts[1], 2, 2) || !rules::allDigits(parts[2], 2, 2))
            return refused(tx::ioTimeShape(t));
        hours = parts[0].toLongLong();
        minutes = parts[1].toLongLong();
        seconds = parts[2].toLongLong();
        if (minutes >= 60)
            return refused(tx::ioTimeMinutes(t));
    } else if (parts.size() == 2) {
        if (!rules::allDigits(parts[0], 1, 6) || !rules::allDigits(parts[1], 2, 2))
            return refused(tx::ioTimeShape(t));
        minutes = parts[0].toLongLong();
        seconds = parts[1].toLongLong();
    } else {
        return refused(tx::ioTimeShape(t));
    }
    if (seconds >= 60)
        return refused(tx::ioTimeSeconds(t));

    const qint64 total = hours * 3600 + minutes * 60 + seconds + (roundUp ? 1 : 0);
    if (total >= kSecondsLimit)
        return refused(tx::ioTimeTooLong(t));
    return TimeReading{clockText(total), QString()};
}

std::optional<QString> normaliseTime(const QString& text)
{
    TimeReading reading = readTime(text);
    if (!reading.ok())
        return std::nullopt;
    return reading.time;
}

TimeFileResult readTimeFile(const QByteArray& bytes)
{
    TimeFileResult result;
    const TextResult decoded = decodeUtf8(bytes);
    if (!decoded.ok()) {
        result.error = decoded.error;
        return result;
    }
    const QStringView text = decoded.text;
    const qsizetype n = text.size();
    qsizetype i = 0;
    int lineNumber = 0;
    bool first = true;
    while (i < n) {
        ++lineNumber;
        const qsizetype start = i;
        while (i < n && text[i] != QLatin1Char('\n') && text[i] != QLatin1Char('\r'))
            ++i;
        const QStringView line = text.sliced(start, i - start).trimmed();
        if (i < n && text[i] == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
            ++i;
        ++i;
        if (line.isEmpty())
            continue;

        TimeLine entry;
        entry.lineNumber = lineNumber;
        QString time;
        splitLine(line, entry.sbroj, time);
        const TimeReading reading = readTime(time);
        if (first && !reading.ok() && !isNumber(entry.sbroj)) {
            first = false;
            continue; // the header line
        }
        first = false;
        QString refusal;
        if (entry.sbroj.isEmpty())
            entry.refusal = tx::ioNoStartNumber();
        else if (refusal = valueRefusal(tx::ioFieldStartNumber(), entry.sbroj, ValueKind::StartNumber);
                 !refusal.isEmpty())
            entry.refusal = refusal;
        else if (time.isEmpty())
            entry.refusal = tx::ioNoTime();
        else if (refusal = valueRefusal(tx::ioFieldTime(), time); !refusal.isEmpty())
            entry.refusal = refusal;
        else if (!reading.ok())
            entry.refusal = reading.refusal;
        else
            entry.time = reading.time;
        result.lines.append(entry);
    }
    return result;
}

} // namespace io

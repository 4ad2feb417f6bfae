#include "core/csv.h"

#include "core/iotexts.h"

#include <QBuffer>

namespace io {

namespace {

// Offset of the first byte at or after from that does not belong to a
// well-formed UTF-8 sequence (no overlong forms, no surrogates, nothing past
// U+10FFFF, no sequence cut off at the end), or -1 when all are sound.
qsizetype firstInvalidUtf8(const QByteArray& bytes, qsizetype from)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype i = from;
    while (i < n) {
        const unsigned lead = p[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        unsigned low = 0x80, high = 0xBF; // allowed range of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead == 0xE0) {
            length = 3;
            low = 0xA0;
        } else if ((lead >= 0xE1 && lead <= 0xEC) || lead == 0xEE || lead == 0xEF) {
            length = 3;
        } else if (lead == 0xED) {
            length = 3;
            high = 0x9F;
        } else if (lead == 0xF0) {
            length = 4;
            low = 0x90;
        } else if (lead >= 0xF1 && lead <= 0xF3) {
            length = 4;
        } else if (lead == 0xF4) {
            length = 4;
            high = 0x8F;
        } else {
            return i;
        }
        if (i + length > n || p[i + 1] < low || p[i + 1] > high)
            return i;
        for (int k = 2; k < length; ++k) {
            if (p[i + k] < 0x80 || p[i + k] > 0xBF)
                return i;
        }
        i += length;
    }
    return -1;
}

// The number, from 1, of the line holding byte offset at.
int lineOfOffset(const QByteArray& bytes, qsizetype at)
{
    int line = 1;
    for (qsizetype i = 0; i < at; ++i) {
        const char c = bytes.at(i);
        if (c == '\n' || (c == '\r' && (i + 1 >= bytes.size() || bytes.at(i + 1) != '\n')))
            ++line;
    }
    return line;
}

bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

bool isBlank(const QStringList& fields)
{
    for (const QString& f : fields) {
        for (const QChar c : f) {
            if (!c.isSpace())
                return false;
        }
    }
    return true;
}

} // namespace

TextResult decodeUtf8(const QByteArray& bytes)
{
    TextResult result;
    const qsizetype start = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    const qsizetype bad = firstInvalidUtf8(bytes, start);
    if (bad >= 0) {
        result.error = tx::ioNotUtf8(lineOfOffset(bytes, bad));
        return result;
    }
    result.text = QString::fromUtf8(QByteArrayView(bytes).sliced(start));
    return result;
}

QChar detectSeparator(QStringView text)
{
    const QChar candidates[] = {QLatin1Char(';'), QLatin1Char('\t'), QLatin1Char(',')};
    int counts[3] = {0, 0, 0};
    qsizetype i = 0;
    const qsizetype n = text.size();
    // Blank lines before the header are skipped, as the parser skips them.
    while (i < n && (isLineEnd(text[i]) || text[i] == QLatin1Char(' ')))
        ++i;
    bool quoted = false;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && isLineEnd(c))
            break;
        else if (!quoted) {
            for (int k = 0; k < 3; ++k) {
                if (c == candidates[k])
                    ++counts[k];
            }
        }
    }
    int best = 2; // a comma when none occurs
    for (int k = 0; k < 3; ++k) {
        if (counts[k] > counts[best] || (counts[k] == counts[best] && counts[k] > 0 && k < best))
            best = k;
    }
    return candidates[best];
}

CsvResult parseCsv(QStringView text, QChar separator)
{
    CsvResult result;
    result.separator = separator;
    const QChar quote = QLatin1Char('"');
    const qsizetype n = text.size();
    qsizetype i = 0;
    int line = 1;
    qsizetype width = 1; // fields of the last record, to size the next
    while (i < n) {
        const int rowLine = line;
        QStringList fields;
        fields.reserve(width);
        for (;;) {
            if (i < n && text[i] == quote) {
                const int quoteLine = line;
                QString field;
                ++i;
                for (;;) {
                    if (i >= n) {
                        result.rows.clear();
                        result.error = tx::ioUnclosedQuote(quoteLine);
                        return result;
                    }
                    const QChar c = text[i];
                    if (c == quote) {
                        if (i + 1 < n && text[i + 1] == quote) {
                            field += quote;
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (isLineEnd(c)) {
                        // A line break inside quotes is part of the field; CR LF
                        // and a lone CR are kept as one "\n".
                        field += QLatin1Char('\n');
                        ++line;
                        ++i;
                        if (c == QLatin1Char('\r') && i < n && text[i] == QLatin1Char('\n'))
                            ++i;
                        continue;
                    }
                    const qsizetype start = i;
                    while (i < n && text[i] != quote && !isLineEnd(text[i]))
                        ++i;
                    field += text.sliced(start, i - start);
                }
                // Text written after the closing quote, up to the separator,
                // is kept as written.
                const qsizetype start = i;
                while (i < n && text[i] != separator && !isLineEnd(text[i]))
                    ++i;
                if (i > start)
                    field += text.sliced(start, i - start);
                fields.append(field);
            } else {
                const qsizetype start = i;
                while (i < n && text[i] != separator && !isLineEnd(text[i]))
                    ++i;
                fields.append(text.sliced(start, i - start).toString());
            }
            if (i < n && text[i] == separator) {
                ++i;
                continue;
            }
            break;
        }
        if (i < n) {
            if (text[i] == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n'))
                ++i;
            ++i;
            ++line;
        }
        width = fields.size();
        if (!isBlank(fields))
            result.rows.append(CsvRow{rowLine, std::move(fields)});
    }
    return result;
}

CsvResult readCsv(const QByteArray& bytes)
{
    const TextResult decoded = decodeUtf8(bytes);
    if (!decoded.ok()) {
        CsvResult result;
        result.error = decoded.error;
        return result;
    }
    return parseCsv(decoded.text, detectSeparator(decoded.text));
}

namespace {

bool startsFormula(QChar first)
{
    return first == QLatin1Char('=') || first == QLatin1Char('+') || first == QLatin1Char('-')
        || first == QLatin1Char('@') || first == QLatin1Char('\t') || first == QLatin1Char('\r');
}

// Whether the value, past the apostrophes it starts with, starts a formula.
bool guarded(QStringView value)
{
    qsizetype k = 0;
    while (k < value.size() && value.at(k) == QLatin1Char('\''))
        ++k;
    return k < value.size() && startsFormula(value.at(k));
}

void appendCsvField(QString& out, const QString& value, QChar separator)
{
    if (value.isEmpty())
        return;
    // A lone "-" (a list's "none") is no formula to any spreadsheet and is
    // written as it is; one read back with a guard of an earlier export
    // still loses it.
    const bool guard = guarded(value) && value != QLatin1String("-");
    bool needsQuotes = false;
    for (const QChar c : value) {
        if (c == separator || c == QLatin1Char('"') || isLineEnd(c)) {
            needsQuotes = true;
            break;
        }
    }
    if (needsQuotes)
        out += QLatin1Char('"');
    if (guard)
        out += QLatin1Char('\'');
    if (!needsQuotes) {
        out += value;
        return;
    }
    qsizetype from = 0;
    for (qsizetype k = 0; k < value.size(); ++k) {
        if (value[k] == QLatin1Char('"')) {
            out += QStringView(value).sliced(from, k + 1 - from); // the quote, then once more
            out += QLatin1Char('"');
            from = k + 1;
        }
    }
    out += QStringView(value).sliced(from);
    out += QLatin1Char('"');
}

} // namespace

QString unguardedField(const QString& value)
{
    return value.startsWith(QLatin1Char('\'')) && guarded(value) ? value.mid(1) : value;
}

QString csvField(const QString& value, QChar separator)
{
    QString field;
    appendCsvField(field, value, separator);
    return field;
}

constexpr qsizetype kWriteChunk = 32 * 1024; // UTF-16 units

CsvWriter::CsvWriter(QIODevice& device, QChar separator)
    : m_device(device)
    , m_separator(separator)
{
    m_text.reserve(kWriteChunk + 1024);
    m_ok = m_device.write("\xEF\xBB\xBF", 3) == 3;
}

void CsvWriter::writeRow(const QStringList& row)
{
    for (qsizetype k = 0; k < row.size(); ++k) {
        if (k > 0)
            m_text += m_separator;
        appendCsvField(m_text, row[k], m_separator);
    }
    m_text += QLatin1String("\r\n");
    if (m_text.size() >= kWriteChunk)
        flush();
}

void CsvWriter::flush()
{
    // A row ends in CR LF, so a piece never splits a character.
    const QByteArray bytes = m_text.toUtf8();
    m_ok = m_ok && m_device.write(bytes) == bytes.size();
    m_text.resize(0);
}

bool CsvWriter::finish()
{
    flush();
    return m_ok;
}

QByteArray writeCsv(const QStringList& header, const QList<QStringList>& rows, QChar separator)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CsvWriter writer(buffer, separator);
    writer.writeRow(header);
    for (const QStringList& row : rows)
        writer.writeRow(row);
    writer.finish();
    return bytes;
}

QChar separatorChar(Separator separator)
{
    switch (separator) {
    case Separator::Comma:
        return QLatin1Char(',');
    case Separator::Tab:
        return QLatin1Char('\t');
    case Separator::Semicolon:
        break;
    }
    return QLatin1Char(';');
}

QString separatorName(Separator separator)
{
    switch (separator) {
    case Separator::Comma:
        return QStringLiteral("comma");
    case Separator::Tab:
        return QStringLiteral("tab");
    case Separator::Semicolon:
        break;
    }
    return QStringLiteral("semicolon");
}

std::optional<Separator> separatorNamed(QStringView name)
{
    for (const Separator s : {Separator::Comma, Separator::Semicolon, Separator::Tab}) {
        if (name.compare(separatorName(s), Qt::CaseInsensitive) == 0)
            return s;
    }
    return std::nullopt;
}

} // namespace io

#include "core/htmlexport.h"

#include "core/iotexts.h"

#include <QBuffer>

namespace io {

namespace {

const char* const kStyle = R"css(
*{box-sizing:border-box}
body{margin:0;padding:1rem;font-family:system-ui,-apple-system,"Segoe UI",Roboto,Arial,sans-serif;font-size:16px;line-height:1.4;color:#111;background:#fff}
header{margin-bottom:1rem}
h1{font-size:1.5rem;margin:0 0 .25rem}
h2{font-size:1.2rem;margin:1.5rem 0 .5rem}
header p{margin:.1rem 0;color:#333}
nav ul{margin:.25rem 0;padding-left:1.25rem}
nav a{color:#0645ad}
.table-wrap{overflow-x:auto;-webkit-overflow-scrolling:touch}
table{border-collapse:collapse;width:100%;font-size:.95rem}
th,td{padding:.3rem .5rem;border-bottom:1px solid #ccc;text-align:left;white-space:nowrap}
thead th{background:#eee;border-bottom:2px solid #888}
tbody tr:nth-child(even){background:#f7f7f7}
@media (max-width:600px){body{padding:.5rem;font-size:15px}h1{font-size:1.25rem}table{font-size:.85rem}th,td{padding:.25rem .4rem}}
@media print{nav{display:none}body{padding:0;font-size:11pt}.table-wrap{overflow:visible}thead{display:table-header-group}th,td{white-space:normal}h2{page-break-after:avoid;break-after:avoid}tr{page-break-inside:avoid;break-inside:avoid}section{page-break-before:auto}tbody tr:nth-child(even){background:none}}
)css";

QString sectionId(qsizetype index)
{
    return QStringLiteral("lista-%1").arg(index + 1);
}

// What stands for c in a page: its character reference, U+FFFD for a
// control character other than tab, LF and CR (which no page may hold), or
// nothing when c stands for itself.
QStringView escapeOf(QChar c)
{
    switch (c.unicode()) {
    case '&': return u"&amp;";
    case '<': return u"&lt;";
    case '>': return u"&gt;";
    case '"': return u"&quot;";
    case '\'': return u"&#39;";
    case '\t': case '\n': case '\r': return {};
    default:
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c.unicode() == 0xFFFE || c.unicode() == 0xFFFF)
            return u"\uFFFD";
        return {};
    }
}

void appendEscaped(QString& out, QStringView text)
{
    qsizetype from = 0;
    for (qsizetype k = 0; k < text.size(); ++k) {
        const QStringView replacement = escapeOf(text[k]);
        if (replacement.isEmpty())
            continue;
        out += text.sliced(from, k - from);
        out += replacement;
        from = k + 1;
    }
    out += text.sliced(from);
}

void appendCell(QString& out, const char* tag, const QString& value)
{
    out += QLatin1Char('<');
    out += QLatin1String(tag);
    out += QLatin1Char('>');
    appendEscaped(out, value);
    out += QLatin1String("</");
    out += QLatin1String(tag);
    out += QLatin1Char('>');
}

} // namespace

void appendHtmlEscaped(QString& out, QStringView text)
{
    appendEscaped(out, text);
}

QString htmlEscape(const QString& text)
{
    QString out;
    appendEscaped(out, text);
    return out;
}

constexpr qsizetype kWriteChunk = 32 * 1024; // UTF-16 units

HtmlWriter::HtmlWriter(QIODevice& device)
    : m_device(device)
{
    m_text.reserve(kWriteChunk + 4096);
}

void HtmlWriter::begin(const HtmlDocument& document, const QStringList& headings)
{
    QString& out = m_text;
    const QString title = document.title.isEmpty() ? document.raceName : document.title;
    out += QLatin1String("<!DOCTYPE html>\n<html lang=\"hr\">\n<head>\n<meta charset=\"utf-8\" />\n"
                         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\" />\n<title>");
    appendEscaped(out, title);
    out += QLatin1String("</title>\n<style>");
    out += QLatin1String(kStyle);
    out += QLatin1String("</style>\n</head>\n<body>\n<header>\n");
    appendCell(out, "h1", document.raceName);
    out += QLatin1Char('\n');
    if (!document.organiser.isEmpty())
        appendCell(out, "p", tx::ioOrganiser() + QLatin1Char(' ') + document.organiser);
    if (!document.dateText.isEmpty())
        appendCell(out, "p", tx::ioRaceDate() + QLatin1Char(' ') + document.dateText);
    out += QLatin1String("\n</header>\n");

    if (headings.size() > 1) {
        out += QLatin1String("<nav>\n");
        appendCell(out, "h2", tx::ioContents());
        out += QLatin1String("\n<ul>\n");
        for (qsizetype i = 0; i < headings.size(); ++i) {
            out += QLatin1String("<li><a href=\"#") + sectionId(i) + QLatin1String("\">");
            appendEscaped(out, headings[i]);
            out += QLatin1String("</a></li>\n");
        }
        out += QLatin1String("</ul>\n</nav>\n");
    }
    out += QLatin1String("<main>\n");
    flushIfFull();
}

void HtmlWriter::beginList(const QString& heading, const QStringList& columns)
{
    QString& out = m_text;
    out += QLatin1String("<section id=\"") + sectionId(m_lists++) + QLatin1String("\">\n");
    appendCell(out, "h2", heading);
    out += QLatin1String("\n<div class=\"table-wrap\">\n<table>\n<thead><tr>");
    for (const QString& column : columns)
        appendCell(out, "th", column);
    out += QLatin1String("</tr></thead>\n<tbody>\n");
    m_columns = columns.size();
}

void HtmlWriter::writeRow(const QStringList& row)
{
    QString& out = m_text;
    out += QLatin1String("<tr>");
    for (const QString& value : row)
        appendCell(out, "td", value);
    // A short row is filled with empty cells so that columns stay in line.
    for (qsizetype k = row.size(); k < m_columns; ++k)
        out += QLatin1String("<td></td>");
    out += QLatin1String("</tr>\n");
    flushIfFull();
}

void HtmlWriter::endList()
{
    m_text += QLatin1String("</tbody>\n</table>\n</div>\n</section>\n");
}

bool HtmlWriter::finish()
{
    m_text += QLatin1String("</main>\n</body>\n</html>\n");
    flush();
    return m_ok;
}

void HtmlWriter::flushIfFull()
{
    if (m_text.size() >= kWriteChunk)
        flush();
}

void HtmlWriter::flush()
{
    // Pieces end after a whole row, so no character is ever split.
    const QByteArray bytes = m_text.toUtf8();
    m_ok = m_ok && m_device.write(bytes) == bytes.size();
    m_text.resize(0);
}

QByteArray writeHtml(const HtmlDocument& document)
{
    QStringList headings;
    for (const HtmlList& list : document.lists)
        headings.append(list.heading);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    HtmlWriter writer(buffer);
    writer.begin(document, headings);
    for (const HtmlList& list : document.lists) {
        writer.beginList(list.heading, list.columns);
        for (const QStringList& row : list.rows)
            writer.writeRow(row);
        writer.endList();
    }
    writer.finish();
    return bytes;
}

} // namespace io

#pragma once

// Lists written as one web page: a page that opens in any browser, on a
// phone too, prints cleanly and needs no other file.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QIODevice;

namespace io {

// One list of the page: its heading, the column headings and the rows.
struct HtmlList {
    QString heading;
    QStringList columns;
    QList<QStringList> rows;
};

struct HtmlDocument {
    QString title;     // the page title; the race name when empty
    QString raceName;
    QString organiser;
    QString dateText;  // the race date as shown in the program
    QList<HtmlList> lists;
};

// text with & < > " ' written as character references, and control
// characters other than tab, LF and CR (which no page may hold) as U+FFFD.
QString htmlEscape(const QString& text);
// The same appended to out, for pages of many cells.
void appendHtmlEscaped(QString& out, QStringView text);

// The page in UTF-8: HTML5 that is also well-formed XML (every element
// closed, empty elements written as <meta ... />), the CSS inside it, no
// script. The race name, organiser and date head the page; every list is
// a <section> with a heading and a table; when there is more than one list,
// a table of contents links to them. Tables scroll sideways on a narrow
// screen; in print the contents are left out and no row is split across
// pages.
QByteArray writeHtml(const HtmlDocument& document);

// writeHtml piece by piece onto a device, in the same bytes: begin() with
// the document's header and the headings of its lists (document.lists'
// rows are not read), then for each list beginList(), its rows, endList(),
// and finish(). A long list is never held whole as text.
class HtmlWriter {
public:
    explicit HtmlWriter(QIODevice& device);
    void begin(const HtmlDocument& document, const QStringList& headings);
    void beginList(const QString& heading, const QStringList& columns);
    void writeRow(const QStringList& row);
    void endList();
    // Closes the page; false when any write to the device failed.
    bool finish();

private:
    void flushIfFull();
    void flush();

    QIODevice& m_device;
    QString m_text;
    qsizetype m_lists = 0;
    qsizetype m_columns = 0;
    bool m_ok = true;
};

} // namespace io

#pragma once

// Reading and writing of comma-separated text (CSV and tab-separated files
// as spreadsheets save them): UTF-8, fields in double quotes where they hold
// separators, quotes or line breaks.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QIODevice;

namespace io {

// The text of a file read as UTF-8. A leading byte-order mark is dropped.
// error is set, and text empty, when the bytes are no valid UTF-8.
struct TextResult {
    QString text;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
TextResult decodeUtf8(const QByteArray& bytes);

// One record of the file: its fields as written (quotes removed, "" made
// one quote, line breaks inside quotes kept as "\n") and the number, from 1,
// of the file line the record starts on.
struct CsvRow {
    int line = 0;
    QStringList fields;
};

struct CsvResult {
    QList<CsvRow> rows;   // blank records (every field blank) left out
    QChar separator;      // the separator the records were split on
    QString error;        // set when the file could not be read; rows empty then
    bool ok() const { return error.isEmpty(); }
};

// The separator of a file: whichever of semicolon, tab and comma occurs most
// outside quotes in its first record (the header line). On a tie the first in
// that order wins; a line with none of them gives a comma.
QChar detectSeparator(QStringView text);

// Splits text into records. Lines end in CR LF, LF or CR. A field that
// begins with a double quote runs to the matching quote; a quote anywhere
// else is an ordinary character. A quote left open at the end of the text is
// a refusal, since it would swallow the rest of the file into one field.
CsvResult parseCsv(QStringView text, QChar separator);

// decodeUtf8, then parseCsv with the detected separator. Runs in time linear
// in the size of the file.
CsvResult readCsv(const QByteArray& bytes);

// A field read back as it was before csvField guarded it: one leading
// apostrophe is taken away when the apostrophes lead to =, +, -, @, tab or
// CR. Every reader of a file this program (or a spreadsheet) wrote uses it,
// so "+60" written comes back "+60" and "'+60" comes back "'+60".
QString unguardedField(const QString& value);

// One field as written to a CSV file: a value starting with =, +, -, @, tab
// or CR (after any apostrophes of its own) is given a leading apostrophe so
// that a spreadsheet shows it as text and never runs it as a formula; a
// field holding the separator, a double quote, CR or LF is put in double
// quotes with its quotes doubled.
QString csvField(const QString& value, QChar separator = QLatin1Char(','));

// A CSV file for spreadsheets: UTF-8 with a byte-order mark (so that
// spreadsheets take the encoding right), fields apart by separator, the
// header row first, CR LF after every row.
QByteArray writeCsv(const QStringList& header, const QList<QStringList>& rows,
                    QChar separator = QLatin1Char(','));

// writeCsv row by row onto a device: the byte-order mark first, then each
// row as it comes, in the same bytes writeCsv gives. A long list is thus
// never held whole as text; the text goes out in pieces of some 64 KiB.
class CsvWriter {
public:
    CsvWriter(QIODevice& device, QChar separator);
    void writeRow(const QStringList& row);
    // Writes what is left; false when any write to the device failed.
    bool finish();

private:
    void flush();

    QIODevice& m_device;
    QChar m_separator;
    QString m_text;
    bool m_ok = true;
};

// The separators a written CSV file may use. Spreadsheets set to a locale
// whose decimal mark is a comma (Croatian among them) split a line on
// semicolons only, so the semicolon is the one written unless another is
// chosen; detectSeparator reads all three back.
enum class Separator { Comma, Semicolon, Tab };
inline constexpr Separator kDefaultSeparator = Separator::Semicolon;
QChar separatorChar(Separator separator);
// "comma", "semicolon" or "tab", as the command line and the settings name them.
QString separatorName(Separator separator);
std::optional<Separator> separatorNamed(QStringView name);

} // namespace io

#include "pdftext.h"

#include "print/qtprintsurface.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <climits>

namespace pdftext {

namespace {

int leadingBlanks(const QString& line)
{
    int n = 0;
    while (n < line.size() && line.at(n) == QLatin1Char(' '))
        ++n;
    return n;
}

} // namespace

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return QString::fromUtf8(process.readAllStandardOutput());
}

qreal characterPitch()
{
    QFont font(print::QtPrintSurface::resolveFamily(print::fontName()));
    font.setPointSize(print::fontPointSize);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    return QFontMetricsF(font, &printer).horizontalAdvance(QLatin1Char('0')) * 72 / printer.resolution();
}

QList<QStringList> pages(const QString& path)
{
    const QString text = run(QStringLiteral("pdftotext"),
                             {QStringLiteral("-layout"), QStringLiteral("-fixed"), QString::number(characterPitch()),
                              path, QStringLiteral("-")});
    QStringList pages = text.split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    QList<QStringList> out;
    for (const QString& page : pages)
        out.append(page.split(QLatin1Char('\n')));
    return out;
}

QStringList asRead(QStringList lines)
{
    for (QString& line : lines) {
        while (line.endsWith(QLatin1Char(' ')))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.first().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    int margin = INT_MAX;
    for (const QString& line : std::as_const(lines)) {
        if (!line.isEmpty())
            margin = std::min(margin, leadingBlanks(line));
    }
    for (QString& line : lines)
        line = line.mid(margin);
    return lines;
}

QStringList asRead(const print::Page& page)
{
    QStringList lines;
    for (const print::Line& line : page)
        lines.append(line.text);
    return asRead(lines);
}

bool available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

} // namespace pdftext

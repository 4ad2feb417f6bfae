#pragma once

// PDF files read back as text with pdftotext (poppler-utils), to compare
// what was painted with the laid-out pages.

#include "core/listlayout.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace pdftext {

// Runs a program to its end and gives its standard output; a failure is
// logged as a warning.
QString run(const QString& program, const QStringList& arguments);

// The advance of one character of the printout's font on the PDF printer, in points.
qreal characterPitch();

// The pages of a PDF file as text, one string per line, columns placed by
// the font's pitch.
QList<QStringList> pages(const QString& path);

// A page as it reads on paper: no blanks at line ends, no empty lines above
// the first text or below the last, and the left margin taken away.
QStringList asRead(QStringList lines);
QStringList asRead(const print::Page& page);

// Whether pdftotext can be run.
bool available();

} // namespace pdftext

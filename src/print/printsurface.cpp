#include "print/printsurface.h"

namespace print {

void printDocument(PrintSurface& surface, const Document& doc)
{
    surface.setOrientation(doc.orientation);
    surface.setFont(fontName(), fontPointSize);
    surface.setBold(false);
    bool first = true;
    for (const Page& page : doc.pages) {
        if (!first)
            surface.newPage();
        first = false;
        for (const Line& line : page) {
            if (line.bold)
                surface.setBold(true);
            surface.printLine(line.text);
            if (line.bold)
                surface.setBold(false);
        }
    }
    surface.endDocument();
}

} // namespace print

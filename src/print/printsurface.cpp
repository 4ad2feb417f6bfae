#include "print/printsurface.h"

namespace print {

bool PrintSurface::pageDone(int pagesDone)
{
    if (m_cancelled)
        return false;
    if (!m_progress || m_progress(pagesDone))
        return true;
    m_cancelled = true;
    abortJob();
    return false;
}

void printDocument(PrintSurface& surface, const Document& doc)
{
    surface.setOrientation(doc.orientation);
    surface.setFont(fontName(), fontPointSize);
    surface.setBold(false);
    bool first = true;
    for (const Page& page : doc.pages) {
        if (!first) {
            surface.newPage();
            if (surface.cancelled())
                return;
        }
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

#include "recordingsurface.h"

namespace print {

void RecordingSurface::call(Operation operation)
{
    if (m_endCount > 0)
        ++m_callsAfterEnd;
    for (const auto& [failing, description] : m_failures) {
        if (failing == operation)
            m_error = description;
    }
}

void RecordingSurface::failOn(Operation operation, const QString& description)
{
    m_failures.append({operation, description});
}

void RecordingSurface::setOrientation(print::Orientation orientation)
{
    call(Operation::Orientation);
    m_orientation = orientation;
    ++m_orientationChanges;
}

void RecordingSurface::setFont(const QString& family, int pointSize)
{
    call(Operation::Font);
    m_fontFamily = family;
    m_fontPointSize = pointSize;
}

void RecordingSurface::setBold(bool on)
{
    call(Operation::Bold);
    m_bold = on;
}

void RecordingSurface::printLine(const QString& text)
{
    call(Operation::Line);
    m_pages.last().append({text, m_bold});
}

int RecordingSurface::pageNumber() const
{
    return int(m_pages.size());
}

void RecordingSurface::newPage()
{
    call(Operation::NewPage);
    // The page so far is done.
    if (!pageDone(int(m_pages.size())))
        return;
    m_pages.append(Page{});
}

void RecordingSurface::endDocument()
{
    call(Operation::End);
    if (m_endCount == 0 && !pageDone(int(m_pages.size())))
        return;
    ++m_endCount;
}

} // namespace print

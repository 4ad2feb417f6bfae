#pragma once

#include <QCache>
#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace ui {

// Paints the cells of a report-style list as the style's own item delegate
// does, with the text laid out once and kept: a list of 100,000 rows
// repaints the rows in sight after every insert, and laying out each cell's
// text again (shaping it, measuring it, eliding it) was most of the cost of
// a finish entry. A cell with an icon, a check box, the focus, several
// lines or a font of its own is left to the style as it is.
class ListDelegate : public QStyledItemDelegate {
public:
    explicit ListDelegate(QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    // Whether the cell is plain text in the list's own font; also makes the
    // kept layouts those of that font.
    bool plain(const QStyleOptionViewItem& option) const;
    int textWidth(const QString& text) const;
    // The text laid out whole, and its width noted.
    const QStaticText& whole(const QString& text) const;
    const QStaticText& laidOut(const QString& text, int width, Qt::TextElideMode mode) const;

    mutable QFont m_font;
    mutable bool m_haveFont = false;
    mutable int m_margin = 0;       // the space left and right of a cell's text
    mutable int m_height = 0;       // a cell's height in the list's font
    mutable QHash<QString, int> m_widths;
    mutable QCache<QString, QStaticText> m_texts;
};

} // namespace ui

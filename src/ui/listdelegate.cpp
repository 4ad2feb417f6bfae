#include "ui/listdelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QWidget>
#include <cmath>

namespace ui {

namespace {

// Texts kept laid out: a few screens of a list's cells.
constexpr int keptTexts = 1500;
// Widths kept before the store starts anew.
constexpr int keptWidths = 50000;

QStyle* styleOf(const QStyleOptionViewItem& option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

} // namespace

ListDelegate::ListDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
    , m_texts(keptTexts)
{
}

bool ListDelegate::plain(const QStyleOptionViewItem& option) const
{
    if (option.features & (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration
                           | QStyleOptionViewItem::WrapText))
        return false;
    if (option.state & (QStyle::State_HasFocus | QStyle::State_Editing))
        return false;
    if (option.direction != Qt::LeftToRight || option.textElideMode == Qt::ElideNone)
        return false;
    if (option.text.contains(QLatin1Char('\n')) || option.text.contains(QChar::LineSeparator))
        return false;
    if (m_haveFont && option.font == m_font)
        return true;
    // Only the list's own font is kept; a cell's own font goes to the style.
    if (option.widget && option.font != option.widget->font())
        return false;
    m_font = option.font;
    m_haveFont = true;
    m_widths.clear();
    m_texts.clear();
    m_margin = styleOf(option)->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1;
    // A line of text is as high as the style makes a cell of one line (this
    // cell may be empty), and as wide as its text and the margins the style
    // leaves at either side.
    QStyleOptionViewItem line = option;
    line.text = QStringLiteral("0");
    line.features |= QStyleOptionViewItem::HasDisplay;
    m_height = styleOf(option)->sizeFromContents(QStyle::CT_ItemViewItem, &line, QSize(), option.widget).height();
    return true;
}

int ListDelegate::textWidth(const QString& text) const
{
    if (const auto it = m_widths.constFind(text); it != m_widths.cend())
        return *it;
    // Laid out once for both: the width measured is the one painted.
    return int(std::ceil(whole(text).size().width()));
}

const QStaticText& ListDelegate::whole(const QString& text) const
{
    if (const QStaticText* kept = m_texts.object(text))
        return *kept;
    auto* laid = new QStaticText(text);
    laid->setTextFormat(Qt::PlainText);
    laid->prepare(QTransform(), m_font);
    if (m_widths.size() >= keptWidths)
        m_widths.clear();
    m_widths.insert(text, int(std::ceil(laid->size().width())));
    m_texts.insert(text, laid);
    return *laid;
}

const QStaticText& ListDelegate::laidOut(const QString& text, int width, Qt::TextElideMode mode) const
{
    if (textWidth(text) <= width)
        return whole(text);
    const QString key = QString::number(width) + QChar(0x1f) + QString::number(int(mode)) + QChar(0x1f) + text;
    if (const QStaticText* kept = m_texts.object(key))
        return *kept;
    auto* laid = new QStaticText(QFontMetrics(m_font).elidedText(text, mode, width));
    laid->setTextFormat(Qt::PlainText);
    laid->prepare(QTransform(), m_font);
    m_texts.insert(key, laid);
    return *laid;
}

void ListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (!plain(opt)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    styleOf(opt)->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, opt.widget);
    if (opt.text.isEmpty())
        return;

    // The colours, margins and alignment of the style's own item text.
    QPalette::ColorGroup group = (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    if (group == QPalette::Normal && !(opt.state & QStyle::State_Active))
        group = QPalette::Inactive;
    const QRect textRect = opt.rect.adjusted(m_margin, 0, -m_margin, 0);
    const QStaticText& text = laidOut(opt.text, textRect.width(), opt.textElideMode);
    const QSizeF size = text.size();
    qreal x = textRect.left();
    if (opt.displayAlignment & Qt::AlignRight)
        x += textRect.width() - size.width();
    else if (opt.displayAlignment & Qt::AlignHCenter)
        x += (textRect.width() - size.width()) / 2;
    const QSize line(textRect.width(), int(size.height()));
    const int y = QStyle::alignedRect(opt.direction, opt.displayAlignment & Qt::AlignVertical_Mask, line, textRect).top();

    const QPen pen = painter->pen();
    const QFont font = painter->font();
    painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                  : QPalette::Text));
    painter->setFont(m_font);
    painter->drawStaticText(QPointF(x, y), text);
    painter->setFont(font);
    painter->setPen(pen);
}

QSize ListDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (opt.text.isEmpty() || !plain(opt))
        return QStyledItemDelegate::sizeHint(option, index);
    return QSize(textWidth(opt.text) + 2 * m_margin, m_height);
}

} // namespace ui

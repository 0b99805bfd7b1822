#include "gui/folders/NewNameDelegate.h"

#include <QApplication>
#include <QPainter>

#include <algorithm>

#include "gui/folders/FileListModel.h"

namespace brindle
{

std::pair<int, int> changedSpan(const QString& oldName, const QString& newName)
{
    const int shorter = static_cast<int>(std::min(oldName.size(), newName.size()));
    int front = 0;
    while (front < shorter && oldName[front] == newName[front])
        ++front;
    int back = 0;
    while (back < shorter - front && oldName[oldName.size() - 1 - back] == newName[newName.size() - 1 - back])
        ++back;
    // A boundary inside a surrogate pair moves out of it, taking the whole character in.
    if (front > 0 && front < newName.size() && newName[front].isLowSurrogate())
        --front;
    int end = static_cast<int>(newName.size()) - back;
    if (end > front && end < newName.size() && newName[end].isLowSurrogate())
        ++end;
    return {front, std::max(0, end - front)};
}

void NewNameDelegate::paint(
    QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem o(option);
    initStyleOption(&o, index);
    const bool renamed
        = index.data(FileListModel::VerdictRole).toInt() == static_cast<int>(EntryVerdict::Renamed);
    if (!renamed || o.text.isEmpty()) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    const QString text = o.text;
    const QString oldText = index.siblingAtColumn(colName).data(Qt::DisplayRole).toString();
    const auto [start, length] = changedSpan(oldText, text);

    // Everything but the text as the style draws it (background, selection, focus).
    QStyle* style = o.widget ? o.widget->style() : QApplication::style();
    o.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);
    const QRect rect = style->subElementRect(QStyle::SE_ItemViewItemText, &o, o.widget).adjusted(2, 0, -2, 0);

    const bool selected = o.state & QStyle::State_Selected;
    const QPalette::ColorGroup group
        = (o.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
    const QColor ink = o.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);
    QColor tint = o.palette.color(group, QPalette::Highlight);
    tint.setAlpha(selected ? 0 : 70);

    painter->save();
    painter->setClipRect(rect);
    QFont bold = o.font;
    bold.setBold(true);
    int x = rect.left();
    const auto drawPart = [&](const QString& part, const QFont& font, bool changed) {
        if (part.isEmpty())
            return;
        const QFontMetrics metrics(font);
        const int width = metrics.horizontalAdvance(part);
        const QRect box(x, rect.top(), width, rect.height());
        if (changed && tint.alpha() > 0)
            painter->fillRect(box.adjusted(0, 1, 0, -1), tint);
        painter->setFont(font);
        painter->setPen(ink);
        painter->drawText(box, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, part);
        x += width;
    };
    drawPart(text.left(start), o.font, false);
    drawPart(text.mid(start, length), bold, true);
    drawPart(text.mid(start + length), o.font, false);
    painter->restore();
}

} // namespace brindle

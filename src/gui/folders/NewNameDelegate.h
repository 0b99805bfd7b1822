#pragma once

#include <QStyledItemDelegate>

#include <utility>

namespace brindle
{

/// Where a new name differs from the old one: the start and the length, in UTF-16 units of
/// newName, of what lies between the longest common beginning and the longest common end of the
/// two (never cutting a surrogate pair). Length 0 when nothing was added in between (only
/// removed) or the names are equal.
std::pair<int, int> changedSpan(const QString& oldName, const QString& newName);

/// Draws the New name column with the part that changes in bold on a tint of the palette's
/// highlight colour, so that what the jobs do is seen at a glance; the rest as the view draws it.
class NewNameDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(
        QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace brindle

#include "songlist/CheckListBox.h"

#include <QPainter>
#include <QStyledItemDelegate>

namespace kazoon {

namespace {
struct Quiet {
    int &n;
    explicit Quiet(int &counter) : n(counter) { ++n; }
    ~Quiet() { --n; }
};
// Draws the line as usual, then its badge at the right, over the end of a long name.
class BadgeDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::paint(painter, option, index);
        const QString badge = index.data(CheckListBox::kBadgeRole).toString();
        if (badge.isEmpty())
            return;
        const QRect area = option.rect.adjusted(2, 0, -3, 0);
        const int width = option.fontMetrics.horizontalAdvance(badge) + 6;
        const QRect box(area.right() - width + 1, area.top(), width, area.height());
        const bool selected = option.state & QStyle::State_Selected;
        painter->save();
        painter->fillRect(box, option.palette.brush(selected ? QPalette::Highlight : QPalette::Base));
        painter->setPen(option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
        painter->drawText(box, Qt::AlignRight | Qt::AlignVCenter, badge);
        painter->restore();
    }
};
} // namespace

CheckListBox::CheckListBox(QWidget *parent) : QListWidget(parent)
{
    setItemDelegate(new BadgeDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::currentRowChanged, this, [this](int) {
        if (quiet_ == 0)
            emit clicked();
    });
    connect(this, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
        if (quiet_ == 0 && item == currentItem())
            emit clickCheck();
    });
}

void CheckListBox::addLine(const QString &text, bool checked)
{
    Quiet q(quiet_);
    auto *item = new QListWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    addItem(item);
}

void CheckListBox::clearLines()
{
    Quiet q(quiet_);
    clear();
}

bool CheckListBox::isChecked(int i) const
{
    const QListWidgetItem *it = item(i);
    return it && it->checkState() == Qt::Checked;
}

void CheckListBox::setChecked(int i, bool checked)
{
    Quiet q(quiet_);
    if (QListWidgetItem *it = item(i))
        it->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void CheckListBox::setItemIndex(int i)
{
    Quiet q(quiet_);
    setCurrentRow(i);
}

QString CheckListBox::lineText(int i) const
{
    const QListWidgetItem *it = item(i);
    return it ? it->text() : QString();
}

void CheckListBox::setBadge(int i, const QString &badge)
{
    Quiet q(quiet_);
    if (QListWidgetItem *it = item(i); it && it->data(kBadgeRole).toString() != badge)
    {
        const QVariant value = badge.isEmpty() ? QVariant() : QVariant(badge);
        it->setData(kBadgeRole, value);
        it->setData(Qt::AccessibleDescriptionRole, value); // read out after the name
    }
}

QString CheckListBox::badge(int i) const
{
    const QListWidgetItem *it = item(i);
    return it ? it->data(kBadgeRole).toString() : QString();
}

} // namespace kazoon

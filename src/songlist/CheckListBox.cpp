#include "songlist/CheckListBox.h"

namespace kazoon {

namespace {
struct Quiet {
    int &n;
    explicit Quiet(int &counter) : n(counter) { ++n; }
    ~Quiet() { --n; }
};
} // namespace

CheckListBox::CheckListBox(QWidget *parent) : QListWidget(parent)
{
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

} // namespace kazoon

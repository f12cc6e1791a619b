#include "SlotView.h"

#include "HostCore.h"
#include "MtlBase.h"
#include "SwatchCache.h"

#include <QHeaderView>
#include <QPixmap>
#include <QStyledItemDelegate>

#include <algorithm>

namespace Norvane
{
namespace
{

// The swatch above the slot's number and name, as large as the cell allows.
class SlotDelegate : public QStyledItemDelegate
{
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        option->decorationPosition = QStyleOptionViewItem::Top;
        const int text = 2 * option->fontMetrics.height() + 6;
        const int side = std::max(16, std::min(option->rect.width() - 8, option->rect.height() - text));
        option->decorationSize = QSize(side, side);
    }
};

} // namespace

SlotView::SlotView(QWidget* parent) :
    QTableWidget(MaterialEditor::SLOTS / COLUMNS, COLUMNS, parent)
{
    setObjectName(QStringLiteral("materialEditor"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setWordWrap(true);
    setItemDelegate(new SlotDelegate(this));
    refresh();
}

void SlotView::refresh()
{
    for (int slot = 0; slot < MaterialEditor::SLOTS; ++slot)
    {
        MtlBase* held = Host().Editor().Slot(slot);
        QString text = QString::number(slot + 1);
        if (held)
            text += QStringLiteral("\n") + held->GetName().ToQString();
        auto* item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignCenter);
        if (held)
        {
            WStr className;
            held->GetClassName(className);
            item->setToolTip(className.ToQString());
            item->setData(Qt::DecorationRole, QPixmap::fromImage(SwatchCache::Instance().Swatch(held, SWATCH_SIZE)));
        }
        setItem(slot / COLUMNS, slot % COLUMNS, item);
    }
}

} // namespace Norvane

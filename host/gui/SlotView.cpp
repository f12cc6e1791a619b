#include "SlotView.h"

#include "HostCore.h"
#include "MtlBase.h"

#include <QHeaderView>

namespace Norvane {

SlotView::SlotView(QWidget* parent)
    : QTableWidget(MaterialEditor::kSlots / kColumns, kColumns, parent)
{
    setObjectName(QStringLiteral("materialEditor"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setWordWrap(true);
    refresh();
}

void SlotView::refresh()
{
    for (int slot = 0; slot < MaterialEditor::kSlots; ++slot) {
        MtlBase* held = Host().Editor().Slot(slot);
        QString text = QString::number(slot + 1);
        if (held)
            text += QStringLiteral("\n") + held->GetName().ToQString();
        auto* item = new QTableWidgetItem(text);
        item->setTextAlignment(Qt::AlignCenter);
        if (held) {
            WStr className;
            held->GetClassName(className);
            item->setToolTip(className.ToQString());
        }
        setItem(slot / kColumns, slot % kColumns, item);
    }
}

} // namespace Norvane

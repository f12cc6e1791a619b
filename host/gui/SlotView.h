#pragma once
// The material editor's 24 slots, four rows of six, each naming what it holds.
#include <QTableWidget>

namespace Norvane {

class SlotView : public QTableWidget {
public:
    static constexpr int kColumns = 6;
    explicit SlotView(QWidget* parent = nullptr);
    void refresh();
};

} // namespace Norvane

#pragma once
// The material editor's 24 slots, four rows of six, each showing the swatch
// and the name of what it holds.
#include <QTableWidget>

namespace Norvane
{

class SlotView : public QTableWidget
{
  public:
    static constexpr int COLUMNS = 6;
    static constexpr int SWATCH_SIZE = 96;
    explicit SlotView(QWidget* parent = nullptr);
    void refresh();
};

} // namespace Norvane

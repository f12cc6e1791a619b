#pragma once
// The inspector: the swatch, parameters and map tree of one material or map,
// as `norvane import` prints them. Numbers, colours ("r, g, b[, a]"), texts and
// file names are edited in place, booleans by their check box; every edit is
// one undo step.
#include <QWidget>

#include <memory>
#include <set>

class MtlBase;
class QTreeWidgetItem;
namespace Ui
{
class MaterialInspector;
}

namespace Norvane
{

class MaterialInspector : public QWidget
{
  public:
    explicit MaterialInspector(QWidget* parent = nullptr);
    ~MaterialInspector() override;

    void setObject(MtlBase* m);
    MtlBase* object() const { return object_; }
    // Shows the object's current state (after an edit, undo or redo).
    void refresh();
    // The row of parameter `name` of `owner` (the inspected object when none).
    QTreeWidgetItem* findRow(const QString& name, MtlBase* owner = nullptr) const;

  private:
    void fill(QTreeWidgetItem* parent, MtlBase* owner, std::set<MtlBase*>& shown);
    void edited(QTreeWidgetItem* item, int column);
    void refreshLater();
    std::unique_ptr<Ui::MaterialInspector> ui_;
    MtlBase* object_ = nullptr;
    bool filling_ = false;
    bool editing_ = false;
    bool refreshPending_ = false;
};

} // namespace Norvane

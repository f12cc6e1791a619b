#pragma once
// The command panel: the utilities the plug-ins offer, and the rollup pages of
// the one that is open. Choosing a utility opens it (closing the previous one);
// "Close" closes it.
#include "PluginLoader.h"
#include "RollupPanel.h"

#include <QWidget>

#include <map>
#include <vector>

class QListWidget;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class UtilityObj;

namespace Norvane
{

class CommandPanel : public QWidget
{
  public:
    explicit CommandPanel(QWidget* parent = nullptr);
    ~CommandPanel() override;

    // The utility classes of the loaded modules, in load order.
    void setUtilities(const std::vector<PluginClassInfo>& utilities);
    int utilityCount() const { return static_cast<int>(utilities_.size()); }
    // The index of the utility with that class name, -1 when absent.
    int findUtility(const QString& className) const;
    // Opens utility `index`; false when it cannot be created.
    bool openUtility(int index);
    void closeUtility();
    bool isOpen() const { return open_ != nullptr; }
    // The class name of the open utility, empty when none is.
    QString openName() const;
    RollupPanel& rollups() { return rollups_; }

  private:
    void showPages();
    QListWidget* list_;
    QPushButton* close_;
    QScrollArea* scroll_;
    QWidget* pages_;
    QVBoxLayout* pagesLayout_;
    RollupPanel rollups_;
    std::vector<PluginClassInfo> utilities_;
    std::map<QWidget*, QWidget*> frames_; // page -> its titled frame
    UtilityObj* open_ = nullptr;
    int openIndex_ = -1;
};

} // namespace Norvane

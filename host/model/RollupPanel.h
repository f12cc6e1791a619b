#pragma once
// The utility panel's page list: what a utility added, in order. A window
// session shows the pages; a headless host only keeps them.
#include "UtilityObj.h"
#include <QString>
#include <functional>
#include <vector>

namespace Norvane
{

class RollupPanel : public IUtil
{
  public:
    struct Page
    {
        QWidget* widget;
        QString title;
        DWORD flags;
        int category;
    };
    int AddRollupPage(QWidget* page, const WStr& title, DWORD flags = 0, int category = ROLLUP_CAT_STANDARD) override;
    void DeleteRollupPage(QWidget* page) override;
    void CloseUtility() override;
    const std::vector<Page>& Pages() const { return pages_; }
    // Told when the page list changes (the window relays out).
    void OnChanged(std::function<void()> f) { changed_ = std::move(f); }
    // Told when the utility asks to be closed.
    void OnClose(std::function<void()> f) { close_ = std::move(f); }

  private:
    std::vector<Page> pages_;
    std::function<void()> changed_, close_;
};

} // namespace Norvane

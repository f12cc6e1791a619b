#include "RollupPanel.h"

#include <QCoreApplication>
#include <QWidget>
#include <algorithm>

namespace Norvane
{

int RollupPanel::AddRollupPage(QWidget* page, const WStr& title, DWORD flags, int category)
{
    if (!page)
        return -1;
    pages_.push_back({ page, title.ToQString(), flags, category });
    if (changed_)
        changed_();
    return static_cast<int>(pages_.size()) - 1;
}

void RollupPanel::DeleteRollupPage(QWidget* page)
{
    auto it = std::find_if(pages_.begin(), pages_.end(), [page](const Page& p) { return p.widget == page; });
    if (it == pages_.end())
        return;
    pages_.erase(it);
    // The panel owns a page once it was added. With an event loop it goes when
    // the loop next runs (the call may come from inside the page's own handler).
    if (QCoreApplication::instance())
        page->deleteLater();
    else
        delete page;
    if (changed_)
        changed_();
}

void RollupPanel::CloseUtility()
{
    if (close_)
        close_();
}

} // namespace Norvane

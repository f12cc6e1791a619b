#include "CommandPanel.h"

#include "ClassDesc.h"
#include "HostCore.h"
#include "UtilityObj.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace Norvane
{

CommandPanel::CommandPanel(QWidget* parent) :
    QWidget(parent)
{
    setObjectName(QStringLiteral("commandPanel"));
    auto* layout = new QVBoxLayout(this);
    // Tight, so the plug-in's page fits at the window's default size.
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(4);
    // The title and the Close button share a row, leaving the height to the pages.
    auto* header = new QHBoxLayout;
    header->addWidget(new QLabel(QStringLiteral("Utilities"), this), 1);
    close_ = new QPushButton(QStringLiteral("Close"), this);
    close_->setObjectName(QStringLiteral("closeUtility"));
    close_->setEnabled(false);
    header->addWidget(close_);
    layout->addLayout(header);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("utilityList"));
    list_->setMaximumHeight(110);
    layout->addWidget(list_);

    scroll_ = new QScrollArea(this);
    scroll_->setWidgetResizable(true);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pages_ = new QWidget(scroll_);
    pagesLayout_ = new QVBoxLayout(pages_);
    // The scroll area frames the pages already; its room goes to them.
    pagesLayout_->setContentsMargins(0, 0, 0, 0);
    pagesLayout_->addStretch(1);
    scroll_->setWidget(pages_);
    layout->addWidget(scroll_, 1);

    connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = list_->row(item);
        if (row != openIndex_)
            openUtility(row);
    });
    connect(close_, &QPushButton::clicked, this, [this] { closeUtility(); });
    rollups_.OnChanged([this] { showPages(); });
    rollups_.OnClose([this] { closeUtility(); });
}

CommandPanel::~CommandPanel()
{
    closeUtility();
}

void CommandPanel::setUtilities(const std::vector<PluginClassInfo>& utilities)
{
    closeUtility();
    utilities_ = utilities;
    list_->clear();
    for (const PluginClassInfo& utility : utilities_)
        list_->addItem(QString::fromStdWString(utility.name));
    // The list is as tall as its entries (up to five), so the pages below get the room.
    const int rows = std::clamp(list_->count(), 1, 5);
    list_->setMaximumHeight(rows * std::max(list_->sizeHintForRow(0), list_->fontMetrics().height() + 4) +
                            2 * list_->frameWidth() + 2);
}

int CommandPanel::findUtility(const QString& className) const
{
    for (size_t i = 0; i < utilities_.size(); ++i)
        if (QString::fromStdWString(utilities_[i].name) == className)
            return static_cast<int>(i);
    return -1;
}

bool CommandPanel::openUtility(int index)
{
    closeUtility();
    if (index < 0 || index >= utilityCount() || !utilities_[static_cast<size_t>(index)].desc)
        return false;
    auto* utility = static_cast<UtilityObj*>(utilities_[static_cast<size_t>(index)].desc->Create(false));
    if (!utility)
        return false;
    open_ = utility;
    openIndex_ = index;
    list_->setCurrentRow(index);
    close_->setEnabled(true);
    open_->BeginEditParams(&Host(), &rollups_);
    return true;
}

QString CommandPanel::openName() const
{
    return open_ ? QString::fromStdWString(utilities_[static_cast<size_t>(openIndex_)].name) : QString();
}

void CommandPanel::closeUtility()
{
    if (!open_)
        return;
    UtilityObj* utility = open_;
    open_ = nullptr;
    openIndex_ = -1;
    utility->EndEditParams(&Host(), &rollups_);
    utility->DeleteThis();
    close_->setEnabled(false);
    list_->clearSelection();
}

// Each page sits in a frame titled like the page; a page the utility took
// back leaves its frame, and the panel deletes it.
void CommandPanel::showPages()
{
    std::map<QWidget*, QWidget*> kept;
    for (const RollupPanel::Page& page : rollups_.Pages())
    {
        auto found = frames_.find(page.widget);
        if (found != frames_.end())
        {
            kept.insert(*found);
            frames_.erase(found);
            continue;
        }
        auto* frame = new QGroupBox(page.title, pages_);
        auto* frameLayout = new QVBoxLayout(frame);
        frameLayout->setContentsMargins(2, 2, 2, 2);
        frameLayout->addWidget(page.widget);
        pagesLayout_->insertWidget(pagesLayout_->count() - 1, frame);
        // Children made after the panel is shown stay hidden until told.
        frame->show();
        kept[page.widget] = frame;
    }
    // The page may be gone already; only the frame's own children are touched.
    for (auto& [page, frame] : frames_)
    {
        for (QWidget* child : frame->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        {
            if (child == page)
            {
                child->hide();
                child->setParent(nullptr);
            }
        }
        delete frame;
    }
    frames_ = std::move(kept);
    // Pages scroll up and down only, so the panel is as wide as the widest.
    scroll_->setMinimumWidth(pages_->minimumSizeHint().width() + scroll_->verticalScrollBar()->sizeHint().width() +
                             2 * scroll_->frameWidth());
}

} // namespace Norvane

#pragma once
// A utility panel of a fresh utility object, opened on the host model's
// rollup panel, with an empty scene and queued dialog answers.

#include "../import/ImportTestSupport.h"

#include "ui/Panel.h"

#include <HostCore.h>
#include <RollupPanel.h>

#include "ui_PluginRollup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace rozo::test
{
class PanelTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Norvane::Host().NewScene();
        Norvane::Host().GetMaterialLibrary().Empty();
        dialogs().ClearQueue();
        dialogs().ClearHistory();
        open();
    }

    void TearDown() override
    {
        close();
    }

    void open()
    {
        util.BeginEditParams(&Norvane::Host(), &rollups);
        util.panel().panelWidget()->show();
    }

    void close()
    {
        if (util.panel().panelWidget())
            util.EndEditParams(&Norvane::Host(), &rollups);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void reopen()
    {
        close();
        open();
    }

    Ui_PluginRollup& form() { return util.panel().form(); }

    /// The eight option boxes, in the order of the flags they stand for.
    std::vector<QCheckBox*> optionBoxes()
    {
        return { form().ResolvePaths, form().FixedIncludes, form().UseOSO, form().CopyTextures,
                 form().useRelativePaths, form().assignToSelection, form().makeMtlLib, form().populateMEdit };
    }
    std::vector<bool> shownOptions()
    {
        std::vector<bool> shown;
        for (QCheckBox* box : optionBoxes())
            shown.push_back(box->isChecked());
        return shown;
    }
    std::vector<bool> storedOptions() const
    {
        return { util.settings().resolveTexturePaths, util.settings().fixedIncludePath, util.settings().usePrecompiledOsl, util.settings().copyTextures,
                 util.settings().relativeTexturePaths, util.settings().assignMaterials, util.settings().addToLibrary, util.settings().populateEditor };
    }

    static Norvane::QueuedDialogProvider& dialogs() { return *Norvane::Host().QueuedDialogs(); }

    static std::vector<Norvane::QueuedDialogProvider::Shown> warnings() { return dialogs().Warnings(); }

    static void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    /// A scene node showing a new teapot, selected after the ones before it.
    static INode* selectedNode(const wchar_t* name)
    {
        auto* object = static_cast<Object*>(Norvane::Host().CreateInstance(GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID));
        INode* node = Norvane::Host().CreateObjectNode(object, name);
        Norvane::Host().SelectNode(node, 0);
        return node;
    }

    StagedUtil util;
    Norvane::RollupPanel rollups;
    QTemporaryDir dir;
};
} // namespace rozo::test

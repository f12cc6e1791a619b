#pragma once
// A utility panel opened on the host model's rollup panel, with an empty
// scene, queued dialog answers and the options at their initial values.

#include "../import/ImportTestSupport.h"

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
        resetOptions();
        Norvane::Host().NewScene();
        Norvane::Host().GetMaterialLibrary().Empty();
        dialogs().ClearQueue();
        dialogs().ClearHistory();
        open();
    }

    void TearDown() override
    {
        close();
        resetOptions();
    }

    void open()
    {
        util.BeginEditParams(&Norvane::Host(), &rollups);
        util.panelWidget->show();
    }

    void close()
    {
        if (util.panelWidget)
            util.EndEditParams(&Norvane::Host(), &rollups);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void reopen()
    {
        close();
        open();
    }

    void resetOptions()
    {
        util.usePrecompiledOsl = true;
        util.resolveTexturePaths = true;
        util.fixedIncludePath = true;
        util.copyTextures = false;
        util.relativeTexturePaths = true;
        util.assignMaterials = true;
        util.addToLibrary = false;
        util.populateEditor = true;
        util.libraryPath = WStr();
        util.exportVersion = DocumentVersionChoice::Oldest;
    }

    Ui_PluginRollup& form() { return *util.form; }

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
        return { util.resolveTexturePaths, util.fixedIncludePath, util.usePrecompiledOsl, util.copyTextures,
                 util.relativeTexturePaths, util.assignMaterials, util.addToLibrary, util.populateEditor };
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

    MtlXIOUtil& util = stagedUtil();
    Norvane::RollupPanel rollups;
    QTemporaryDir dir;
};
} // namespace rozo::test

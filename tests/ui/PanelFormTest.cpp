// What the panel's controls do: each option box drives its own settings
// field, the version box's choice reaches an export, the buttons start their
// handlers, the library field follows its box, and the logo resource.

#include "PanelTestSupport.h"

#include <QComboBox>
#include <QImage>

namespace rozo::test
{
namespace
{
struct OptionControl
{
    QCheckBox* Ui_PluginRollup::*box;
    bool PluginSettings::*field;
};

const OptionControl OPTION_CONTROLS[] = {
    { &Ui_PluginRollup::ResolvePaths, &PluginSettings::resolveTexturePaths },
    { &Ui_PluginRollup::FixedIncludes, &PluginSettings::fixedIncludePath },
    { &Ui_PluginRollup::UseOSO, &PluginSettings::usePrecompiledOsl },
    { &Ui_PluginRollup::CopyTextures, &PluginSettings::copyTextures },
    { &Ui_PluginRollup::useRelativePaths, &PluginSettings::relativeTexturePaths },
    { &Ui_PluginRollup::assignToSelection, &PluginSettings::assignMaterials },
    { &Ui_PluginRollup::makeMtlLib, &PluginSettings::addToLibrary },
    { &Ui_PluginRollup::populateMEdit, &PluginSettings::populateEditor },
};
} // namespace

class PanelForm : public PanelTest
{
  protected:
    std::vector<bool> flags() const
    {
        std::vector<bool> values;
        for (const OptionControl& control : OPTION_CONTROLS)
            values.push_back(util.settings().*control.field);
        return values;
    }

    void chooseVersion(int index)
    {
        form().mtlxVersion->setCurrentIndex(index);
        emit form().mtlxVersion->activated(index);
    }

    /// The version an empty script export writes, which follows the options.
    std::string exportedVersion()
    {
        const QString path = dir.path() + "/versioned.mtlx";
        EXPECT_TRUE(util.exportFile(WStr::FromQString(path), Tab<Mtl*>())) << util.lastLog().text();
        QFile file(path);
        const std::string text = file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
        const std::string start = "<materialx version=\"";
        const size_t at = text.find(start);
        return at == std::string::npos ? std::string() : text.substr(at + start.size(), 4);
    }
};

TEST_F(PanelForm, EachOptionBoxFlipsOnlyItsOwnSettingsField)
{
    for (size_t i = 0; i < std::size(OPTION_CONTROLS); ++i)
    {
        QCheckBox* box = form().*OPTION_CONTROLS[i].box;
        SCOPED_TRACE(box->objectName().toStdString());
        EXPECT_EQ(box->isChecked(), util.settings().*OPTION_CONTROLS[i].field);
        std::vector<bool> expected = flags();
        expected[i] = !expected[i];
        click(box);
        EXPECT_EQ(flags(), expected);
    }
}

TEST_F(PanelForm, VersionChoiceReachesTheExport)
{
    const std::pair<DocumentVersionChoice, const char*> entries[] = {
        { DocumentVersionChoice::Oldest, "1.38" },
        { DocumentVersionChoice::V1_38, "1.38" },
        { DocumentVersionChoice::V1_39, "1.39" },
    };
    ASSERT_EQ(form().mtlxVersion->count(), 3);
    for (int index : { 2, 1, 0 })
    {
        SCOPED_TRACE(index);
        chooseVersion(index);
        EXPECT_EQ(util.settings().exportVersion, entries[index].first);
        EXPECT_EQ(exportedVersion(), entries[index].second);
    }
}

TEST_F(PanelForm, ButtonsStartTheirHandlers)
{
    dialogs().QueueCancel();
    click(form().importButton);
    selectedNode(L"Box");
    dialogs().QueueCancel();
    click(form().exportButton);
    ASSERT_EQ(dialogs().History().size(), 2u);
    EXPECT_EQ(dialogs().History()[0].kind, "open");
    EXPECT_EQ(dialogs().History()[1].kind, "save");
    // The viewer's button only shows where the viewer is installed.
    EXPECT_TRUE(form().mtlxView->isHidden());
}

TEST_F(PanelForm, LibraryFieldFollowsTheLibraryBox)
{
    EXPECT_FALSE(form().mtlLib->isEnabled());
    EXPECT_FALSE(form().mtlLibBrowse->isEnabled());
    click(form().makeMtlLib);
    EXPECT_TRUE(form().mtlLib->isEnabled());
    EXPECT_TRUE(form().mtlLibBrowse->isEnabled());
    click(form().makeMtlLib);
    EXPECT_FALSE(form().mtlLib->isEnabled());
    EXPECT_FALSE(form().mtlLibBrowse->isEnabled());
}

TEST(PanelLogo, IsAWideTransparentPicture)
{
    ensureApplication();
    const QImage logo(QStringLiteral(":/mtlX/Logo.png"));
    ASSERT_FALSE(logo.isNull());
    EXPECT_EQ(logo.size(), QSize(2048, 1580));
    EXPECT_TRUE(logo.hasAlphaChannel());
    EXPECT_EQ(qAlpha(logo.pixel(0, 0)), 0);
    EXPECT_GT(qAlpha(logo.pixel(1024, 790)), 0);
}
} // namespace rozo::test

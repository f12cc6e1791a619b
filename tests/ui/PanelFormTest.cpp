// The generated panel form: widget tree, layout cells, texts, tooltips,
// initial states, stacking order and the library field's enabling.

#include "../plugin/TestApplication.h"

#include "ui_PluginRollup.h"

#include <QImage>

#include <gtest/gtest.h>

#include <memory>

namespace rozo::test
{
namespace
{
struct Cell
{
    const char* name;
    const char* className;
    const char* parent;
    const char* layout;
    int row, column, rowSpan, columnSpan;
};

const Cell CELLS[] = {
    { "groupBox", "QGroupBox", "PluginRollup", "gridLayout_5", 0, 0, 1, 1 },
    { "importButton", "QPushButton", "groupBox", "gridLayout", 0, 0, 1, 2 },
    { "makeMtlLib", "QCheckBox", "groupBox", "gridLayout", 5, 0, 1, 2 },
    { "mtlLib", "QLineEdit", "groupBox", "gridLayout", 6, 0, 1, 1 },
    { "mtlLibBrowse", "QToolButton", "groupBox", "gridLayout", 6, 1, 1, 1 },
    { "assignToSelection", "QCheckBox", "groupBox", "gridLayout", 7, 0, 1, 2 },
    { "populateMEdit", "QCheckBox", "groupBox", "gridLayout", 8, 0, 1, 2 },
    { "groupBox_4", "QGroupBox", "groupBox", "gridLayout", 9, 0, 1, 2 },
    { "ResolvePaths", "QCheckBox", "groupBox_4", "gridLayout_4", 0, 0, 1, 1 },
    { "FixedIncludes", "QCheckBox", "groupBox_4", "gridLayout_4", 1, 0, 1, 1 },
    { "UseOSO", "QCheckBox", "groupBox_4", "gridLayout_4", 4, 0, 1, 1 },
    { "groupBox_2", "QGroupBox", "PluginRollup", "gridLayout_5", 1, 0, 1, 1 },
    { "exportButton", "QPushButton", "groupBox_2", "gridLayout_2", 0, 0, 1, 1 },
    { "CopyTextures", "QCheckBox", "groupBox_2", "gridLayout_2", 1, 0, 1, 1 },
    { "useRelativePaths", "QCheckBox", "groupBox_2", "gridLayout_2", 2, 0, 1, 1 },
    { "mtlxView", "QPushButton", "PluginRollup", "gridLayout_5", 2, 0, 1, 1 },
    { "progressBar", "QProgressBar", "PluginRollup", "gridLayout_5", 3, 0, 1, 1 },
    { "rambling", "QLabel", "PluginRollup", "gridLayout_5", 5, 0, 1, 1 },
    { "logo", "QLabel", "PluginRollup", "gridLayout_5", 6, 0, 1, 1 },
};

struct Text
{
    const char* name;
    const char* text;
    const char* toolTip;
};

const Text TEXTS[] = {
    { "CopyTextures", "Copy Textures to Save Location",
      "Copies all textures to the same folder as the exported document and removes any path from the filenames." },
    { "exportButton", "Export MaterialX...", "Exports materials on selected objects to MaterialX." },
    { "useRelativePaths", "Use relative Path for Textures", "" },
    { "logo", "TextLabel", "" },
    { "makeMtlLib", "Add to Material Library", "Adds imported materials to the selected material library." },
    { "populateMEdit", "Populate Material Editor", "Imports materials to the material editor." },
    { "assignToSelection", "Assign to Selection",
      "Assigns materials to selected objects.  If not enough objects are selected, placeholder teapot objects are created." },
    { "mtlLibBrowse", "...", "Pick a material library to populate." },
    { "mtlLib", "", "Pick a material library to populate." },
    { "importButton", "Import MaterialX...",
      "Click the button and pick a MaterialX document to import the materials. Materials can be assigned to the "
      "selected objects, added to a material library, or populate the compact material editor." },
    { "FixedIncludes", "Set Fixed Include Path",
      "Check this option if you have shader compile issues.  Also ensure you have the latest version of Plinthra, "
      "and try copying the mx_funcs.h file to the Norvane OSL directory." },
    { "UseOSO", "Use precompiled OSL",
      "Use pre-compiled OSL.  May solve compilation issues.  Note: this option is experimental." },
    { "ResolvePaths", "Resolve Texture Paths upfront",
      "Resolves texture paths to full paths, saving this path information in the Norvane scene on MaterialX import." },
    { "mtlxView", "Launch MaterialXView", "Launch the MaterialX viewer" },
    { "rambling",
      "The only things that will export properly are maps from the \"MaterialX\" category, the Physical Material, "
      "the Bitmap and the Normal Map ONLY.",
      "" },
};

QString textOf(QWidget* widget)
{
    for (const char* property : { "text", "title" })
    {
        const QVariant value = widget->property(property);
        if (value.isValid())
            return value.toString();
    }
    return QString();
}
} // namespace

class PanelForm : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ensureApplication();
        top = std::make_unique<QWidget>();
        form.setupUi(top.get());
    }

    template <typename T> T* find(const char* name) const
    {
        if (QString::fromLatin1(name) == top->objectName())
            return qobject_cast<T*>(top.get());
        return top->findChild<T*>(QString::fromLatin1(name));
    }

    std::unique_ptr<QWidget> top;
    Ui_PluginRollup form{};
};

TEST_F(PanelForm, EveryWidgetSitsInItsParentsCell)
{
    for (const Cell& cell : CELLS)
    {
        SCOPED_TRACE(cell.name);
        QWidget* widget = find<QWidget>(cell.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), cell.className);
        ASSERT_NE(widget->parentWidget(), nullptr);
        EXPECT_EQ(widget->parentWidget()->objectName().toStdString(), cell.parent);
        auto* layout = find<QGridLayout>(cell.layout);
        ASSERT_NE(layout, nullptr);
        EXPECT_EQ(widget->parentWidget()->layout(), layout);
        const int index = layout->indexOf(widget);
        ASSERT_GE(index, 0);
        int row = -1, column = -1, rowSpan = -1, columnSpan = -1;
        layout->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
        EXPECT_EQ(row, cell.row);
        EXPECT_EQ(column, cell.column);
        EXPECT_EQ(rowSpan, cell.rowSpan);
        EXPECT_EQ(columnSpan, cell.columnSpan);
    }
    EXPECT_EQ(top->layout(), form.gridLayout_5);
    EXPECT_EQ(form.gridLayout_5->count(), 6);
    EXPECT_EQ(form.gridLayout->count(), 7);
    EXPECT_EQ(form.gridLayout_4->count(), 3);
    EXPECT_EQ(form.gridLayout_2->count(), 4);
}

TEST_F(PanelForm, TextsAndToolTips)
{
    EXPECT_EQ(top->windowTitle(), "Form");
    EXPECT_EQ(form.groupBox->title(), "Import");
    EXPECT_EQ(form.groupBox_2->title(), "Export");
    EXPECT_EQ(form.groupBox_4->title(), "Import Settings");
    for (const Text& text : TEXTS)
    {
        SCOPED_TRACE(text.name);
        QWidget* widget = find<QWidget>(text.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(textOf(widget).toStdString(), text.text);
        EXPECT_EQ(widget->toolTip().toStdString(), text.toolTip);
    }
}

TEST_F(PanelForm, InitialStates)
{
    EXPECT_EQ(top->objectName(), "PluginRollup");
    EXPECT_EQ(top->size(), QSize(229, 624));
    EXPECT_FALSE(form.makeMtlLib->isChecked());
    EXPECT_TRUE(form.assignToSelection->isChecked());
    EXPECT_TRUE(form.populateMEdit->isChecked());
    EXPECT_FALSE(form.ResolvePaths->isChecked());
    EXPECT_FALSE(form.FixedIncludes->isChecked());
    EXPECT_FALSE(form.UseOSO->isChecked());
    EXPECT_FALSE(form.CopyTextures->isChecked());
    EXPECT_TRUE(form.useRelativePaths->isChecked());
    EXPECT_FALSE(form.mtlLib->isEnabled());
    EXPECT_FALSE(form.mtlLibBrowse->isEnabled());
    EXPECT_EQ(form.progressBar->value(), 24);
    EXPECT_EQ(form.progressBar->alignment(), Qt::AlignCenter);

    EXPECT_EQ(form.rambling->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
    EXPECT_EQ(form.rambling->sizePolicy().verticalPolicy(), QSizePolicy::Preferred);
    EXPECT_EQ(form.rambling->font().pointSize(), 7);
    EXPECT_FALSE(form.rambling->font().italic());
    EXPECT_EQ(form.rambling->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(form.rambling->wordWrap());
    EXPECT_EQ(form.rambling->margin(), 11);

    EXPECT_EQ(form.logo->sizePolicy().horizontalPolicy(), QSizePolicy::Expanding);
    EXPECT_EQ(form.logo->sizePolicy().verticalPolicy(), QSizePolicy::Expanding);
    EXPECT_EQ(form.logo->sizePolicy().horizontalStretch(), 0);
    EXPECT_EQ(form.logo->minimumSize(), QSize(150, 100));
}

TEST_F(PanelForm, RaisedLastIsOnTop)
{
    QStringList order;
    for (QObject* child : top->children())
        if (child->isWidgetType())
            order << child->objectName();
    EXPECT_EQ(order, QStringList({ "groupBox_2", "groupBox", "logo", "rambling", "progressBar", "mtlxView" }));
}

TEST_F(PanelForm, LibraryFieldFollowsTheLibraryBox)
{
    form.makeMtlLib->setChecked(false); // no change, so no toggle
    EXPECT_FALSE(form.mtlLib->isEnabled());
    EXPECT_FALSE(form.mtlLibBrowse->isEnabled());
    form.makeMtlLib->setChecked(true);
    EXPECT_TRUE(form.mtlLib->isEnabled());
    EXPECT_TRUE(form.mtlLibBrowse->isEnabled());
    form.makeMtlLib->setChecked(false);
    EXPECT_FALSE(form.mtlLib->isEnabled());
    EXPECT_FALSE(form.mtlLibBrowse->isEnabled());
}

TEST_F(PanelForm, NamedTopWidgetKeepsItsName)
{
    QWidget named;
    named.setObjectName("Mine");
    Ui_PluginRollup other{};
    other.setupUi(&named);
    EXPECT_EQ(named.objectName(), "Mine");
    EXPECT_EQ(other.importButton->parentWidget(), other.groupBox);
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

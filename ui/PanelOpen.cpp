// Opening and closing the utility panel, and the handlers that only touch the
// panel's own widgets: options, the library file chooser and the viewer.

#include "plugin/MtlXIOUtil.h"

#include "plugin/HostCalls.h"
#include "ui_PluginRollup.h"

#include <QFileDialog>
#include <QPixmap>
#include <QProcess>
#include <QStringList>
#include <QWidget>

#include <algorithm>
#include <array>

namespace
{
const wchar_t* const PANEL_TITLE = L"MaterialX Import/Export";
const char* const VIEWER_FOLDER = "MaterialXView";
const char* const VIEWER_PROGRAM = "MaterialXView.exe";

int scaled(double size)
{
    return static_cast<int>(size * GetUIScaleFactor(-1));
}

bool isChecked(const QCheckBox* box)
{
    return box->checkState() != Qt::Unchecked;
}

// The version box's entries, in the form's order.
constexpr std::array<rozo::DocumentVersionChoice, 3> VERSION_CHOICES = {
    rozo::DocumentVersionChoice::Oldest, rozo::DocumentVersionChoice::V1_38, rozo::DocumentVersionChoice::V1_39
};

int versionIndex(rozo::DocumentVersionChoice choice)
{
    const auto found = std::find(VERSION_CHOICES.begin(), VERSION_CHOICES.end(), choice);
    return static_cast<int>(found - VERSION_CHOICES.begin());
}
} // namespace

rozo::PanelOperations::PanelOperations() :
    form(std::make_unique<Ui_PluginRollup>()) {}

rozo::PanelOperations::~PanelOperations() = default;

void MtlXIOUtil::BeginEditParams(Interface* ip, IUtil* iu)
{
    utilityHost = iu;
    panelWidget = new QWidget(nullptr);
    form->setupUi(panelWidget);

    // Before any handler is connected, so restoring the options stores nothing;
    // the form's own connections still enable the library field.
    form->ResolvePaths->setChecked(resolveTexturePaths);
    form->FixedIncludes->setChecked(fixedIncludePath);
    form->CopyTextures->setChecked(copyTextures);
    form->useRelativePaths->setChecked(relativeTexturePaths);
    form->assignToSelection->setChecked(assignMaterials);
    form->makeMtlLib->setChecked(addToLibrary);
    form->populateMEdit->setChecked(populateEditor);
    form->mtlLib->setText(libraryPath.ToQString());
    form->UseOSO->setChecked(usePrecompiledOsl);
    form->mtlxVersion->setCurrentIndex(versionIndex(exportVersion));

    form->rambling->setMaximumWidth(scaled(170.0));
    // Panels in a scroll area are laid out by their size hints, which do not
    // follow a wrapped text's height: the note would lose its last lines.
    form->rambling->setMinimumHeight(form->rambling->heightForWidth(scaled(170.0)));
    form->logo->setMinimumWidth(scaled(170.0));
    form->logo->setMinimumHeight(scaled(100.0));

    const QPixmap logo(QStringLiteral(":/mtlX/Logo.png"));
    form->logo->setPixmap(logo.scaled(form->logo->width(), form->logo->height(), Qt::KeepAspectRatio,
                                      Qt::SmoothTransformation));
    form->logo->setMargin(scaled(6.0));
    form->logo->setAlignment(Qt::AlignCenter);

    connect(form->importButton, &QPushButton::clicked, this, [this] { onImport(); });
    connect(form->exportButton, &QPushButton::clicked, this, [this] { onExport(); });
    connect(form->mtlLibBrowse, &QToolButton::clicked, this, [this] { onBrowseLibrary(); });
    connect(form->mtlxView, &QPushButton::clicked, this, [this] { onLaunchViewer(); });
    for (QCheckBox* box : { form->ResolvePaths, form->FixedIncludes, form->UseOSO, form->CopyTextures,
                            form->useRelativePaths, form->populateMEdit, form->assignToSelection, form->makeMtlLib })
        connect(box, &QCheckBox::clicked, this, [this] { onOptionChanged(); });
    connect(form->mtlLib, &QLineEdit::textChanged, this, [this] { onOptionChanged(); });
    connect(form->mtlxVersion, QOverload<int>::of(&QComboBox::activated), this, [this] { onOptionChanged(); });

    form->progressBar->hide();

    if (utilityHost)
        utilityHost->AddRollupPage(panelWidget, WStr(PANEL_TITLE), 0, ROLLUP_CAT_STANDARD);

    if (!viewerProgram().exists())
        form->mtlxView->hide();
}

// The host deletes the page's widget; the options stay for the next opening.
void MtlXIOUtil::EndEditParams(Interface* ip, IUtil* iu)
{
    IUtil* host = utilityHost ? utilityHost : iu;
    utilityHost = nullptr;
    if (host && panelWidget)
        host->DeleteRollupPage(panelWidget);
    panelWidget = nullptr;
    *form = Ui_PluginRollup{};
}

void rozo::PanelOperations::onOptionChanged()
{
    resolveTexturePaths = isChecked(form->ResolvePaths);
    fixedIncludePath = isChecked(form->FixedIncludes);
    usePrecompiledOsl = isChecked(form->UseOSO);
    copyTextures = isChecked(form->CopyTextures);
    relativeTexturePaths = isChecked(form->useRelativePaths);
    assignMaterials = isChecked(form->assignToSelection);
    addToLibrary = isChecked(form->makeMtlLib);
    populateEditor = isChecked(form->populateMEdit);
    libraryPath = WStr::FromQString(form->mtlLib->text());
    exportVersion = VERSION_CHOICES[static_cast<size_t>(std::clamp(form->mtlxVersion->currentIndex(), 0, 2))];
}

void rozo::PanelOperations::onBrowseLibrary()
{
    QFileDialog dialog(panelWidget, QString(), QString(), QString());
    dialog.setWindowTitle(QStringLiteral("Select Material Library to Save"));
    dialog.setFileMode(QFileDialog::AnyFile);
    // The text-changed connection stores the new path in the options.
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        form->mtlLib->setText(dialog.selectedFiles().first());
}

mx::FilePath rozo::PanelOperations::viewerProgram() const
{
    return installRoot / VIEWER_FOLDER / VIEWER_PROGRAM;
}

// The viewer runs on its own, from its folder, with no document: the panel
// has nothing to hand it.
void rozo::PanelOperations::onLaunchViewer()
{
    const mx::FilePath program = viewerProgram();
    const mx::FilePath folder = installRoot / VIEWER_FOLDER;
    if (!program.exists())
        return;
    QProcess::startDetached(QString::fromStdString(program.asString()), QStringList(),
                            QString::fromStdString(folder.asString()));
}

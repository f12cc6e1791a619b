// Opening and closing the utility panel, and the handlers that only touch the
// panel's own widgets: options, the library file chooser and the viewer.

#include "ui/Panel.h"

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

namespace rozo
{
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
constexpr std::array<DocumentVersionChoice, 3> VERSION_CHOICES = {
    DocumentVersionChoice::Oldest, DocumentVersionChoice::V1_38, DocumentVersionChoice::V1_39
};

int versionIndex(DocumentVersionChoice choice)
{
    const auto found = std::find(VERSION_CHOICES.begin(), VERSION_CHOICES.end(), choice);
    return static_cast<int>(found - VERSION_CHOICES.begin());
}

// Before any handler is connected, so restoring the options stores nothing;
// the form's own connections still enable the library field.
void showSettings(Ui_PluginRollup& form, const PluginSettings& settings)
{
    form.ResolvePaths->setChecked(settings.resolveTexturePaths);
    form.FixedIncludes->setChecked(settings.fixedIncludePath);
    form.CopyTextures->setChecked(settings.copyTextures);
    form.useRelativePaths->setChecked(settings.relativeTexturePaths);
    form.assignToSelection->setChecked(settings.assignMaterials);
    form.makeMtlLib->setChecked(settings.addToLibrary);
    form.populateMEdit->setChecked(settings.populateEditor);
    form.mtlLib->setText(settings.libraryPath.ToQString());
    form.UseOSO->setChecked(settings.usePrecompiledOsl);
    form.mtlxVersion->setCurrentIndex(versionIndex(settings.exportVersion));
}

void sizeNoteAndLogo(Ui_PluginRollup& form)
{
    form.rambling->setMaximumWidth(scaled(170.0));
    // Panels in a scroll area are laid out by their size hints, which do not
    // follow a wrapped text's height: the note would lose its last lines.
    form.rambling->setMinimumHeight(form.rambling->heightForWidth(scaled(170.0)));
    form.logo->setMinimumWidth(scaled(170.0));
    form.logo->setMinimumHeight(scaled(100.0));

    const QPixmap logo(QStringLiteral(":/mtlX/Logo.png"));
    form.logo->setPixmap(logo.scaled(form.logo->width(), form.logo->height(), Qt::KeepAspectRatio,
                                     Qt::SmoothTransformation));
    form.logo->setMargin(scaled(6.0));
    form.logo->setAlignment(Qt::AlignCenter);
}
} // namespace

Panel::Panel(MtlXIOUtil& util) :
    util_(util),
    form_(std::make_unique<Ui_PluginRollup>())
{
}

// The panel widget belongs to the host's panel; it is not touched here.
Panel::~Panel() = default;

void Panel::open(IUtil* host)
{
    utilityHost_ = host;
    panelWidget_ = new QWidget(nullptr);
    form_->setupUi(panelWidget_);
    showSettings(*form_, util_.settings());
    sizeNoteAndLogo(*form_);

    connect(form_->importButton, &QPushButton::clicked, this, [this] { onImport(); });
    connect(form_->exportButton, &QPushButton::clicked, this, [this] { onExport(); });
    connect(form_->mtlLibBrowse, &QToolButton::clicked, this, [this] { onBrowseLibrary(); });
    connect(form_->mtlxView, &QPushButton::clicked, this, [this] { onLaunchViewer(); });
    for (QCheckBox* box : { form_->ResolvePaths, form_->FixedIncludes, form_->UseOSO, form_->CopyTextures,
                            form_->useRelativePaths, form_->populateMEdit, form_->assignToSelection, form_->makeMtlLib })
        connect(box, &QCheckBox::clicked, this, [this] { onOptionChanged(); });
    connect(form_->mtlLib, &QLineEdit::textChanged, this, [this] { onOptionChanged(); });
    connect(form_->mtlxVersion, QOverload<int>::of(&QComboBox::activated), this, [this] { onOptionChanged(); });

    form_->progressBar->hide();

    if (utilityHost_)
        utilityHost_->AddRollupPage(panelWidget_, WStr(PANEL_TITLE), 0, ROLLUP_CAT_STANDARD);

    if (!viewerProgram().exists())
        form_->mtlxView->hide();
}

// The host deletes the page's widget; the options stay for the next opening.
void Panel::close(IUtil* host)
{
    IUtil* owner = utilityHost_ ? utilityHost_ : host;
    utilityHost_ = nullptr;
    if (owner && panelWidget_)
        owner->DeleteRollupPage(panelWidget_);
    panelWidget_ = nullptr;
    *form_ = Ui_PluginRollup{};
}

void Panel::onOptionChanged()
{
    PluginSettings& settings = util_.settings();
    settings.resolveTexturePaths = isChecked(form_->ResolvePaths);
    settings.fixedIncludePath = isChecked(form_->FixedIncludes);
    settings.usePrecompiledOsl = isChecked(form_->UseOSO);
    settings.copyTextures = isChecked(form_->CopyTextures);
    settings.relativeTexturePaths = isChecked(form_->useRelativePaths);
    settings.assignMaterials = isChecked(form_->assignToSelection);
    settings.addToLibrary = isChecked(form_->makeMtlLib);
    settings.populateEditor = isChecked(form_->populateMEdit);
    settings.libraryPath = WStr::FromQString(form_->mtlLib->text());
    settings.exportVersion = VERSION_CHOICES[static_cast<size_t>(std::clamp(form_->mtlxVersion->currentIndex(), 0, 2))];
}

void Panel::onBrowseLibrary()
{
    QFileDialog dialog(panelWidget_, QString(), QString(), QString());
    dialog.setWindowTitle(QStringLiteral("Select Material Library to Save"));
    dialog.setFileMode(QFileDialog::AnyFile);
    // The text-changed connection stores the new path in the options.
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        form_->mtlLib->setText(dialog.selectedFiles().first());
}

mx::FilePath Panel::viewerProgram() const
{
    return util_.settings().installRoot / VIEWER_FOLDER / VIEWER_PROGRAM;
}

// The viewer runs on its own, from its folder, with no document: the panel
// has nothing to hand it.
void Panel::onLaunchViewer()
{
    const mx::FilePath program = viewerProgram();
    const mx::FilePath folder = util_.settings().installRoot / VIEWER_FOLDER;
    if (!program.exists())
        return;
    QProcess::startDetached(QString::fromStdString(program.asString()), QStringList(),
                            QString::fromStdString(folder.asString()));
}
} // namespace rozo

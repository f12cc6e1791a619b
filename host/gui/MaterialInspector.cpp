#include "MaterialInspector.h"

#include "ui_MaterialInspector.h"

#include "ClassRegistry.h"
#include "Hold.h"
#include "HostCore.h"
#include "LiveObjects.h"
#include "MtlBase.h"
#include "ParamAccess.h"
#include "SwatchCache.h"

#include <QPixmap>
#include <QStringList>
#include <QTreeWidgetItemIterator>

#include <algorithm>

namespace Norvane
{
namespace
{

enum Role
{
    OwnerRole = Qt::UserRole,
    NameRole,
    KindRole
};
enum Kind
{
    ReadOnly,
    Number,
    Integer,
    Boolean,
    Components,
    Text
};

QString ClassNameOf(MtlBase* m)
{
    if (ClassDesc* cd = ClassRegistry::Instance().Find(m->SuperClassID(), m->ClassID()))
        return QString::fromWCharArray(cd->ClassName());
    WStr s;
    m->GetClassName(s);
    return s.ToQString();
}

bool IsMtlBase(ReferenceTarget* t)
{
    return t && (t->SuperClassID() == MATERIAL_CLASS_ID || t->SuperClassID() == TEXMAP_CLASS_ID);
}

constexpr int MAX_NAME_WIDTH = 170;

QString NumberText(double d)
{
    return QString::number(d, 'g', 6);
}

} // namespace

MaterialInspector::MaterialInspector(QWidget* parent) :
    QWidget(parent),
    ui_(std::make_unique<Ui::MaterialInspector>())
{
    ui_->setupUi(this);
    setObjectName(QStringLiteral("materialInspector"));
    connect(ui_->parameterTree, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item, int column) { edited(item, column); });
}

MaterialInspector::~MaterialInspector() = default;

void MaterialInspector::setObject(MtlBase* m)
{
    object_ = m;
    refresh();
}

void MaterialInspector::refresh()
{
    // Rows are not rebuilt under the edit that changed them: the tree still
    // works on the edited row after its change signal returns.
    if (editing_)
    {
        refreshLater();
        return;
    }
    refreshPending_ = false;
    if (object_ && !LiveObjects::Instance().Contains(object_))
        object_ = nullptr;
    filling_ = true;
    ui_->parameterTree->clear();
    if (!object_)
    {
        ui_->titleLabel->setText(QStringLiteral("No material selected"));
        ui_->swatchLabel->clear();
        filling_ = false;
        return;
    }
    ui_->titleLabel->setText(QStringLiteral("%1\n(%2)").arg(object_->GetName().ToQString(), ClassNameOf(object_)));
    ui_->swatchLabel->setPixmap(QPixmap::fromImage(SwatchCache::Instance().Swatch(object_)));
    std::set<MtlBase*> shown;
    fill(ui_->parameterTree->invisibleRootItem(), object_, shown);
    ui_->parameterTree->expandAll();
    // Names of deep map rows would push the values out of sight.
    ui_->parameterTree->resizeColumnToContents(0);
    ui_->parameterTree->setColumnWidth(0, std::min(ui_->parameterTree->columnWidth(0), MAX_NAME_WIDTH));
    filling_ = false;
}

// Every parameter of `owner`; a map below the parameter that holds it, once.
void MaterialInspector::fill(QTreeWidgetItem* parent, MtlBase* owner, std::set<MtlBase*>& shown)
{
    shown.insert(owner);
    const TimeValue now = Host().GetTime();
    for (const QString& name : ParamNames(owner))
    {
        const QVariant v = GetParam(owner, name, now);
        auto* row = new QTreeWidgetItem(parent, { name });
        row->setData(0, OwnerRole, FromTarget(owner));
        row->setData(0, NameRole, name);
        Kind kind = ReadOnly;
        if (v.userType() == QMetaType::VoidStar)
        {
            ReferenceTarget* t = ToTarget(v);
            if (!IsMtlBase(t))
            {
                delete row;
                continue;
            }
            auto* map = static_cast<MtlBase*>(t);
            row->setText(1, QStringLiteral("%1 \"%2\"").arg(ClassNameOf(map), map->GetName().ToQString()));
            if (shown.count(map))
                row->setText(1, row->text(1) + QStringLiteral(" (shown above)"));
            else
                fill(row, map, shown);
        }
        else if (v.type() == QVariant::Bool)
        {
            kind = Boolean;
            row->setCheckState(1, v.toBool() ? Qt::Checked : Qt::Unchecked);
        }
        else if (v.type() == QVariant::Double)
        {
            kind = Number;
            row->setText(1, NumberText(v.toDouble()));
        }
        else if (v.type() == QVariant::Int)
        {
            kind = Integer;
            row->setText(1, QString::number(v.toInt()));
        }
        else if (v.type() == QVariant::List)
        {
            kind = Components;
            QStringList parts;
            for (const QVariant& e : v.toList())
                parts << NumberText(e.toDouble());
            row->setText(1, parts.join(QStringLiteral(", ")));
        }
        else if (v.type() == QVariant::String)
        {
            const QString s = v.toString();
            // Shader sources are not edited here.
            if (s.contains('\n'))
                row->setText(1, QStringLiteral("<text, %1 characters>").arg(s.size()));
            else
            {
                kind = Text;
                row->setText(1, s);
            }
        }
        else
        {
            delete row;
            continue;
        }
        row->setToolTip(1, row->text(1));
        row->setData(0, KindRole, kind);
        if (kind != ReadOnly)
            row->setFlags(row->flags() | (kind == Boolean ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable));
    }
}

QTreeWidgetItem* MaterialInspector::findRow(const QString& name, MtlBase* owner) const
{
    if (!owner)
        owner = object_;
    for (QTreeWidgetItemIterator it(ui_->parameterTree); *it; ++it)
        if ((*it)->data(0, NameRole).toString() == name && ToTarget((*it)->data(0, OwnerRole)) == owner)
            return *it;
    return nullptr;
}

void MaterialInspector::edited(QTreeWidgetItem* item, int column)
{
    if (filling_ || column != 1)
        return;
    auto* owner = static_cast<MtlBase*>(ToTarget(item->data(0, OwnerRole)));
    const QString name = item->data(0, NameRole).toString();
    if (!owner || !LiveObjects::Instance().Contains(owner))
        return;
    const QString text = item->text(1).trimmed();
    QVariant value;
    bool ok = true;
    switch (item->data(0, KindRole).toInt())
    {
        case Number:
            value = text.toDouble(&ok);
            break;
        case Integer:
            value = text.toInt(&ok);
            break;
        case Boolean:
            value = item->checkState(1) == Qt::Checked;
            break;
        case Text:
            value = item->text(1);
            break;
        case Components:
        {
            QVariantList list;
            for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts))
            {
                list << part.trimmed().toDouble(&ok);
                if (!ok)
                    break;
            }
            value = list;
            break;
        }
        default:
            return;
    }
    bool set = false;
    editing_ = true;
    if (ok)
    {
        theHold.Begin();
        set = SetParam(owner, name, value, Host().GetTime());
        if (set)
            theHold.Accept(WStr::FromQString(QStringLiteral("Set ") + name));
        else
            theHold.Cancel();
    }
    if (set)
        Host().RedrawViews(Host().GetTime());
    editing_ = false;
    // A refused value goes back to what the parameter holds.
    refreshLater();
}

void MaterialInspector::refreshLater()
{
    if (refreshPending_)
        return;
    refreshPending_ = true;
    QMetaObject::invokeMethod(
        this, [this] { refresh(); }, Qt::QueuedConnection);
}

} // namespace Norvane

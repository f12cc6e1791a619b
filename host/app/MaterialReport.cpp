#include "MaterialReport.h"

#include "ClassRegistry.h"
#include "HostCore.h"
#include "MtlBase.h"
#include "ParamAccess.h"
#include "ParamBlock2.h"

#include <QJsonObject>
#include <QStringList>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <ostream>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace
{

// Texts longer than this (shader sources) are summarised in the tree.
constexpr int LONG_TEXT = 80;
// Map chains deeper than this are cut off in the tree and the JSON: a chain of
// thousands of maps would otherwise overflow the stack and print megabytes of indent.
constexpr int MAX_SHOWN_DEPTH = 64;

QString className(MtlBase* m)
{
    if (ClassDesc* cd = Norvane::ClassRegistry::Instance().Find(m->SuperClassID(), m->ClassID()))
        return QString::fromWCharArray(cd->ClassName());
    WStr s;
    m->GetClassName(s);
    return s.ToQString();
}

bool isMtlBase(ReferenceTarget* t)
{
    return t && (t->SuperClassID() == MATERIAL_CLASS_ID || t->SuperClassID() == TEXMAP_CLASS_ID);
}

QString number(double d)
{
    return QString::number(d, 'g', 6);
}

// The tree of a large scene prints the same few values millions of times:
// each distinct value is formatted once.
class NumberTexts
{
  public:
    const std::string& operator()(double d)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        auto found = texts_.find(bits);
        if (found != texts_.end())
            return found->second;
        if (texts_.size() >= MAX_KEPT)
            texts_.clear();
        return texts_.emplace(bits, number(d).toStdString()).first->second;
    }

  private:
    static constexpr std::size_t MAX_KEPT = 1 << 16;
    std::unordered_map<std::uint64_t, std::string> texts_;
};

// What the tree shows of one shared parameter name, converted once per definition.
class NameTexts
{
  public:
    const std::string& operator()(const ParamDef& d)
    {
        auto found = texts_.find(&d);
        if (found != texts_.end())
            return found->second;
        return texts_.emplace(&d, d.int_name.ToQString().toStdString()).first->second;
    }

  private:
    std::unordered_map<const ParamDef*, std::string> texts_;
};

struct TreeTexts
{
    NumberTexts numbers;
    NameTexts names;
};

std::string valueText(const QVariant& v, NumberTexts& numbers)
{
    if (v.type() == QVariant::Bool)
        return v.toBool() ? "true" : "false";
    if (v.type() == QVariant::Double)
        return numbers(v.toDouble());
    if (v.type() == QVariant::Int)
        return std::to_string(v.toInt());
    if (v.type() == QVariant::List)
    {
        std::string text = "[";
        bool first = true;
        for (const QVariant& e : v.toList())
        {
            if (!first)
                text += ", ";
            text += numbers(e.toDouble());
            first = false;
        }
        return text + "]";
    }
    if (v.type() == QVariant::String)
    {
        const QString s = v.toString();
        if (s.size() > LONG_TEXT || s.contains('\n'))
            return "<text, " + std::to_string(s.size()) + " characters>";
        return "\"" + s.toStdString() + "\"";
    }
    return "?";
}

// Calls `visit` with every parameter of `owner` (name, value).
void forEachParam(MtlBase* owner, const std::function<void(const QString&, const QVariant&)>& visit)
{
    const TimeValue t = Norvane::Host().GetTime();
    Norvane::ForEachParam(owner, [&](const ParamDef& def, const Norvane::ParamLocation& at) {
        visit(def.int_name.ToQString(), Norvane::GetParam(at, t));
    });
}

void printObject(MtlBase* m, int depth, std::set<MtlBase*>& shown, TreeTexts& texts, std::ostream& out)
{
    const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
    const TimeValue t = Norvane::Host().GetTime();
    Norvane::ForEachParam(m, [&](const ParamDef& def, const Norvane::ParamLocation& at) {
        const QVariant v = Norvane::GetParam(at, t);
        if (v.userType() == QMetaType::VoidStar)
        {
            ReferenceTarget* target = Norvane::ToTarget(v);
            if (!isMtlBase(target))
                return; // empty slots are left out
            auto* map = static_cast<MtlBase*>(target);
            out << indent << texts.names(def) << ": " << className(map).toStdString() << " \""
                << map->GetName().ToQString().toStdString() << "\"";
            if (!shown.insert(map).second)
            {
                out << " (shown above)\n";
                return;
            }
            if (depth >= MAX_SHOWN_DEPTH)
            {
                out << " (too deeply nested to show)\n";
                return;
            }
            out << '\n';
            printObject(map, depth + 1, shown, texts, out);
            return;
        }
        if (!v.isValid())
            return;
        out << indent << texts.names(def) << " = " << valueText(v, texts.numbers) << '\n';
    });
}

// Parameter values are single precision: the double nearest to the float's
// shortest round-trip text prints as that text (0.944, not 0.9440000057220459).
double asWrittenFloat(double d)
{
    const float f = static_cast<float>(d);
    if (!std::isfinite(f))
        return d;
    char text[32];
    const std::to_chars_result r = std::to_chars(text, text + sizeof text, f);
    double shortest = d;
    std::from_chars(text, r.ptr, shortest);
    return shortest;
}

QJsonValue jsonValue(const QVariant& v)
{
    if (v.type() == QVariant::List)
    {
        QJsonArray a;
        for (const QVariant& e : v.toList())
            a.append(asWrittenFloat(e.toDouble()));
        return a;
    }
    if (v.type() == QVariant::Double)
        return asWrittenFloat(v.toDouble());
    return QJsonValue::fromVariant(v);
}

QJsonObject objectToJson(MtlBase* m, std::set<MtlBase*>& path)
{
    QJsonObject o;
    o["name"] = m->GetName().ToQString();
    o["class"] = className(m);
    QJsonObject params, maps;
    path.insert(m);
    forEachParam(m, [&](const QString& name, const QVariant& v) {
        if (v.userType() == QMetaType::VoidStar)
        {
            ReferenceTarget* t = Norvane::ToTarget(v);
            if (!isMtlBase(t))
                return;
            auto* map = static_cast<MtlBase*>(t);
            if (path.size() >= MAX_SHOWN_DEPTH)
            {
                QJsonObject cut;
                cut["name"] = map->GetName().ToQString();
                cut["class"] = className(map);
                cut["truncated"] = true;
                maps[name] = cut;
            }
            else if (path.count(map))
            {
                QJsonObject loop;
                loop["name"] = map->GetName().ToQString();
                loop["class"] = className(map);
                loop["loop"] = true;
                maps[name] = loop;
            }
            else
            {
                maps[name] = objectToJson(map, path);
            }
            return;
        }
        if (v.isValid())
            params[name] = jsonValue(v);
    });
    path.erase(m);
    o["parameters"] = params;
    o["maps"] = maps;
    return o;
}

// Every map below m, without recursion: chains can be any length.
void collectMaps(MtlBase* m, std::set<MtlBase*>& seen)
{
    std::vector<MtlBase*> pending{ m };
    while (!pending.empty())
    {
        MtlBase* owner = pending.back();
        pending.pop_back();
        forEachParam(owner, [&](const QString&, const QVariant& v) {
            if (v.userType() != QMetaType::VoidStar)
                return;
            ReferenceTarget* t = Norvane::ToTarget(v);
            if (isMtlBase(t) && seen.insert(static_cast<MtlBase*>(t)).second)
                pending.push_back(static_cast<MtlBase*>(t));
        });
    }
}

} // namespace

void printMaterialTree(const std::vector<Mtl*>& materials, std::ostream& out)
{
    TreeTexts texts;
    for (Mtl* m : materials)
    {
        out << "material \"" << m->GetName().ToQString().toStdString() << "\" (" << className(m).toStdString() << ")\n";
        std::set<MtlBase*> shown;
        printObject(m, 1, shown, texts, out);
    }
}

QJsonArray materialsToJson(const std::vector<Mtl*>& materials)
{
    QJsonArray a;
    for (Mtl* m : materials)
    {
        std::set<MtlBase*> path;
        a.append(objectToJson(m, path));
    }
    return a;
}

int countMaps(const std::vector<Mtl*>& materials)
{
    std::set<MtlBase*> seen;
    for (Mtl* m : materials)
        collectMaps(m, seen);
    for (Mtl* m : materials)
        seen.erase(m);
    return static_cast<int>(seen.size());
}

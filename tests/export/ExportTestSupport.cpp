#include "ExportTestSupport.h"

#include "plugin/HostCalls.h"
#include "plugin/ParameterAccess.h"

#include <NorvaneSDK.h>

#include <CheckerMap.h>
#include <MultiMaterial.h>
#include <WrapperMaterial.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace exporttest
{
namespace
{

void* create(SClass_ID superClass, const Class_ID& classId)
{
    void* object = GetCOREInterface()->CreateInstance(superClass, classId);
    EXPECT_NE(object, nullptr) << "the host model cannot create the class";
    return object;
}
} // namespace

template <typename Value> void setParam(MtlBase* object, const std::string& name, const Value& value, int block)
{
    IParamBlock2* params = object->GetParamBlock(block);
    const std::optional<ParamID> id = rozo::parameterId(params, name);
    ASSERT_TRUE(id.has_value()) << name;
    ASSERT_TRUE(params->SetValue(*id, 0, value, 0)) << name;
}

template void setParam(MtlBase*, const std::string&, const float&, int);
template void setParam(MtlBase*, const std::string&, const int&, int);
template void setParam(MtlBase*, const std::string&, const AColor&, int);
template void setParam(MtlBase*, const std::string&, const Point3&, int);
template void setParam(MtlBase*, const std::string&, const Point2&, int);
template void setParam(MtlBase*, const std::string&, Texmap* const&, int);

bool sameWithinSixDigits(const std::string& a, const std::string& b)
{
    std::string x = a, y = b;
    std::replace(x.begin(), x.end(), ',', ' ');
    std::replace(y.begin(), y.end(), ',', ' ');
    std::istringstream left(x), right(y);
    std::string u, v;
    while (left >> u)
    {
        if (!(right >> v))
            return false;
        char* endU = nullptr;
        char* endV = nullptr;
        const double p = std::strtod(u.c_str(), &endU);
        const double q = std::strtod(v.c_str(), &endV);
        const bool numbers = *endU == '\0' && *endV == '\0' && endU != u.c_str() && endV != v.c_str();
        if (numbers ? std::fabs(p - q) > 1e-5 * std::max(1.0, std::fabs(p)) : u != v)
            return false;
    }
    return !(right >> v);
}

std::string readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(missing file " + path.toStdString() + ")";
    return file.readAll().toStdString();
}

void writeFile(const QString& path, const std::string& content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(content.data(), static_cast<qint64>(content.size()));
}

std::string elementText(const std::string& document, const std::string& category, const std::string& name)
{
    const std::string start = "<" + category + " name=\"" + name + "\"";
    size_t begin = document.find(start);
    if (begin == std::string::npos)
        return "(no " + category + " " + name + ")";
    begin = document.rfind('\n', begin) + 1;
    size_t end = document.find('\n', begin);
    if (document.compare(end - 2, 2, "/>") != 0)
        end = document.find("</" + category + ">", begin);
    end = document.find('\n', end) + 1;
    return document.substr(begin, end - begin);
}

std::string documentText(const std::string& nodes)
{
    return "<?xml version=\"1.0\"?>\n"
           "<materialx version=\"1.38\" xmlns:xi=\"http://www.w3.org/2001/XInclude\">\n" +
           nodes + "</materialx>\n";
}

void ExportTest::SetUp()
{
    util = std::make_unique<MtlXIOUtil>(mx::FilePath(ROZO_PLUGIN_MODULE));
    folder = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(folder->isValid());
}

void ExportTest::TearDown()
{
    // Materials first: they hold the maps.
    for (auto it = created.rbegin(); it != created.rend(); ++it)
        (*it)->DeleteThis();
    created.clear();
}

template <typename T> T* ExportTest::keep(T* object)
{
    if (object)
        created.push_back(object);
    return object;
}

Mtl* ExportTest::physicalMaterial(const wchar_t* name)
{
    Mtl* material = keep(rozo::createPhysicalMaterial());
    if (material)
        material->SetName(name);
    return material;
}

Texmap* ExportTest::bitmap(const wchar_t* name, const QString& file, float uTiling, float vTiling)
{
    auto* map = static_cast<BitmapTex*>(create(TEXMAP_CLASS_ID, BITMAP_CLASS_ID));
    if (!map)
        return nullptr;
    keep(static_cast<Texmap*>(map));
    map->SetName(name);
    map->SetMapName(WStr::FromQString(file).data());
    map->GetUVGen()->SetUScl(uTiling, 0);
    map->GetUVGen()->SetVScl(vTiling, 0);
    return map;
}

Texmap* ExportTest::normalMap(const wchar_t* name, Texmap* normal, float strength)
{
    Texmap* map = keep(static_cast<Texmap*>(create(TEXMAP_CLASS_ID, NORMAL_MAP_CLASS_ID)));
    if (!map)
        return nullptr;
    map->SetName(name);
    if (normal)
        setParam(map, "normal_map", normal);
    setParam(map, "mult_spin", strength);
    return map;
}

Texmap* ExportTest::checkerMap(const wchar_t* name)
{
    Texmap* map = keep(static_cast<Texmap*>(create(TEXMAP_CLASS_ID, Norvane::CHECKER_MAP_CLASS_ID)));
    if (map)
        map->SetName(name);
    return map;
}

Mtl* ExportTest::wrapperMaterial(Mtl* inner)
{
    Mtl* wrapper = keep(static_cast<Mtl*>(create(MATERIAL_CLASS_ID, Norvane::WRAPPER_MATERIAL_CLASS_ID)));
    if (wrapper && inner)
        static_cast<IWrapperMaterial*>(wrapper->GetInterface(WRAPPER_MATERIAL_INTERFACE_ID))->SetMaterial(inner);
    return wrapper;
}

Mtl* ExportTest::multiMaterial(const std::vector<Mtl*>& subMaterials)
{
    auto* multi = static_cast<Norvane::MultiMaterial*>(create(MATERIAL_CLASS_ID, Norvane::MULTI_MATERIAL_CLASS_ID));
    if (!multi)
        return nullptr;
    keep(static_cast<Mtl*>(multi));
    multi->SetNumSubMtls(static_cast<int>(subMaterials.size()));
    for (size_t i = 0; i < subMaterials.size(); ++i)
        multi->SetSubMtl(static_cast<int>(i), subMaterials[i]);
    return multi;
}

bool ExportTest::exportMaterials(std::initializer_list<Mtl*> materials, const QString& fileName)
{
    Tab<Mtl*> table;
    for (Mtl* material : materials)
        table.Append(material);
    const QString target = QFileInfo(fileName).isAbsolute() ? fileName : path(fileName);
    return util->exportFile(WStr::FromQString(target), table);
}

std::string ExportTest::written(const QString& fileName) const
{
    return readFile(path(fileName));
}

QString ExportTest::textureFile(const QString& relativePath, const std::string& content)
{
    const QString file = path(relativePath);
    writeFile(file, content);
    return file;
}
} // namespace exporttest

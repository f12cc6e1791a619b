#include "ExportTestSupport.h"

#include "plugin/HostCalls.h"

#include <NorvaneSDK.h>

#include <MultiMaterial.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace exporttest
{
namespace
{
const Class_ID bitmapClass(0x0b17a9a0, 0x5d3e1c44);
const Class_ID normalMapClass(0x243e22c6, 0x63f6a014);
const Class_ID checkerClass(0x6a7e3c13, 0x2b9d0e55);
const Class_ID wrapperClass(0x6a7e3c11, 0x2b9d0e55);
const Class_ID multiClass(0x6a7e3c12, 0x2b9d0e55);

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

MtlXIOUtil* ExportTest::util = nullptr;

void ExportTest::SetUpTestSuite()
{
    // One utility object for the suite: loading the libraries is the slow part.
    if (!util)
        util = new MtlXIOUtil(mx::FilePath(ROZO_PLUGIN_MODULE));
}

void ExportTest::TearDownTestSuite()
{
    delete util;
    util = nullptr;
}

void ExportTest::SetUp()
{
    util->resolveTexturePaths = true;
    util->copyTextures = false;
    util->relativeTexturePaths = true;
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
    auto* map = static_cast<BitmapTex*>(create(TEXMAP_CLASS_ID, bitmapClass));
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
    Texmap* map = keep(static_cast<Texmap*>(create(TEXMAP_CLASS_ID, normalMapClass)));
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
    Texmap* map = keep(static_cast<Texmap*>(create(TEXMAP_CLASS_ID, checkerClass)));
    if (map)
        map->SetName(name);
    return map;
}

Mtl* ExportTest::wrapperMaterial(Mtl* inner)
{
    Mtl* wrapper = keep(static_cast<Mtl*>(create(MATERIAL_CLASS_ID, wrapperClass)));
    if (wrapper && inner)
        static_cast<IWrapperMaterial*>(wrapper->GetInterface(WRAPPER_MATERIAL_INTERFACE_ID))->SetMaterial(inner);
    return wrapper;
}

Mtl* ExportTest::multiMaterial(const std::vector<Mtl*>& subMaterials)
{
    auto* multi = static_cast<Norvane::MultiMaterial*>(create(MATERIAL_CLASS_ID, multiClass));
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

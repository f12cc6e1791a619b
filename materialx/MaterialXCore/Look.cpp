#include <MaterialXCore/Look.h>

MATERIALX_NAMESPACE_BEGIN

const string MaterialAssign::CATEGORY = "materialassign";
const string MaterialAssign::MATERIAL_ATTRIBUTE = "material";
const string MaterialAssign::GEOM_ATTRIBUTE = "geom";
const string MaterialAssign::COLLECTION_ATTRIBUTE = "collection";
const string Look::CATEGORY = "look";
const string LookGroup::CATEGORY = "lookgroup";

MATERIALX_NAMESPACE_END

#include "Teapot.h"

#include "BuiltinClassDesc.h"
#include "ClassRegistry.h"
#include "ParamBlock2.h"

namespace Norvane
{
namespace
{

BuiltinClassDesc<Teapot> teapotDesc(L"Teapot", L"Teapot", GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID, L"Standard Primitives");

ParamBlockDesc2 teapotBlock = [] {
    ParamBlockDesc2 b(0, L"params", nullptr);
    b.AddParam(L"radius", TYPE_WORLD, ParamValue::Float(25.0f));
    b.AddParam(L"segs", TYPE_INT, ParamValue::Int(4));
    b.AddParam(L"smooth", TYPE_BOOL, ParamValue::Int(1), 0);
    return b;
}();

ClassRegistrar registrar(&teapotDesc);

} // namespace

Teapot::Teapot(bool)
{
    teapotDesc.AddParamBlockDesc(&teapotBlock);
    CreateParamBlock(&teapotBlock);
}

} // namespace Norvane

#pragma once
// Helpers for classes whose sub-maps and sub-materials are block parameters.
#include "ParamBlock2.h"
#include <vector>

namespace Norvane
{

// IDs of the parameters of `pb` with type `type`, in block order.
inline std::vector<ParamID> ParamIDsOfType(IParamBlock2* pb, int type)
{
    std::vector<ParamID> out;
    if (!pb)
        return out;
    for (const ParamDef& d : pb->GetDesc()->paramdefs)
        if (d.type == type)
            out.push_back(d.ID);
    return out;
}

// Parameter ID of `name` in `pb`, -1 when absent.
inline ParamID ParamIDOf(IParamBlock2* pb, const wchar_t* name)
{
    if (!pb)
        return -1;
    int i = pb->GetDesc()->NameToIndex(name);
    return i < 0 ? ParamID(-1) : pb->IndextoID(i);
}

} // namespace Norvane

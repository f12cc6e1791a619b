#pragma once
// Everything a plug-in sees of the host.
#include "Animatable.h"
#include "BitmapTex.h"
#include "BuiltinClasses.h"
#include "ClassDesc.h"
#include "ClassID.h"
#include "DebugPrint.h"
#include "FileResolution.h"
#include "Geometry.h"
#include "Hold.h"
#include "INode.h"
#include "Interface.h"
#include "Locale.h"
#include "MtlBase.h"
#include "NorvaneTypes.h"
#include "Object.h"
#include "ParamBlock2.h"
#include "ParamType.h"
#include "SdkVersion.h"
#include "Tab.h"
#include "UtilityObj.h"
#include "WStr.h"
#if __has_include("IOSLMap.h")
#include "IOSLMap.h"
#endif
#if __has_include("FunctionPublishing.h")
#include "FunctionPublishing.h"
#endif

#pragma once
// The Bitmap texture map and its standard UV generator.
#include "MtlBase.h"

// Texture coordinates with tiling, offset and rotation (block 0: "U_Tiling",
// "V_Tiling", "U_Offset", "V_Offset", "W_Angle").
class StdUVGen : public UVGen
{
  public:
    virtual float GetUScl(TimeValue t) = 0;
    virtual float GetVScl(TimeValue t) = 0;
    virtual void SetUScl(float v, TimeValue t) = 0;
    virtual void SetVScl(float v, TimeValue t) = 0;
    virtual float GetUOffs(TimeValue t) = 0;
    virtual float GetVOffs(TimeValue t) = 0;
    virtual void SetUOffs(float v, TimeValue t) = 0;
    virtual void SetVOffs(float v, TimeValue t) = 0;
    virtual float GetWAng(TimeValue t) = 0;
    virtual void SetWAng(float v, TimeValue t) = 0;
};

// An image file on texture coordinates (block 0: "fileName", "alphaSource", "coords").
class BitmapTex : public Texmap
{
  public:
    virtual const wchar_t* GetMapName() = 0;
    virtual void SetMapName(const wchar_t* name) = 0;
    virtual StdUVGen* GetUVGen() = 0;
};

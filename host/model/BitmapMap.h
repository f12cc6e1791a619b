#pragma once
// The Bitmap texture map and its standard UV generator.
#include "BitmapTex.h"
#include "BuiltinClasses.h"

namespace Norvane
{

constexpr Class_ID STD_UVGEN_CLASS_ID(0x0b17a9a1, 0x5d3e1c44);

class StandardUVGen : public StdUVGen
{
  public:
    explicit StandardUVGen(bool loading = false);
    Class_ID ClassID() override { return STD_UVGEN_CLASS_ID; }
    void GetClassName(WStr& s) override { s = L"UVW Coordinates"; }
    float GetUScl(TimeValue t) override;
    float GetVScl(TimeValue t) override;
    void SetUScl(float v, TimeValue t) override;
    void SetVScl(float v, TimeValue t) override;
    float GetUOffs(TimeValue t) override;
    float GetVOffs(TimeValue t) override;
    void SetUOffs(float v, TimeValue t) override;
    void SetVOffs(float v, TimeValue t) override;
    float GetWAng(TimeValue t) override;
    void SetWAng(float v, TimeValue t) override;

  private:
    float Get(const wchar_t* name, TimeValue t);
    void Set(const wchar_t* name, float v, TimeValue t);
};

// Gives a new map of `owner` its own coordinates in the "coords" parameter of
// block 0 (a map read from a file gets them from the file instead).
void AttachNewUVGen(ReferenceTarget* owner, bool loading);

class BitmapMap : public BitmapTex
{
  public:
    explicit BitmapMap(bool loading = false);
    Class_ID ClassID() override { return BITMAP_CLASS_ID; }
    void GetClassName(WStr& s) override { s = L"Bitmap"; }
    const wchar_t* GetMapName() override;
    void SetMapName(const wchar_t* name) override;
    StdUVGen* GetUVGen() override;
    UVGen* GetTheUVGen() override { return GetUVGen(); }
};

} // namespace Norvane

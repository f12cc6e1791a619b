#include "SwatchCache.h"

#include "HostCore.h"
#include "MtlBase.h"
#include "ParamBlock2.h"
#include "SwatchRenderer.h"

#include <functional>
#include <set>

namespace Norvane
{
namespace
{

// FNV-1a over the raw bytes of each value.
struct Digest
{
    std::uint64_t h = 1469598103934665603ull;
    template <typename T>
    void Add(const T& v)
    {
        const auto* p = reinterpret_cast<const unsigned char*>(&v);
        for (size_t i = 0; i < sizeof v; ++i)
            h = (h ^ p[i]) * 1099511628211ull;
    }
    void Add(const WStr& s)
    {
        Add(s.length());
        for (wchar_t c : std::wstring(s.data()))
            Add(c);
    }
    void Add(const ParamValue& v)
    {
        Add(v.i);
        for (float f : v.f)
            Add(f);
        Add(v.s);
        Add(reinterpret_cast<std::uintptr_t>(v.r));
    }
};

void AddTree(ReferenceTarget* t, Digest& d, std::set<ReferenceTarget*>& seen)
{
    if (!t || !seen.insert(t).second)
        return;
    const Class_ID id = t->ClassID();
    d.Add(id.PartA());
    d.Add(id.PartB());
    for (int b = 0; b < t->NumParamBlocks(); ++b)
    {
        IParamBlock2* pb = t->GetParamBlock(b);
        if (!pb)
            continue;
        for (const ParamDef& def : pb->GetDesc()->paramdefs)
        {
            d.Add(def.type);
            d.Add(def.int_name);
            const IParamBlock2::Slot* slot = pb->GetSlot(def.ID);
            if (!slot)
                continue;
            for (const IParamBlock2::Entry& e : slot->entries)
            {
                d.Add(e.value);
                for (const auto& [time, key] : e.keys)
                {
                    d.Add(time);
                    d.Add(key);
                }
                AddTree(e.value.r, d, seen);
            }
        }
    }
    if (auto* m = dynamic_cast<Mtl*>(t))
    {
        const Color c = m->GetDiffuse();
        d.Add(c.r), d.Add(c.g), d.Add(c.b);
        for (int i = 0; i < m->NumSubMtls(); ++i)
            AddTree(m->GetSubMtl(i), d, seen);
    }
}

} // namespace

std::uint64_t SwatchState(MtlBase* m)
{
    Digest d;
    d.Add(Host().GetTime());
    std::set<ReferenceTarget*> seen;
    AddTree(m, d, seen);
    return d.h;
}

SwatchCache& SwatchCache::Instance()
{
    static SwatchCache cache;
    return cache;
}

QImage SwatchCache::Swatch(MtlBase* m, int size)
{
    if (!m)
        return QImage();
    const std::uint64_t state = SwatchState(m);
    Entry& entry = entries_[{ m, size }];
    if (entry.image.isNull() || entry.state != state)
    {
        entry.image = RenderSwatch(m, size);
        entry.state = state;
        ++renders_;
    }
    // Objects come and go; a few hundred swatches are plenty.
    if (entries_.size() > 512)
    {
        QImage image = entry.image;
        entries_.clear();
        return image;
    }
    return entry.image;
}

} // namespace Norvane

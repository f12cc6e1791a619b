#pragma once
// Swatches kept per material or map. An entry stays valid while the state of
// its object tree (every parameter value, key and referenced object, and the
// current time) is unchanged, so an edit or an undo draws it afresh and a
// lookup otherwise costs a walk over the parameters.
#include <QImage>

#include <cstdint>
#include <map>
#include <utility>

class MtlBase;

namespace Norvane
{

class SwatchCache
{
  public:
    static SwatchCache& Instance();
    QImage Swatch(MtlBase* m, int size = 128);
    // How many swatches were drawn (not found) so far.
    int Renders() const { return renders_; }
    void Clear() { entries_.clear(); }

  private:
    struct Entry
    {
        std::uint64_t state = 0;
        QImage image;
    };
    std::map<std::pair<MtlBase*, int>, Entry> entries_;
    int renders_ = 0;
};

// A digest of everything a swatch of `m` depends on.
std::uint64_t SwatchState(MtlBase* m);

} // namespace Norvane

#pragma once
// The materials an export translates: each once, in the order first given.

#include <cstddef>
#include <unordered_set>
#include <vector>

class Mtl;

namespace rozo
{
class MaterialSet
{
  public:
    /// Adds a material unless it is null or already held.
    void insert(Mtl* material)
    {
        if (material && members.insert(material).second)
            order.push_back(material);
    }
    bool empty() const { return order.empty(); }
    size_t size() const { return order.size(); }
    std::vector<Mtl*>::const_iterator begin() const { return order.begin(); }
    std::vector<Mtl*>::const_iterator end() const { return order.end(); }

  private:
    std::vector<Mtl*> order;
    std::unordered_set<Mtl*> members;
};
} // namespace rozo

#pragma once
// Every class the host can make, by super class ID and class ID.
#include "ClassDesc.h"
#include "ClassID.h"
#include <map>
#include <utility>
#include <vector>

namespace Norvane
{

class ClassRegistry
{
  public:
    static ClassRegistry& Instance();

    // Adds a descriptor; a later one with the same IDs replaces the earlier.
    void Register(ClassDesc* desc);
    void Unregister(ClassDesc* desc);
    ClassDesc* Find(SClass_ID superClassID, const Class_ID& classID) const;
    // Finds by class ID alone (class IDs are unique across families here).
    ClassDesc* Find(const Class_ID& classID) const;
    // Finds by internal name, else by class name (exact); for scripts.
    ClassDesc* FindByName(const wchar_t* name) const;
    // A new instance, none for an unknown class.
    void* Create(SClass_ID superClassID, const Class_ID& classID, bool loading = false) const;
    std::vector<ClassDesc*> All() const;

  private:
    std::map<std::pair<SClass_ID, Class_ID>, ClassDesc*> classes_;
};

// A static object of this type in a .cpp file registers its class at load time:
//   static Norvane::ClassRegistrar registrar(GetMyClassDesc());
class ClassRegistrar
{
  public:
    explicit ClassRegistrar(ClassDesc* desc) :
        desc_(desc) { ClassRegistry::Instance().Register(desc); }
    ~ClassRegistrar() { ClassRegistry::Instance().Unregister(desc_); }
    ClassRegistrar(const ClassRegistrar&) = delete;
    ClassRegistrar& operator=(const ClassRegistrar&) = delete;

  private:
    ClassDesc* desc_;
};

} // namespace Norvane

#pragma once
// A utility class descriptor that makes nothing, for tests and test modules.
#include "ClassDesc.h"

class TestClassDesc : public ClassDesc2 {
public:
  TestClassDesc(const wchar_t* name, const wchar_t* category, Class_ID id)
      : name_(name), category_(category), id_(id) {}
  int IsPublic() override { return 1; }
  void* Create(bool) override { return nullptr; }
  const wchar_t* ClassName() override { return name_; }
  SClass_ID SuperClassID() override { return UTILITY_CLASS_ID; }
  Class_ID ClassID() override { return id_; }
  const wchar_t* Category() override { return category_; }

private:
  const wchar_t* name_;
  const wchar_t* category_;
  Class_ID id_;
};

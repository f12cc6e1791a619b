#pragma once
// A utility class descriptor for tests and test modules; nothing is ever created.
#include "BuiltinClassDesc.h"

struct TestUtilityObject
{
    explicit TestUtilityObject(bool) {}
};

class TestClassDesc : public Norvane::BuiltinClassDesc<TestUtilityObject>
{
  public:
    TestClassDesc(const wchar_t* name, const wchar_t* category, Class_ID id) :
        BuiltinClassDesc(name, name, UTILITY_CLASS_ID, id, category) {}
};

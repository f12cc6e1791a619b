#include "NorvaneSDK.h"
#include <gtest/gtest.h>
TEST(Smoke, CreatesPhysicalMaterial)
{
    auto* m = static_cast<Mtl*>(GetCOREInterface()->CreateInstance(MATERIAL_CLASS_ID, Class_ID(0x3d6b1cec, 0xdeadc001)));
    ASSERT_NE(m, nullptr);
    EXPECT_GE(m->GetParamBlock(0)->GetDesc()->NameToIndex(L"base_color"), 0);
    m->DeleteThis();
}

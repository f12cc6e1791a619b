#pragma once
// Shared set-up of the host tests: every test starts from an empty scene, an
// empty library, no undo history, queued dialogs and a quiet debug channel.
#include "BitmapMap.h"
#include "CheckerMap.h"
#include "DebugChannel.h"
#include "FileResolver.h"
#include "HostCore.h"
#include "LiveObjects.h"
#include "MultiMaterial.h"
#include "NormalMap.h"
#include "NorvaneSDK.h"
#include "PhysicalMaterial.h"
#include "Teapot.h"
#include "WrapperMaterial.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class HostTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        Reset();
        baseline_ = Norvane::LiveObjects::Instance().Count();
    }
    void TearDown() override
    {
        Reset();
        // Nothing a test made outlives it (the host's library object stays).
        EXPECT_EQ(Norvane::LiveObjects::Instance().Count(), baseline_);
    }

    static Norvane::HostCore& host() { return Norvane::Host(); }
    static Interface* ip() { return GetCOREInterface(); }

    template <class T> static T* Create(SClass_ID sclass, Class_ID cid)
    {
        return static_cast<T*>(static_cast<Animatable*>(ip()->CreateInstance(sclass, cid)));
    }
    static Mtl* NewPhysical(const wchar_t* name = nullptr)
    {
        Mtl* m = Create<Mtl>(MATERIAL_CLASS_ID, PHYSICAL_MATERIAL_CLASS_ID);
        if (name)
            m->SetName(name);
        return m;
    }
    static Texmap* NewMap(Class_ID cid, const wchar_t* name = nullptr)
    {
        Texmap* t = Create<Texmap>(TEXMAP_CLASS_ID, cid);
        if (name)
            t->SetName(name);
        return t;
    }
    static Object* NewTeapot() { return Create<Object>(GEOMOBJECT_CLASS_ID, TEAPOT_CLASS_ID); }

    // Parameter ID of `name` in block `b` of `owner`, -1 when absent.
    static ParamID Id(Animatable* owner, const wchar_t* name, int b = 0)
    {
        IParamBlock2* pb = owner->GetParamBlock(b);
        int i = pb ? pb->GetDesc()->NameToIndex(name) : -1;
        return i < 0 ? ParamID(-1) : pb->IndextoID(i);
    }
    static IParamBlock2* Block(Animatable* owner, int b = 0) { return owner->GetParamBlock(b); }

    QString TempPath(const QString& name) const { return QDir(temp_.path()).filePath(name); }
    Norvane::QueuedDialogProvider& dialogs() { return *host().QueuedDialogs(); }

  private:
    void Reset()
    {
        host().SetDialogProvider(std::make_unique<Norvane::QueuedDialogProvider>());
        host().GetMaterialLibrary().Empty();
        host().NewScene();
        Norvane::DebugChannel::Instance().Clear();
        Norvane::FileResolver::Instance().ClearSearchPaths(ASSET_TYPE_BITMAP);
        ip()->SetAnimateMode(false);
    }
    QTemporaryDir temp_;
    int baseline_ = 0;
};

#pragma once

#include "engine/model/KM_Skeleton.h"
#include "engine/model/kaBoxPrimitive.h"
#include "engine/model/kaMesh.h"
#include "engine/model/kaModel.h"
#include "engine/model/kaSkeleton.h"
#include "engine/model/kaSpherePrimitive.h"
#include "engine/scene/kaEntityPhysical.h"
#include "engine/scene/kaPhysicsWorld.h"

#include "platform/gfx/math/Matrix.h"
#include "platform/gfx/math/Vector3.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace physicstest
{

inline std::unique_ptr<kaCollisionPrimitive> Sphere(float radius, const std::string& name = "PRIM_Ball")
{
    auto sphere = std::make_unique<kaSpherePrimitive>();
    sphere->m_Radius = radius;
    sphere->m_Name = name;
    return sphere;
}

// A bone of a skeleton built in code: where it sits in the model, optionally turned.
struct BonePlace
{
    std::string name;
    std::string parent;
    platform::Vector3 at;
    platform::Matrix turn = Identity();

    static platform::Matrix Identity()
    {
        platform::Matrix identity;
        platform::MatrixIdentity(&identity);
        return identity;
    }
};

// Bones used by most physics tests: a hook one unit above the centre and one below.
inline std::vector<BonePlace> Hooks()
{
    return {{"Centre", "", {0, 0, 0}}, {"Top", "Centre", {0, 1, 0}}, {"Bottom", "Centre", {0, -1, 0}}};
}

inline void ExpectNear(const platform::Vector3& actual, const platform::Vector3& expected,
                       float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline platform::Vector3 ToVector(const dReal* v)
{
    return platform::Vector3(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
}

// A physics world with models and skeletons that outlive it (the world deletes its entities).
struct Scene
{
    std::vector<std::unique_ptr<kaModel>> models;
    std::vector<std::unique_ptr<kaSkeleton>> skeletons;
    kaPhysicsWorld world;

    // A ball of radius 0.5 with the given bones; without the ball, a model of bones alone.
    kaModel* Model(const std::vector<BonePlace>& bones = Hooks(), bool ball = true)
    {
        auto* mesh = new kaMesh;
        if (ball)
            mesh->AddPrimitive(Sphere(0.5f));
        models.push_back(std::make_unique<kaModel>(mesh));
        if (!bones.empty())
        {
            KM_Skeleton file;
            for (size_t i = 0; i < bones.size(); ++i)
            {
                platform::Matrix bind = bones[i].turn;
                bind(3, 0) = bones[i].at.x;
                bind(3, 1) = bones[i].at.y;
                bind(3, 2) = bones[i].at.z;
                platform::Matrix orientation;
                platform::MatrixInverse(&orientation, nullptr, &bind);
                KM_Skeleton::Bone bone;
                bone.name = bones[i].name;
                bone.parentName = bones[i].parent;
                for (int r = 0; r < 4; ++r)
                    for (int c = 0; c < 4; ++c)
                        bone.orientation[r][c] = orientation(r, c);
                file.m_Bones[static_cast<uint32_t>(i)] = bone;
            }
            file.m_BoneCount = static_cast<uint32_t>(bones.size());
            skeletons.push_back(std::make_unique<kaSkeleton>());
            EXPECT_TRUE(skeletons.back()->Build(file, "bones.kmf", nullptr));
            models.back()->SetSkeleton(skeletons.back().get());
        }
        return models.back().get();
    }

    kaEntityPhysical* Add(const platform::Vector3& at, const std::vector<BonePlace>& bones = Hooks())
    {
        auto* entity = new kaEntityPhysical;
        world.AddEntity(entity, true, true);
        entity->SetPosition(at);
        entity->SetModel(Model(bones));
        return entity;
    }

    // A joint of that class made in this world, as a "joint" element makes it.
    template <typename Joint> Joint* Make()
    {
        auto* joint = new Joint;
        joint->SetWorld(&world);
        joint->CreateJoint(&world);
        world.AddEntity(joint, true, true);
        return joint;
    }
};

} // namespace physicstest

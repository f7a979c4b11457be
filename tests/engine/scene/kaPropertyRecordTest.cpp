#include "engine/scene/kaPropertyRecord.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

// The records are shared: a copy keeps them after the first list is gone, and frees them itself
// (the sanitizer run catches a record freed early or never).
TEST(PropertyListTest, ACopiedListOutlivesTheFirst)
{
    auto first = std::make_unique<kaPropertyList>();
    kaPropertyRecord& row = kaPropertyRecord::Append(*first, "Model:", "crate.kmf");
    row.m_Browse = true;
    row.m_Folder = "Resources/Models/";
    const kaPropertyList copy = *first;
    first.reset();

    ASSERT_EQ(copy.size(), 1u);
    EXPECT_EQ(copy[0]->m_Label, "Model:");
    EXPECT_EQ(copy[0]->m_Value, "crate.kmf");
    EXPECT_TRUE(copy[0]->m_Browse);
    EXPECT_EQ(copy[0]->m_Folder, "Resources/Models/");
    EXPECT_EQ(copy[0]->m_Kind, kaPropertyRecord::kTyped);
}

} // namespace

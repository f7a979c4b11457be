#include "tests/support/engine/gui/TestWindow.h"

#include <algorithm>

void TestWindow::Frame(guiGlyph* root)
{
    hitList.clear();
    root->SetOwnerWindow(this);
    DrawTree(root, context);
    std::stable_sort(hitList.begin(), hitList.end(),
                     [](const guiGlyph* a, const guiGlyph* b)
                     {
                         if (a->GetLayer() != b->GetLayer())
                             return a->GetLayer() < b->GetLayer();
                         return a->GetChildOrder() < b->GetChildOrder();
                     });
    for (guiGlyph* glyph : hitList)
        glyph->Draw();
}

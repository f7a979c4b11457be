#include "engine/gui/guiFrame.h"

void guiFrame::Render(guiRenderContext& context)
{
    Layout();
    guiWidget::Render(context);
}

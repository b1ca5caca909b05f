#include "views/panel_style.h"

#include "controls/editor_fonts.h"

void stylePanelText(CParamDisplay* text) {
    text->setFont(smallTextFont());
    text->setFontColor(kPanelTextColor);
    text->setTransparency(true);
    text->setStyle(kNoFrame);
    text->setHoriAlign(kCenterText);
}

bool addKeepingOwnReference(CFrame* frame, CView* view) {
    if (!frame || !view) return false;
    view->remember();
    if (frame->addView(view)) return true;
    view->forget();
    return false;
}

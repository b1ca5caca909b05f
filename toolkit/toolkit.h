#pragma once
// Everything a view or editor needs from the toolkit, in one include.
#include "toolkit/bitmap.h"
#include "toolkit/buttons.h"
#include "toolkit/control.h"
#include "toolkit/draw_context.h"
#include "toolkit/font.h"
#include "toolkit/frame.h"
#include "toolkit/knob.h"
#include "toolkit/offscreen.h"
#include "toolkit/slider.h"
#include "toolkit/text_controls.h"
#include "toolkit/view.h"
#include "toolkit/view_container.h"

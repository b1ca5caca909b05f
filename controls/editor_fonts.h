#pragma once
// The editor's shared fonts: the small text font ("Arial Narrow", 11 px), the resource font
// (the face of font resource 111 at 38 px) and the label's size of it. Made on first use,
// kept until the library is unloaded, so views may hold plain pointers to them.
#include "toolkit/font.h"

class CZEBCustomFont;

CFontDesc* smallTextFont();
CZEBCustomFont* resourceFont();
// The resource face at the size of the strip label (22 px).
CZEBCustomFont* labelFont();

#pragma once
// The editor's two process-wide fonts: the small text font ("Arial Narrow", 11 px) and the
// resource font (the face of font resource 111 at 38 px). Made on first use, kept for the
// life of the process, so views may hold plain pointers to them.
#include "toolkit/font.h"

class CZEBCustomFont;

CFontDesc* smallTextFont();
CZEBCustomFont* resourceFont();
// The resource face at the size of the strip label (22 px).
CZEBCustomFont* labelFont();

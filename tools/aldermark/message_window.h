#pragma once
// A message a user started from a desktop menu can read: a small window with the text and a
// way to close it (X11 on Linux, a message box on Windows). Runs on the calling thread and
// returns when the window is closed, or at once when no display can be reached.
#include <string>

namespace aldermark {

// False when the message could not be shown (no display).
bool showMessageWindow(const std::string& title, const std::string& message);

}  // namespace aldermark

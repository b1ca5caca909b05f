#pragma once
// Follows the desktop's scale while the editor is open: the window moved to a monitor of
// another DPI, or the user changed the system's scale. It decides from looks the editor's
// timer takes now and then (the scale for the window and where the window is), so that
//  - a reading must hold for kStableLooks looks in a row (a window dragged across monitors
//    does not rescale on the way), and
//  - after a change, the scale it left is not taken back until the user moves the window.
//    A window that straddles two monitors can read the other monitor's DPI only because our
//    own resize shifted its middle; resizing back and forth there is the grow loop hosts
//    have been caught in. Time alone would not stop that; the window's position does.
// GUI thread, under the editor's lock.
#include <cmath>
#include <cstdlib>

class DesktopScaleFollower {
public:
    static constexpr int kStableLooks = 2;
    static constexpr int kMovedPixels = 8;  // less is the window system's jitter, not a move

    struct Look {
        double scale = 1;     // the desktop's scale for the window now
        bool placed = false;  // x and y are known
        int x = 0, y = 0;     // the window's top-left corner on the screen, device pixels
    };

    // The scale the editor opened at; forgets every earlier change.
    void start(double scale) {
        current_ = scale;
        candidate_ = 0;
        seen_ = 0;
        left_ = 0;
        anchorPending_ = false;
        anchored_ = false;
    }
    double current() const { return current_; }

    // One look: the scale to change to now, or 0 to keep the current one.
    double look(const Look& now) {
        if (anchorPending_ && now.placed) {  // where our resize left the window
            anchorX_ = now.x;
            anchorY_ = now.y;
            anchored_ = true;
            anchorPending_ = false;
        }
        if (left_ != 0 && anchored_ && now.placed &&
            (std::abs(now.x - anchorX_) > kMovedPixels || std::abs(now.y - anchorY_) > kMovedPixels))
            left_ = 0;  // the user moved it: every scale may be taken again
        if (!std::isfinite(now.scale) || now.scale <= 0 || now.scale == current_ || now.scale == left_) {
            candidate_ = 0;
            seen_ = 0;
            return 0;
        }
        if (now.scale != candidate_) {
            candidate_ = now.scale;
            seen_ = 0;
        }
        if (++seen_ < kStableLooks) return 0;
        left_ = current_;
        current_ = now.scale;
        candidate_ = 0;
        seen_ = 0;
        anchorPending_ = true;
        anchored_ = false;
        return current_;
    }

private:
    double current_ = 1;    // the desktop scale the editor follows
    double candidate_ = 0;  // a new reading being confirmed; 0 none
    int seen_ = 0;          // looks in a row that read candidate_
    double left_ = 0;       // the scale the last change left; 0 none blocked
    bool anchorPending_ = false;  // the next placed look gives the anchor
    bool anchored_ = false;
    int anchorX_ = 0, anchorY_ = 0;  // device pixels
};

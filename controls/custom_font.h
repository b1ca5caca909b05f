#pragma once
// The plug-in's own typeface, shipped as font resource 111 and registered for the process
// under the face name "ZEBAldermark". The description's name is not used to find the face:
// it always draws with the resource face.
#include <memory>

#include "toolkit/font.h"

class CZEBCustomFont : public CFontDesc {
public:
    static constexpr const char* kFaceName = "ZEBAldermark";
    static constexpr int kResourceId = 111;
    // Metrics of the face at 38 px, used until the face is first resolved (pixels).
    static constexpr double kInitialAscent = 34.96;
    static constexpr double kInitialDescent = 8.74;
    static constexpr double kInitialLeading = 0;
    static constexpr double kInitialCapHeight = 25.12;

    explicit CZEBCustomFont(double size = 38, int style = toolkit::kNormalFace);

    // Registers the resource face once per process; answers whether it is available.
    static bool registerResourceFace();

    // The resource face at this description's size and style.
    const toolkit::IPlatformFont* getPlatformFont() override;

    // Measured metrics once the face was resolved, else the initial ones scaled to the size.
    double getAscent() const { return ascent_; }
    double getDescent() const { return descent_; }
    double getLeading() const { return leading_; }
    double getCapHeight() const { return capHeight_; }

    bool isTypeOf(const char* name) const override;

protected:
    std::shared_ptr<toolkit::IPlatformFont> createFace(double size) override;

private:
    std::shared_ptr<toolkit::IPlatformFont> face_;
    double faceSize_ = 0;  // pixels the face was made for
    int faceStyle_ = 0;
    double ascent_;        // pixels
    double descent_;       // pixels
    double leading_;       // pixels
    double capHeight_;     // pixels
};

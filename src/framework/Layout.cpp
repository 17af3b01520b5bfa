#include "framework/Layout.h"

namespace {

int32_t NotNegative(int32_t v) {
    return v < 0 ? 0 : v;
}

}  // namespace

std::optional<DesignRect> AnchoredRect(const AnchorSpec& anchor, const DesignRect& current, int32_t clientWidth,
                                       int32_t clientHeight) noexcept {
    if (anchor.mode <= kAnchorNone || anchor.mode > kAnchorLast) return std::nullopt;
    const int32_t W = clientWidth;
    const int32_t H = clientHeight;
    const int32_t w = current.width;
    const int32_t h = current.height;

    // The candidate positions and sizes of the table; each mode picks one of each.
    const int32_t stuckLeft = current.left;
    const int32_t stuckRight = W - w - anchor.right;
    const int32_t centredX = W / 2 + anchor.offsetX;
    const int32_t stuckTop = current.top;
    const int32_t stuckBottom = H - anchor.bottom - h;
    const int32_t middleY = (H - h) / 2;
    const int32_t centredY = H / 2 + anchor.offsetY;
    const int32_t stretchedWidth = NotNegative(W - current.left - anchor.right);
    const int32_t stretchedHeight = NotNegative(H - current.top - anchor.bottom);

    switch (anchor.mode) {
        case 1:
            return DesignRect{stuckLeft, stuckTop, stretchedWidth, h};
        case 2:
            return DesignRect{stuckRight, stuckTop, w, h};
        case 3:
            return DesignRect{centredX, stuckTop, w, h};
        case 4:
            return DesignRect{stuckLeft, stuckTop, w, stretchedHeight};
        case 5:
            return DesignRect{stuckLeft, stuckTop, stretchedWidth, stretchedHeight};
        case 6:
            return DesignRect{stuckRight, stuckTop, w, stretchedHeight};
        case 7:
            return DesignRect{stuckLeft, stuckBottom, w, h};
        case 8:
            return DesignRect{stuckLeft, stuckBottom, stretchedWidth, h};
        case 9:
            return DesignRect{stuckRight, stuckBottom, w, h};
        case 10:
            return DesignRect{centredX, stuckBottom, w, h};
        case 11:
            return DesignRect{stuckLeft, middleY, w, h};
        case 12:
            return DesignRect{stuckRight, middleY, w, h};
        default:
            return DesignRect{centredX, centredY, w, h};  // 13
    }
}

AnchorSpec AnchorAt(int32_t mode, const DesignRect& design, int32_t clientWidth, int32_t clientHeight) noexcept {
    AnchorSpec anchor;
    anchor.mode = mode;
    anchor.right = clientWidth - design.left - design.width;
    anchor.bottom = clientHeight - design.top - design.height;
    anchor.offsetX = design.left - clientWidth / 2;
    anchor.offsetY = design.top - clientHeight / 2;
    return anchor;
}

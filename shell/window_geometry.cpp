#include "shell/window_geometry.h"

namespace shell {

Point CentredOrigin(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
    return {(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}

int EffectiveAlpha(std::optional<int> alpha) {
    if (!alpha || *alpha < 0 || *alpha > 255) return 255;
    return *alpha;
}

}  // namespace shell

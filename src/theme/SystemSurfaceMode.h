#pragma once

#include "core/SurfaceMode.h"

class SystemAppearance;

// The surface mode the desktop asks for: solid when it reduces transparency, else what the
// glass-diffusion setting says (the app's own first, then the desktop-wide one), else
// translucent. Read afresh on every call.
SurfaceMode systemResolvedSurfaceMode(const SystemAppearance& appearance);
// The same over the running process's platform.
SurfaceMode systemResolvedSurfaceMode();

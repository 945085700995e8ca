#pragma once

// The manifest of the common controls 6, activated where the program makes its controls; above the
// numbers Windows reserves for manifests it reads by itself (1 to 16).
#define IDR_COMMON_CONTROLS_MANIFEST 101

// The two fade rules. FadeLevel stays white; only its alpha byte moves.
#pragma once

// Alpha 0, 3, 6, ..., 252, 255: true once a frame at 255 has been shown.
bool FadeInStep();
// Alpha 255, 253, ..., 3, 1, 0: true once a frame at 0 has been shown.
bool FadeOutStep();

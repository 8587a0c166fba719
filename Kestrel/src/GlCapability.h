// Whether the OpenGL projection models can run here: an OpenGL 3.3 core (or
// OpenGL ES 3.0) context can be created and made current on an off-screen
// surface. Without it the main camera is shown round (display mode 2) and the
// user is told once at start-up (text 154).
#pragma once

namespace kestrel {

bool ProjectionModelsCanRun();

} // namespace kestrel

// The GLEW step of the once-per-process bootstrap, shared by the window-system layers.
#ifndef VINDRA_SRC_CORE_GLEW_BOOTSTRAP_H
#define VINDRA_SRC_CORE_GLEW_BOOTSTRAP_H

namespace vindra {

// Resolves the GL and window-system entry points and extension flags on the GL context current on
// the calling thread. On failure reports "GLEW: Initialization Error" and GLEW's reason as a
// continuation line, and answers false.
bool InitializeGlew();

}  // namespace vindra

#endif

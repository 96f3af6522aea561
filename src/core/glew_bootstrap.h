// The once-per-process bootstrap that resolves GLEW's entry points and extension flags: each
// window-system layer makes a throw-away GL context on a hidden dummy window for it.
#ifndef VINDRA_SRC_CORE_GLEW_BOOTSTRAP_H
#define VINDRA_SRC_CORE_GLEW_BOOTSTRAP_H

namespace vindra {

// The layer's dummy-window bootstrap (src/glx/glx_bootstrap.cpp, src/wgl/wgl_bootstrap.cpp): true when
// GLEW initialised. Leaves no GL context current on the calling thread and currentContext untouched.
bool LoadGlExtensions();

// Runs LoadGlExtensions unless an earlier call succeeded. The first CreateContext calls of a process
// may come from several threads: one runs the bootstrap, the others wait for its result. A failed
// bootstrap is run again by the next caller.
bool EnsureGlExtensionsLoaded();

// How many times this process ran the bootstrap: what tests read to see it ran once.
int GlExtensionBootstrapRuns();

// Resolves the GL and window-system entry points and extension flags on the GL context current on
// the calling thread. On failure reports "GLEW: Initialization Error" and GLEW's reason as a
// continuation line, and answers false.
bool InitializeGlew();

}  // namespace vindra

#endif

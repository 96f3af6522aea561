// GlFenceSync: a point in the GL command stream that the GPU or the CPU can wait for.
#ifndef VINDRA_SRC_GL_GL_FENCE_SYNC_H
#define VINDRA_SRC_GL_GL_FENCE_SYNC_H

#include <GL/glew.h>

#include "vindra/resources.h"

namespace vindra {

// Holds no pointer to the context that made it: the sync object lives in the GL context that was
// current at SetFence and is seen by every context sharing objects with it.
class GlFenceSync final : public FenceSync {
public:
    GlFenceSync() = default;
    GlFenceSync(const GlFenceSync&) = delete;
    GlFenceSync& operator=(const GlFenceSync&) = delete;
    // Deletes the sync object; an empty fence makes no GL call.
    ~GlFenceSync() override;

    ResultCode SetFence() override;
    ResultCode Wait() override;
    ResultCode ClientWait() override;
    ResultCode ClientCheck() override;

    GLsync GetSync() const { return sync; }  // null until the first SetFence

private:
    GLsync sync = nullptr;
};

}  // namespace vindra

#endif

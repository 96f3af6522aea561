// GlFenceSync: GL sync objects. An unset fence answers InvalidOperation without a message: asking
// about a fence before placing it is a normal state of a frame loop, not a fault worth a log line.
#include "gl/gl_fence_sync.h"

#include "core/check_gl_error.h"
#include "core/log_message.h"

namespace vindra {

GlFenceSync::~GlFenceSync() {
    if (sync != nullptr) glDeleteSync(sync);
}

ResultCode GlFenceSync::SetFence() {
    // The old sync object goes first: a failed glFenceSync leaves the fence empty (null), not stale.
    if (sync != nullptr) glDeleteSync(sync);
    sync = glFenceSync(GL_SYNC_GPU_COMMANDS_COMPLETE, 0);
    return CheckGlError("GlFenceSync::SetFence");
}

ResultCode GlFenceSync::Wait() {
    if (sync == nullptr) return ResultCode::InvalidOperation;
    glWaitSync(sync, 0, GL_TIMEOUT_IGNORED);
    return CheckGlError("GlFenceSync::Wait");
}

ResultCode GlFenceSync::ClientWait() {
    if (sync == nullptr) return ResultCode::InvalidOperation;
    // Poll first: a fence already passed costs no flush. Only a fence still ahead needs the flush,
    // without which an unflushed fence might never be reached.
    if (glClientWaitSync(sync, 0, 0) == GL_TIMEOUT_EXPIRED)
        glClientWaitSync(sync, GL_SYNC_FLUSH_COMMANDS_BIT, GL_TIMEOUT_IGNORED);
    return CheckGlError("GlFenceSync::ClientWait");
}

ResultCode GlFenceSync::ClientCheck() {
    if (sync == nullptr) return ResultCode::InvalidOperation;
    // No flush and no timeout: the check never blocks.
    GLenum answer = glClientWaitSync(sync, 0, 0);
    switch (answer) {
        case GL_ALREADY_SIGNALED:
        case GL_CONDITION_SATISFIED:
            return ResultCode::Success;
        case GL_TIMEOUT_EXPIRED:
            return ResultCode::NotReady;
        case GL_WAIT_FAILED:
            return CheckGlError("GlFenceSync::ClientCheck");
        default:
            // GL defines no other answer; one from a driver is reported rather than trusted.
            LogMessage(MessageLevel::Error, "GlFenceSync::ClientCheck: unexpected wait result 0x%x", answer);
            return ResultCode::Failed;
    }
}

}  // namespace vindra

#include "core/check_gl_error.h"

#include "core/log_message.h"

namespace vindra {

ResultCode ReportGlErrors(const char* operation, GLenum error) {
    ResultCode result = ResultCode::Success;
    for (; error != GL_NO_ERROR; error = glGetError()) {
        switch (error) {
            case GL_INVALID_ENUM:
                LogMessage(MessageLevel::Error, "%s: GL_INVALID_ENUM", operation);
                result = ResultCode::InvalidEnum;
                break;
            case GL_INVALID_VALUE:
                LogMessage(MessageLevel::Error, "%s: GL_INVALID_VALUE", operation);
                result = ResultCode::InvalidValue;
                break;
            case GL_INVALID_OPERATION:
                LogMessage(MessageLevel::Error, "%s: GL_INVALID_OPERATION", operation);
                result = ResultCode::InvalidOperation;
                break;
            case GL_OUT_OF_MEMORY:
                LogMessage(MessageLevel::Error, "%s: GL_OUT_OF_MEMORY", operation);
                result = ResultCode::OutOfMemory;
                break;
            default:
                LogMessage(MessageLevel::Error, "%s: GL error (%4x)", operation, error);
                result = ResultCode::Failed;
                break;
        }
    }
    return result;
}

}  // namespace vindra

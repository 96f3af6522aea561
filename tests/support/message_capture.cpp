#include "message_capture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vindra_test {

void MessageCapture::Sink(int level, const char* text, void* user) {
    auto* self = static_cast<MessageCapture*>(user);
    // Every context lists its driver quirks at creation; no test reads that listing.
    if (level == kDebug && std::strstr(text, ": driver quirk ") != nullptr) return;
    std::lock_guard<std::mutex> lock(self->mutex);
    // So does every context about OpenCL, with the platform listing under it.
    if (level != kContinuation)
        self->droppingLines = !self->keepComputeSetUp && level >= kInfo &&
                              (std::strncmp(text, "OpenCL: ", 8) == 0 || std::strncmp(text, "Loaded ", 7) == 0 ||
                               std::strncmp(text, "Failed to load ", 15) == 0);
    if (self->droppingLines) return;
    self->messages.push_back(Message{level, text});
}

std::string Describe(const std::vector<Message>& messages) {
    std::string out;
    for (const Message& message : messages) out += "[" + std::to_string(message.level) + "] " + message.text + "\n";
    return out.empty() ? "(no messages)\n" : out;
}

void ExpectMessages(MessageCapture& capture, const std::vector<Message>& expected, const char* file, int line) {
    const std::vector<Message> taken = capture.Take();
    if (taken != expected)
        ADD_FAILURE_AT(file, line) << "messages:\n" << Describe(taken) << "expected:\n" << Describe(expected);
}

}  // namespace vindra_test

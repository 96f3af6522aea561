#include "message_capture.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vindra_test {

void MessageCapture::Sink(int level, const char* text, void* user) {
    auto* self = static_cast<MessageCapture*>(user);
    // Every context lists its driver quirks at creation; no test reads that listing.
    if (level == kDebug && std::strstr(text, ": driver quirk ") != nullptr) return;
    std::lock_guard<std::mutex> lock(self->mutex);
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

#include "message_capture.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tamrik/tamrik.h"

namespace vindra_test {

MessageCapture::MessageCapture() {
    tamrik::SetMinimumLevel(0);
    tamrik::SetSink(&MessageCapture::Sink, this);
}

MessageCapture::~MessageCapture() {
    tamrik::SetSink(nullptr, nullptr);
    tamrik::SetMinimumLevel(0);
}

void MessageCapture::Sink(int level, const char* text, void* user) {
    auto* self = static_cast<MessageCapture*>(user);
    // Every context lists its driver quirks at creation; tests of their own read that listing, the
    // others would only have to skip it.
    if (level == 1 && std::strstr(text, ": driver quirk ") != nullptr && !self->keepQuirkListing) return;
    std::lock_guard<std::mutex> lock(self->mutex);
    self->messages.push_back(Message{level, text});
}

std::vector<Message> MessageCapture::Take() {
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<Message> taken;
    taken.swap(messages);
    return taken;
}

std::vector<Message> MessageCapture::Peek() const {
    std::lock_guard<std::mutex> lock(mutex);
    return messages;
}

bool MessageCapture::Contains(int level, const std::string& text) const {
    std::lock_guard<std::mutex> lock(mutex);
    for (const Message& message : messages)
        if (message.level == level && message.text == text) return true;
    return false;
}

void MessageCapture::Clear() {
    std::lock_guard<std::mutex> lock(mutex);
    messages.clear();
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

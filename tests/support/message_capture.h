// Collects the messages vindra reports, through tamrik's sink, for assertions on texts and levels.
#ifndef VINDRA_TESTS_SUPPORT_MESSAGE_CAPTURE_H
#define VINDRA_TESTS_SUPPORT_MESSAGE_CAPTURE_H

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "tamrik/tamrik.h"

namespace vindra_test {

// tamrik's message levels, as the capture records them.
constexpr int kContinuation = 0, kDebug = 1, kInfo = 2, kWarning = 3, kError = 4;

struct Message {
    int level;
    std::string text;
    bool operator==(const Message& other) const { return level == other.level && text == other.text; }
};

// Installs itself as tamrik's sink for its lifetime (minimum level 0) and restores stderr output after.
// Not copyable: its mutex is not.
class MessageCapture {
public:
    MessageCapture() {
        tamrik::SetMinimumLevel(0);
        tamrik::SetSink(&MessageCapture::Sink, this);
    }
    ~MessageCapture() {
        tamrik::SetSink(nullptr, nullptr);
        tamrik::SetMinimumLevel(0);
    }

    // The messages so far, emptying the capture.
    std::vector<Message> Take() {
        std::lock_guard<std::mutex> lock(mutex);
        return std::exchange(messages, {});
    }
    void Clear() { Take(); }
    // Keep what contexts report as they bring OpenCL up, or find no runtime or device (dropped by default).
    bool keepComputeSetUp = false;

private:
    static void Sink(int level, const char* text, void* user);
    std::mutex mutex;
    std::vector<Message> messages;
    bool droppingLines = false;  // the continuation lines of a dropped message
};

// The one error `text`, or no message at all when it is empty.
inline std::vector<Message> ErrorOrNone(const std::string& text) {
    return text.empty() ? std::vector<Message>{} : std::vector<Message>{{kError, text}};
}

std::string Describe(const std::vector<Message>& messages);  // one "[level] text" line each

// Takes the messages captured so far and expects exactly `expected`, in order; a failure names the caller's
// line and lists both.
void ExpectMessages(MessageCapture& capture, const std::vector<Message>& expected, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE());

}  // namespace vindra_test

#endif

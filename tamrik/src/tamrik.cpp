// Default host message library: formats each message and passes it to the installed sink.
#include "tamrik/tamrik.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <vector>

namespace {

struct SinkBinding {
    tamrik::Sink sink;
    void* user;
};

// The sink and its user pointer change together, so they sit behind one small lock; the minimum
// level is read on every message and stays lock-free.
std::mutex sinkMutex;
SinkBinding binding{nullptr, nullptr};
std::atomic<int> minimumLevel{0};
// Level of the last message taken or dropped on this thread, so that continuation lines go the same way.
thread_local bool lastHeaderTaken = true;

const char* LevelTag(int level) {
    switch (level) {
        case 0:
            return "     ";
        case 1:
            return "debug";
        case 2:
            return "info ";
        case 3:
            return "warn ";
        default:
            return "error";
    }
}

void WriteToStderr(int level, const char* text, void*) {
    std::fprintf(stderr, "[vindra %s] %s\n", LevelTag(level), text);
}

int Emit(int level, const char* format, va_list args) {
    bool taken = level == 0 ? lastHeaderTaken : level >= minimumLevel.load(std::memory_order_relaxed);
    if (level != 0) lastHeaderTaken = taken;
    if (!taken) return 0;

    char small[512];
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (length < 0) return 0;
    std::vector<char> large;
    const char* text = small;
    if (static_cast<size_t>(length) >= sizeof small) {
        large.resize(static_cast<size_t>(length) + 1);
        std::vsnprintf(large.data(), large.size(), format, args);
        text = large.data();
    }

    SinkBinding current;
    {
        std::lock_guard<std::mutex> lock(sinkMutex);
        current = binding;
    }
    if (current.sink)
        current.sink(level, text, current.user);
    else
        WriteToStderr(level, text, nullptr);
    return 1;
}

}  // namespace

extern "C" {
int vmsgcont(const char* format, va_list args) { return Emit(0, format, args); }
int vmsgdebug(const char* format, va_list args) { return Emit(1, format, args); }
int vmsginfo(const char* format, va_list args) { return Emit(2, format, args); }
int vmsgwarn(const char* format, va_list args) { return Emit(3, format, args); }
int vmsgerror(const char* format, va_list args) { return Emit(4, format, args); }
}

namespace tamrik {

void SetSink(Sink sink, void* user) {
    std::lock_guard<std::mutex> lock(sinkMutex);
    binding = SinkBinding{sink, user};
}

void SetMinimumLevel(int level) { minimumLevel.store(level, std::memory_order_relaxed); }

int GetMinimumLevel() { return minimumLevel.load(std::memory_order_relaxed); }

}  // namespace tamrik

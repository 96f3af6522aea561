#include "glx/thread_ownership.h"

#include <mutex>
#include <thread>
#include <unordered_map>

namespace vindra {

namespace {

// Few contexts, brief critical sections; the lock guards this record only, never a GL or X call.
std::mutex mutex;
std::unordered_map<const void*, std::thread::id> threadOf;

void EraseThread(std::thread::id thread) {
    for (auto it = threadOf.begin(); it != threadOf.end();)
        it = it->second == thread ? threadOf.erase(it) : std::next(it);
}

}  // namespace

bool ThreadOwnership::HeldElsewhere(const void* context) {
    std::lock_guard<std::mutex> lock(mutex);
    auto it = threadOf.find(context);
    return it != threadOf.end() && it->second != std::this_thread::get_id();
}

void ThreadOwnership::Take(const void* context) {
    std::lock_guard<std::mutex> lock(mutex);
    EraseThread(std::this_thread::get_id());
    threadOf[context] = std::this_thread::get_id();
}

void ThreadOwnership::ReleaseThisThread() {
    std::lock_guard<std::mutex> lock(mutex);
    EraseThread(std::this_thread::get_id());
}

void ThreadOwnership::Forget(const void* context) {
    std::lock_guard<std::mutex> lock(mutex);
    threadOf.erase(context);
}

const void* ThreadOwnership::HeldHere() {
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& [context, thread] : threadOf)
        if (thread == std::this_thread::get_id()) return context;
    return nullptr;
}

}  // namespace vindra

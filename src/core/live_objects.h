// The objects of one kind that are alive, so that a pointer a host passes is checked before it
// is used as one of them.
#ifndef VINDRA_SRC_CORE_LIVE_OBJECTS_H
#define VINDRA_SRC_CORE_LIVE_OBJECTS_H

#include <mutex>
#include <unordered_set>

#include "core/log_message.h"

namespace vindra {

template <typename Interface, typename Concrete>
class LiveObjects {
public:
    explicit LiveObjects(const char* what) : what(what) {}
    void Add(const Interface* object) {
        std::lock_guard<std::mutex> lock(mutex);
        objects.insert(object);
    }
    void Remove(const Interface* object) {
        std::lock_guard<std::mutex> lock(mutex);
        objects.erase(object);
    }
    // Whether `object` is one of these now; no message.
    bool Contains(const Interface* object) const {
        std::lock_guard<std::mutex> lock(mutex);
        return objects.count(object) != 0;
    }
    // The object behind a host's pointer, or null (reported under `operation`) when it is null or not
    // one of these.
    Concrete* Find(Interface* object, const char* operation) const {
        if (object == nullptr) {
            LogMessage(MessageLevel::Error, "%s: null %s", operation, what);
            return nullptr;
        }
        std::lock_guard<std::mutex> lock(mutex);
        if (objects.count(object) != 0) return static_cast<Concrete*>(object);
        LogMessage(MessageLevel::Error, "%s: %p is not a %s of this library", operation, static_cast<void*>(object),
                   what);
        return nullptr;
    }

private:
    const char* what;
    mutable std::mutex mutex;
    std::unordered_set<const Interface*> objects;
};

}  // namespace vindra

#endif

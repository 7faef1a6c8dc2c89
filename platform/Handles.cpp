#include "platform/Handles.h"

#include <unordered_map>

namespace platform {

namespace {

// Handles are never reused within a run, so a stale handle never reaches a newer object.
template <typename T> class HandleTable {
public:
    explicit HandleTable(Handle first) : next_(first) {}

    Handle add(T* object) {
        const Handle handle = next_;
        next_ += 4;
        objects_[handle] = object;
        return handle;
    }
    void remove(Handle handle) { objects_.erase(handle); }
    T* find(Handle handle) const {
        const auto it = objects_.find(handle);
        return it == objects_.end() ? nullptr : it->second;
    }

private:
    Handle next_;
    std::unordered_map<Handle, T*> objects_;
};

HandleTable<Window>& windows() {
    static HandleTable<Window> table(0x00010010);
    return table;
}

HandleTable<DeviceContext>& deviceContexts() {
    static HandleTable<DeviceContext> table(0x01010020);
    return table;
}

} // namespace

Window::Window() : hWnd_(windows().add(this)) {}

Window::~Window() {
    windows().remove(hWnd_);
}

std::intptr_t Window::windowProc(std::uint32_t, std::intptr_t, std::intptr_t) {
    return 0;
}

DeviceContext::DeviceContext() : hDC_(deviceContexts().add(this)) {}

DeviceContext::~DeviceContext() {
    deviceContexts().remove(hDC_);
}

Window* windowFromHandle(Handle hWnd) {
    return windows().find(hWnd);
}

DeviceContext* deviceContextFromHandle(Handle hDC) {
    return deviceContexts().find(hDC);
}

} // namespace platform

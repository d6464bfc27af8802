#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

namespace kestrune {

// A window that is hidden until it is first shown, made only then and kept to the program's end:
// until then it costs the start-up nothing.
template <class Window>
class MadeOnFirstShow {
public:
    using Maker = std::function<std::unique_ptr<Window>()>;

    explicit MadeOnFirstShow(Maker make) : make_(std::move(make)) {}

    // The window's handle, the window made first if it is not there yet. Raises what making it
    // raises; the next call tries again.
    HWND Handle() {
        if (!window_) {
            window_ = make_();
        }
        return window_->Handle();
    }
    // The window once made, else null.
    Window* Made() const { return window_.get(); }

private:
    Maker make_;
    std::unique_ptr<Window> window_;
};

}  // namespace kestrune

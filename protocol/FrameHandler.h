#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <type_traits>

namespace tq37r {

// Non-owning reference to whatever is called for each good frame. The frame
// span points into the receiver's buffer and is valid only during the call.
class FrameHandler {
public:
    template <typename Callable>
    requires(!std::is_same_v<std::remove_cvref_t<Callable>, FrameHandler> &&
             std::is_invocable_v<Callable&, std::span<const std::uint8_t>>)
        FrameHandler(Callable& callable) // NOLINT(google-explicit-constructor): used like a function argument
        : object_(std::addressof(callable)),
          call_([](void* object, std::span<const std::uint8_t> frameBytes) {
              (*static_cast<Callable*>(object))(frameBytes);
          }) {}

    void operator()(std::span<const std::uint8_t> frameBytes) const { call_(object_, frameBytes); }

private:
    void* object_;
    void (*call_)(void*, std::span<const std::uint8_t>);
};

} // namespace tq37r

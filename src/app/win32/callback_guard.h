// Exceptions must not unwind through Windows' own frames (the window
// procedures are called from inside user32). Every callback into our code
// runs under Guarded, which keeps the first exception and ends the message
// loop; the loop then throws it again, so that it escapes the loop as if the
// handler had been called from there.
#pragma once

#include <exception>
#include <utility>

namespace tenrovel::app::win32 {

// The exception kept for the message loop (user-interface thread only).
void KeepUnhandledException(std::exception_ptr exception);
// Throws the kept exception, if any.
void RethrowUnhandledException();

template <typename Result, typename Function>
Result Guarded(Result on_exception, Function&& function) {
  try {
    return std::forward<Function>(function)();
  } catch (...) {
    KeepUnhandledException(std::current_exception());
    return on_exception;
  }
}

}  // namespace tenrovel::app::win32

#include "ui/ErrorBoundary.h"

#include <windows.h>

#include <new>
#include <optional>

#include "base/RuntimeError.h"

namespace pixkeeper {

void EndWithError(Platform& platform, const std::wstring& text) noexcept {
  try {
    platform.ShowMessage(text, message_style::kPlain, std::nullopt);
    platform.EndProgram();
  } catch (...) {
    // Nothing is left to report to; end as the platform would have.
  }
  ExitProcess(1);
}

std::wstring CurrentExceptionText() noexcept {
  try {
    throw;
  } catch (const RuntimeError& error) {
    return error.text();
  } catch (const std::bad_alloc&) {
    return ErrorText(error::kOutOfMemory);
  } catch (...) {
    return ErrorText(0);
  }
}

}  // namespace pixkeeper

#include "app/WorkerThread.h"

#include <memory>
#include <type_traits>

#include "support/SystemProcedure_win.h"

namespace epiloom::win {
namespace {

DWORD WINAPI ThreadEntry(LPVOID parameter) noexcept {
  std::unique_ptr<std::function<int()>> work(static_cast<std::function<int()>*>(parameter));
  try {
    return static_cast<DWORD>((*work)());
  } catch (...) {
    return static_cast<DWORD>(-1);
  }
}
static_assert(std::is_same_v<decltype(&ThreadEntry), NoThrow<LPTHREAD_START_ROUTINE>>);

}  // namespace

bool WorkerThread::Start(std::function<int()> work) {
  auto* owned = new std::function<int()>(std::move(work));
  thread_.Reset(::CreateThread(nullptr, 0, &ThreadEntry, owned, 0, nullptr));
  if (!thread_) {
    delete owned;
    return false;
  }
  return true;
}

bool WorkerThread::Running() const {
  return thread_ && ::WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT;
}

int WorkerThread::Result() const {
  DWORD code = static_cast<DWORD>(-1);
  if (thread_) ::GetExitCodeThread(thread_.get(), &code);
  return static_cast<int>(code);
}

}  // namespace epiloom::win

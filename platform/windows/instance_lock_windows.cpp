// The instance lock on Windows: an unnamed mutex, not initially owned.
#include "platform/instance_lock.h"

#include "platform/windows/windows_lean.h"

namespace platform {

InstanceLock::InstanceLock() : handle_(CreateMutexW(nullptr, FALSE, nullptr)) {}

InstanceLock::~InstanceLock()
{
    if (handle_) CloseHandle(handle_);
}

bool InstanceLock::valid() const { return handle_ != nullptr; }

bool InstanceLock::lock(unsigned timeoutMs)
{
    if (!handle_) return false;
    // INFINITE is a valid DWORD: keep the wait bounded even for the largest timeout.
    DWORD wait = timeoutMs >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(timeoutMs);
    DWORD result = WaitForSingleObject(handle_, wait);
    // Abandoned: the previous owner thread ended while holding it; we own it now.
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
}

void InstanceLock::unlock()
{
    if (handle_) ReleaseMutex(handle_);
}

}  // namespace platform

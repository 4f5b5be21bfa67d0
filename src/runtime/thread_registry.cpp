#include "runtime/thread_registry.h"

#include <map>
#include <utility>

#include "runtime/framework_thread.h"
#include "runtime/lock.h"
#include "runtime/message_loop_proxy.h"
#include "runtime/thread_local_record.h"

namespace kbase {

namespace {

struct Registry {
  Lock lock;
  std::map<int32_t, FrameworkThread*> threads;
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

bool ThreadRegistry::Register(int32_t id) {
  ThreadLocalRecord* record = CurrentThreadRecord();
  if (!record) return false;
  // One identifier per thread: a second one would outlive the unregistration, which
  // erases only the identifier last registered.
  if (record->registrations > 0 && record->registeredId != id) return false;
  Registry& registry = TheRegistry();
  AutoLock hold(registry.lock);
  const auto inserted = registry.threads.emplace(id, record->thread);
  if (!inserted.second && inserted.first->second != record->thread) return false;
  ++record->registrations;
  record->registeredId = id;
  return true;
}

bool ThreadRegistry::Unregister() {
  ThreadLocalRecord* record = CurrentThreadRecord();
  if (!record || record->registrations < 1) return false;
  if (--record->registrations == 0) {
    Registry& registry = TheRegistry();
    AutoLock hold(registry.lock);
    registry.threads.erase(record->registeredId);
    record->registeredId = -1;
  }
  return true;
}

FrameworkThread* ThreadRegistry::FindThread(int32_t id) {
  Registry& registry = TheRegistry();
  AutoLock hold(registry.lock);
  const auto found = registry.threads.find(id);
  return found == registry.threads.end() ? nullptr : found->second;
}

std::shared_ptr<MessageLoopProxy> ThreadRegistry::LoopProxyOf(int32_t id) {
  Registry& registry = TheRegistry();
  AutoLock hold(registry.lock);
  const auto found = registry.threads.find(id);
  if (found == registry.threads.end()) return nullptr;
  return found->second->LoopProxy();
}

bool ThreadRegistry::PostToThread(int32_t id, Task task) {
  const std::shared_ptr<MessageLoopProxy> proxy = LoopProxyOf(id);
  if (!proxy) return false;
  proxy->Post(std::move(task));
  return true;
}

bool ThreadRegistry::PostToThreadAfter(Task task, int64_t delay) {
  const std::shared_ptr<MessageLoopProxy> proxy = LoopProxyOf(kMainThreadId);
  if (!proxy) return false;
  proxy->PostAfter(std::move(task), delay);
  return true;
}

int32_t ThreadRegistry::CurrentId() {
  const ThreadLocalRecord* record = CurrentThreadRecord();
  return record ? record->registeredId : -1;
}

}  // namespace kbase

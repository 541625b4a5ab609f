#include <LxStd/ResString.h>

#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <utility>

#include "BuiltinTexts.h"

namespace {

class TResourceStore {
 public:
  TResourceStore() {
    for (const auto& module : lxstd::BuiltinTextModules())
      for (const auto& entry : module.texts)
        texts_[Key(std::string(module.module), std::string(entry.key))] =
            std::make_unique<std::string>(entry.text);
  }

  const std::string* Find(const std::string& module, const std::string& key) const {
    std::shared_lock lock(mutex_);
    const auto it = texts_.find(Key(module, key));
    return it == texts_.end() ? nullptr : it->second.get();
  }

  void Set(const std::string& module, const std::string& key, const std::string& text) {
    auto stored = std::make_unique<std::string>(text);
    std::unique_lock lock(mutex_);
    texts_[Key(module, key)] = std::move(stored);
  }

  bool Remove(const std::string& module, const std::string& key) {
    std::unique_lock lock(mutex_);
    return texts_.erase(Key(module, key)) != 0;
  }

 private:
  using TKey = std::pair<std::string, std::string>;
  static TKey Key(const std::string& module, const std::string& key) { return {module, key}; }

  mutable std::shared_mutex mutex_;
  // Texts live in their own allocations so that the pointers handed out stay
  // put while other keys come and go.
  std::map<TKey, std::unique_ptr<std::string>> texts_;
};

TResourceStore& Store() {
  static TResourceStore store;
  return store;
}

}  // namespace

bool LoadResString(const std::string& module, const std::string& key, const std::string*& out) {
  const std::string* text = Store().Find(module, key);
  if (text == nullptr) return false;
  out = text;
  return true;
}

void LxSetResString(const std::string& module, const std::string& key, const std::string& text) {
  Store().Set(module, key, text);
}

bool LxRemoveResString(const std::string& module, const std::string& key) {
  return Store().Remove(module, key);
}

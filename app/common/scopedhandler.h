// A handler that several owners install in turn, each for as long as it lives: the main
// window for the whole run, the data-cable window while it is open, a CLI command while
// it runs. The latest handler still installed gets the calls; when an owner's Scope ends
// it removes its own handler only, in whatever order the owners go, so the one before
// takes over again instead of the slot being left empty or pointing at a closed window.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

template <typename Fn>
class ScopedHandler {
  struct Entry {
    std::uint64_t id;
    Fn fn;
  };
  using List = std::vector<Entry>;

 public:
  // Keeps one handler installed; movable, so an owner can hold it in a member or an
  // optional. A Scope may outlive its ScopedHandler: it then removes nothing.
  class Scope {
   public:
    Scope() = default;
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;
    Scope(Scope&& other) noexcept
        : entries_(std::move(other.entries_)), id_(std::exchange(other.id_, 0)) {}
    Scope& operator=(Scope&& other) noexcept {
      if (this != &other) {
        reset();
        entries_ = std::move(other.entries_);
        id_ = std::exchange(other.id_, 0);
      }
      return *this;
    }
    ~Scope() { reset(); }

    // Whether this scope still holds a handler in a living ScopedHandler.
    bool active() const { return !entries_.expired(); }

    void reset() {
      if (auto list = entries_.lock()) {
        for (auto it = list->begin(); it != list->end(); ++it) {
          if (it->id == id_) {
            list->erase(it);
            break;
          }
        }
      }
      entries_.reset();
      id_ = 0;
    }

   private:
    friend class ScopedHandler;
    Scope(std::weak_ptr<List> entries, std::uint64_t id) : entries_(std::move(entries)), id_(id) {}
    std::weak_ptr<List> entries_;
    std::uint64_t id_ = 0;
  };

  [[nodiscard]] Scope install(Fn fn) {
    const std::uint64_t id = ++lastId_;
    entries_->push_back({id, std::move(fn)});
    return Scope(entries_, id);
  }

  // The handler to call now (a copy, so a handler that opens or closes a window while it
  // runs cannot pull itself from under its own call); nothing when none is installed.
  std::optional<Fn> current() const {
    for (auto it = entries_->rbegin(); it != entries_->rend(); ++it)
      if (it->fn) return it->fn;
    return std::nullopt;
  }

 private:
  std::shared_ptr<List> entries_ = std::make_shared<List>();
  std::uint64_t lastId_ = 0;
};

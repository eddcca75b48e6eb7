// The list of objects attached to an owner (a context, a mesh, a map), each
// with its delete routine. New attachments go to the front, so the list runs
// newest first and owners delete what they hold in reverse order of creation.
#pragma once

#include <cstdint>

#include "gridlume/common.h"

namespace gridlume {

class AttachmentList {
 public:
  AttachmentList() = default;
  AttachmentList(const AttachmentList &) = delete;
  AttachmentList &operator=(const AttachmentList &) = delete;
  ~AttachmentList() { release_without_deleting(); }

  // 0, or -5 when memory fails (nothing attached).
  int attach(void *object, gridlume_object_delete_routine routine) noexcept;
  // Removes the newest attachment of the object without calling its routine;
  // false when there is none.
  bool detach(void *object) noexcept;
  // Calls every routine that is not NULL, newest first, and empties the list.
  // Each entry leaves the list before its routine runs, so a routine may
  // safely touch the list.
  void delete_all() noexcept;
  std::int32_t count() const noexcept { return count_; }

 private:
  struct Node {
    Node *next;
    Node *previous;
    void *object;
    gridlume_object_delete_routine routine;
  };
  void unlink(Node *node) noexcept;
  void release_without_deleting() noexcept;

  Node *first_ = nullptr;
  Node *last_ = nullptr;
  std::int32_t count_ = 0;
};

}  // namespace gridlume

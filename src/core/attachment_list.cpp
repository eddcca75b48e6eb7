#include "core/attachment_list.hpp"

#include "gridlume_stubs.h"

namespace gridlume {

int AttachmentList::attach(void *object, gridlume_object_delete_routine routine) noexcept {
  auto *node = static_cast<Node *>(gridlume_calloc(1, sizeof(Node)));
  if (node == nullptr) return GRIDLUME_STATUS_NO_MEMORY;
  node->object = object;
  node->routine = routine;
  node->next = first_;
  if (first_ != nullptr) first_->previous = node;
  first_ = node;
  if (last_ == nullptr) last_ = node;
  ++count_;
  return GRIDLUME_STATUS_OK;
}

void AttachmentList::unlink(Node *node) noexcept {
  if (node->previous != nullptr) node->previous->next = node->next;
  else first_ = node->next;
  if (node->next != nullptr) node->next->previous = node->previous;
  else last_ = node->previous;
  --count_;
}

bool AttachmentList::detach(void *object) noexcept {
  for (Node *node = first_; node != nullptr; node = node->next) {
    if (node->object == object) {
      unlink(node);
      gridlume_free(node);
      return true;
    }
  }
  return false;
}

void AttachmentList::delete_all() noexcept {
  while (first_ != nullptr) {
    Node *node = first_;
    unlink(node);
    void *object = node->object;
    gridlume_object_delete_routine routine = node->routine;
    gridlume_free(node);
    if (routine != nullptr) routine(object);
  }
}

void AttachmentList::release_without_deleting() noexcept {
  while (first_ != nullptr) {
    Node *node = first_;
    unlink(node);
    gridlume_free(node);
  }
}

}  // namespace gridlume

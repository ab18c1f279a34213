// SPDX-License-Identifier: MIT
// PendingPlays: accepted requests not yet placed, a circular list held by its last node.
#include "wavemix/internal.h"

namespace wavemix {

void AppendPending(MixSession& session, PlayNode* node) {
  if (session.pendingTail == nullptr) {
    node->Next = node;
  } else {
    node->Next = session.pendingTail->Next;
    session.pendingTail->Next = node;
  }
  session.pendingTail = node;
}

PlayNode* TakePending(MixSession& session) {
  PlayNode* tail = session.pendingTail;
  if (tail == nullptr) return nullptr;
  PlayNode* head = tail->Next;
  if (head == tail) {
    session.pendingTail = nullptr;
  } else {
    tail->Next = head->Next;
  }
  head->Next = nullptr;
  return head;
}

}  // namespace wavemix

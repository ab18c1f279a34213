// SPDX-License-Identifier: MIT
// The fixed pool of play nodes: nothing is allocated per play request.
#include "wavemix/internal.h"

namespace wavemix {

void ResetPlayNodePool() {
  for (int i = 0; i + 1 < PlayNodePoolSize; ++i) PlayNodePool[i].Next = &PlayNodePool[i + 1];
  PlayNodePool[PlayNodePoolSize - 1].Next = nullptr;
  FreePlayNodes = &PlayNodePool[0];
}

PlayNode* TakePlayNode() {
  PlayNode* node = FreePlayNodes;
  if (node != nullptr) {
    FreePlayNodes = node->Next;
    node->Next = nullptr;
  }
  return node;
}

void ReturnPlayNode(PlayNode* node) {
  if (node == nullptr) return;
  node->Next = FreePlayNodes;
  FreePlayNodes = node;
}

}  // namespace wavemix

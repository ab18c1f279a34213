// SPDX-License-Identifier: MIT
// The mixer's unit-wide state, defined in one place. Touched on the UI thread only.
#include "wavemix/internal.h"

namespace wavemix {

MixSession* CurrentSession = nullptr;
MixSession* LiveSession = nullptr;
MixSession* DeviceOwner = nullptr;
PlayNode PlayNodePool[PlayNodePoolSize];
PlayNode* FreePlayNodes = nullptr;
WaveBlock* WaveBlockTable[MaxWaveBlocks] = {};
WaveBlock* PlayingHead = nullptr;
WaveBlock* PlayingTail = nullptr;

void Fail(const std::string& message) { throw EWaveMixError(message); }

}  // namespace wavemix

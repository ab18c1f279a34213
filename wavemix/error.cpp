// SPDX-License-Identifier: MIT
#include "wavemix/wavemix.h"

EWaveMixError::~EWaveMixError() = default;

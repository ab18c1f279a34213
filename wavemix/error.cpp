#include "wavemix/wavemix.h"

EWaveMixError::~EWaveMixError() = default;

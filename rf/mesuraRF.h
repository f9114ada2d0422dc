// The RF measuring chain: one module of free functions over one state record. Routing,
// tuning, attenuator, detector acquisition and the calibrated level readings.
#pragma once

#include "bandTuning.h"
#include "chainState.h"
#include "frontEndSetup.h"
#include "circuitRouting.h"
#include "attenuator.h"
#include "levelConversion.h"
#include "calibracionRF.h"

// The RF measuring chain: one module of free functions over one state record. Routing,
// tuning, attenuator, detector acquisition, the calibrated level readings and the readings
// built from several of them (channel-power slices, carrier-to-noise).
#pragma once

#include "bandTuning.h"
#include "chainState.h"
#include "frontEndSetup.h"
#include "circuitRouting.h"
#include "attenuator.h"
#include "levelConversion.h"
#include "levelPrimitives.h"
#include "calibracionRF.h"

// The hardware variant of the unit, read once from the strap pins: it decides the home
// screen's layout, whether the fibre input exists and which cable modem is fitted.
#pragma once

class HardwareModel {
public:
    enum HW_MODEL {
        HW_MODEL_MINI_COMPLETE = 0,
        HW_MODEL_MINI_CABLE = 1,
        HW_MODEL_CABLE_CM30 = 2,
        HW_MODEL_CABLE_CM31 = 3,
    };

    static HardwareModel* getInstance();

    int getModelHardware() const { return model_; }
    // The DOCSIS 3.1 modem is fitted (HW_MODEL_CABLE_CM31).
    bool getDocsis31VersionHardware() const { return model_ == HW_MODEL_CABLE_CM31; }
    // The compact models have no MENU key, no fan duty for a modem and no fibre input.
    bool isCompactModel() const { return model_ == HW_MODEL_MINI_COMPLETE || model_ == HW_MODEL_MINI_CABLE; }

    HardwareModel(const HardwareModel&) = delete;
    HardwareModel& operator=(const HardwareModel&) = delete;

private:
    HardwareModel();
    int model_ = HW_MODEL_MINI_COMPLETE;
};

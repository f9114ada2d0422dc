// The loader of the factory calibration: "CAL_0.XML" (RF) and "CAL_FO.XML" (optical power
// meter) in the "calibracion" folder of the working directory, read only. A load that
// cannot read its file leaves the calibration in force as it was.
#pragma once

#include <QObject>

class Calibrations : public QObject {
    Q_OBJECT
public:
    static Calibrations* getInstance();

    // Loads CAL_0.XML, then CAL_FO.XML.
    void loadCalibracion();
    // Loads CAL_FO.XML: the optical lines it holds replace the ones in force.
    void loadCalibracion_FO();

private:
    Calibrations() = default;
    bool loaded_ = false; // a CAL_0.XML has been read
};

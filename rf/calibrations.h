// The loader of the factory calibration: "CAL_0.XML" (RF) and "CAL_FO.XML" (optical power
// meter) in the "calibracion" folder of the working directory, read only. A load that
// cannot read its file leaves the calibration in force as it was, and a file without a
// serial number leaves the unit's.
#pragma once

#include <QObject>

class QDomDocument;

class Calibrations : public QObject {
    Q_OBJECT
public:
    static Calibrations* getInstance();

    // Reads both files on a thread of its own; the next load takes them over instead of
    // reading them again (the start-up reads them beside its other steps).
    static void readAhead();
    // Loads CAL_0.XML, then CAL_FO.XML.
    void loadCalibracion();
    // Loads CAL_FO.XML: the optical lines it holds replace the ones in force.
    void loadCalibracion_FO();
    // Both files again, while the instrument runs: read into a staging copy that replaces
    // the tables only when both files were read. False, with nothing changed, when either
    // is missing, cannot be opened or is not well-formed.
    bool reloadCalibracion();

private:
    Calibrations() = default;
    void takeSerialNumber(const QDomDocument& cal0);
    bool loaded_ = false; // a CAL_0.XML has been read
};

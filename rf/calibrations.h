// The loader of the factory calibration: "CAL_0.XML" (RF) and "CAL_FO.XML" (optical power
// meter) in the "calibracion" folder of the working directory, read only. A file that
// cannot be read leaves what it would give as it was, and a file without a serial number
// leaves the unit's.
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
    // Loads CAL_0.XML, then CAL_FO.XML, at start-up and again while the instrument runs.
    // Each file present replaces what it holds; a missing CAL_0.XML keeps the tables in
    // force once one was read, a missing CAL_FO.XML keeps the optical lines. False when a
    // file that exists could not be opened or is not well-formed: what it would have
    // replaced stays.
    bool loadCalibracion();
    // Loads CAL_FO.XML: the optical lines it holds replace the ones in force.
    void loadCalibracion_FO();

private:
    Calibrations() = default;
    void takeSerialNumber(const QDomDocument& cal0);
    bool loaded_ = false; // a CAL_0.XML has been read
};

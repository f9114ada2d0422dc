import QtQuick 2.15

// The registration's data logger: one entry holding the rows of the screen's five tables,
// each table's list under its own name.
DialogStartLogger {
    id: dialog

    loggerType: "REGISTERING"

    function entries() {
        return [{ table_registering_scqam_up: owner.model_up_scqam.createListLoger(),
                  table_registering_scqam_down: owner.model_dw_scqam.createListLoger(),
                  table_registering_ofdm_up: owner.model_up_ofdm.createListLoger(),
                  table_registering_ofdm_down: owner.model_dw_ofdm.createListLoger(),
                  ip_cable_modem: owner.model_table_ip.createListLoger() }]
    }
}

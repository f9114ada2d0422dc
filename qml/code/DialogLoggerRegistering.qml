import QtQuick 2.15

// The registration's data logger: one entry per row of the screen's five tables, each
// naming its table.
DialogStartLogger {
    id: dialog

    loggerType: "REGISTERING"

    function entries() {
        var tables = [["table_registering_scqam_up", owner.model_up_scqam],
                      ["table_registering_scqam_down", owner.model_dw_scqam],
                      ["table_registering_ofdm_up", owner.model_up_ofdm],
                      ["table_registering_ofdm_down", owner.model_dw_ofdm],
                      ["ip_cable_modem", owner.model_table_ip]]
        var out = []
        for (var t = 0; t < tables.length; ++t) {
            var rows = tables[t][1].createListLoger()
            for (var r = 0; r < rows.length; ++r) {
                var entry = rows[r]
                entry["table"] = tables[t][0]
                entry["row"] = r
                out.push(entry)
            }
        }
        return out
    }
}
